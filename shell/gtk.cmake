# The desktop program on Linux: the GTK 3 host under the portable shell.
if(NOT TESSEL_GTK OR WIN32)
  return()
endif()

find_package(PkgConfig REQUIRED)
pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET GLOBAL gtk+-3.0)

add_library(tessel_host_gtk STATIC host_gtk.cpp)
target_include_directories(tessel_host_gtk PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tessel_host_gtk PUBLIC tessel_shell PkgConfig::GTK3)

add_executable(tessel main_gtk.cpp $<TARGET_OBJECTS:tessel_machine_bus>)
target_link_libraries(tessel PRIVATE tessel_shell tessel_host_gtk)
