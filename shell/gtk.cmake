# The desktop program on Linux: the GTK 3 host (with SDL2 for its sound)
# under the portable shell.
if(NOT TESSEL_GTK OR WIN32)
  return()
endif()

find_package(PkgConfig REQUIRED)
pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET GLOBAL gtk+-3.0)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET GLOBAL sdl2)

# The window, keyboard, clock and dialogs from GTK, the sound from SDL.
add_library(tessel_host_gtk STATIC host_gtk.cpp audio_sdl.cpp)
target_include_directories(tessel_host_gtk PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tessel_host_gtk PUBLIC tessel_shell PkgConfig::GTK3 PkgConfig::SDL2)

add_executable(tessel main_gtk.cpp $<TARGET_OBJECTS:tessel_machine_bus>)
target_link_libraries(tessel PRIVATE tessel_shell tessel_host_gtk)
