# The desktop program on Linux: the GTK 3 host (with SDL2 for its sound)
# under the portable shell.
if(NOT TESSEL_GTK OR WIN32)
  return()
endif()

find_package(PkgConfig REQUIRED)
pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET GLOBAL gtk+-3.0)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET GLOBAL sdl2)

# The window's icon: the drawing's pixels, carried in the executable
# (shell/program_icon.h).
set(ICON_PIXELS ${CMAKE_CURRENT_BINARY_DIR}/tessel_icon.rgba)
set(ICON_DATA ${CMAKE_CURRENT_BINARY_DIR}/program_icon_data.cpp)
tessel_icon(${ICON_PIXELS})
add_custom_command(
  OUTPUT ${ICON_DATA}
  COMMAND $<TARGET_FILE:tessel_embed> ${ICON_DATA} shell/program_icon.h programIconPixels ${ICON_PIXELS} 4096
  DEPENDS ${ICON_PIXELS} tessel_embed
  COMMENT "Embedding the window icon"
  VERBATIM)

# The window, keyboard, clock and dialogs from GTK, the sound from SDL.
add_library(tessel_host_gtk STATIC host_gtk.cpp audio_sdl.cpp ${ICON_DATA})
target_include_directories(tessel_host_gtk PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tessel_host_gtk PUBLIC tessel_shell PkgConfig::GTK3 PkgConfig::SDL2)

add_executable(tessel main_gtk.cpp $<TARGET_OBJECTS:tessel_machine_bus>)
target_link_libraries(tessel PRIVATE tessel_shell tessel_host_gtk)
