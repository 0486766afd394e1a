# cmake -DDIRECTORY=path -P fresh_directory.cmake: an empty folder at path.
file(REMOVE_RECURSE ${DIRECTORY})
file(MAKE_DIRECTORY ${DIRECTORY})
