# The browser page: the browser host under the portable shell, compiled to
# WebAssembly by Emscripten (tools/build-web.sh). The page's folder, page/ in
# the build, holds everything a web server needs to serve: index.html, its
# style and script, the audio thread's script, tessel.js and tessel.wasm,
# and the program's icon as the page's.
if(NOT EMSCRIPTEN)
  return()
endif()

set(WEB_PAGE_DIR ${CMAKE_BINARY_DIR}/page)
set(WEB_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/web)

add_executable(tessel_web main_web.cpp host_web.cpp $<TARGET_OBJECTS:tessel_machine_bus>)
target_link_libraries(tessel_web PRIVATE tessel_shell)
set_target_properties(tessel_web PROPERTIES
  OUTPUT_NAME tessel
  SUFFIX .js
  RUNTIME_OUTPUT_DIRECTORY ${WEB_PAGE_DIR}
  LINK_DEPENDS ${WEB_SOURCES}/host_library.js)
target_link_options(tessel_web PRIVATE
  --js-library ${WEB_SOURCES}/host_library.js
  -lidbfs.js
  -sENVIRONMENT=web
  "-sEXPORTED_RUNTIME_METHODS=[FS,ccall,UTF8ToString,addRunDependency,removeRunDependency]")

# The icon drawn for the Windows program, tools/make_icon on the build machine.
set(PAGE_ICON ${WEB_PAGE_DIR}/favicon.ico)
tessel_icon(${PAGE_ICON})
add_custom_target(tessel_web_icon DEPENDS ${PAGE_ICON})
add_dependencies(tessel_web tessel_web_icon)

foreach(file index.html tessel.css page.js speaker_worklet.js)
  configure_file(${WEB_SOURCES}/${file} ${WEB_PAGE_DIR}/${file} COPYONLY)
endforeach()
