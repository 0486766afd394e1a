# The Windows program, tessel.exe: the Win32 host and WinMain over the
# portable shell, with its menu and icon as resources. Built by mingw-w64
# (cmake/mingw-w64-x86_64.cmake, tools/build-windows.sh).
enable_language(RC)

# tools/make_icon writes the .ico on the build machine.
set(ICON_FILE ${CMAKE_CURRENT_BINARY_DIR}/tessel.ico)
tessel_icon(${ICON_FILE})

# windres finds tessel.ico through the include path.
set_source_files_properties(tessel.rc PROPERTIES OBJECT_DEPENDS ${ICON_FILE})

add_executable(tessel WIN32
  host_win32.cpp
  tessel.rc
  $<TARGET_OBJECTS:tessel_machine_bus>)
target_include_directories(tessel PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
target_link_libraries(tessel PRIVATE tessel_shell dinput dxguid comdlg32 gdi32 winmm user32 shell32)
# Static, so tessel.exe needs no DLL beside it; stripped when released.
target_link_options(tessel PRIVATE -static -static-libgcc -static-libstdc++ -mwindows $<$<CONFIG:Release>:-s>)
