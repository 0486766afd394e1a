# Writes the page's service worker (cmake -P): its template with the list of
# the page's files and the build's version, the project's version and a hash
# of those files, so that every change to any of them is a new cache.
#
#   -DPAGE_DIR=<page folder> -DTEMPLATE=<service_worker.js.in> -DOUTPUT=<worker>
#   -DVERSION=<project version> -DFILES=<file;file;...>
set(hashes "")
set(quoted "")
foreach(file ${FILES})
  file(SHA256 ${PAGE_DIR}/${file} hash)
  string(APPEND hashes "${file} ${hash}\n")
  list(APPEND quoted "'${file}'")
endforeach()
string(SHA256 all "${hashes}")
string(SUBSTRING ${all} 0 16 short)
set(PAGE_VERSION "${VERSION}-${short}")
list(JOIN quoted ", " PAGE_FILES)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
