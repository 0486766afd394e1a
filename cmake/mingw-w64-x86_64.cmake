# Cross build for 64-bit Windows with Debian's mingw-w64 (win32 thread model):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DTESSEL_HOST_TOOLS=<native build>/tools
# tools/build-windows.sh does both builds.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TESSEL_MINGW x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${TESSEL_MINGW}-gcc-win32 ${TESSEL_MINGW}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TESSEL_MINGW}-g++-win32 ${TESSEL_MINGW}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TESSEL_MINGW}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TESSEL_MINGW})
# Programs (z80asm, the build machine's compiler) come from the build machine;
# headers and libraries only from the Windows side.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One executable with nothing to ship beside it: no libgcc, libstdc++ or
# winpthread DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
