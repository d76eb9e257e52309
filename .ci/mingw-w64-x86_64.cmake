# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=.ci/mingw-w64-x86_64.cmake ...
# The posix flavour, because only it has the C++ standard library's threads.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Libraries and headers come from the target's folder only, and from the folder the evaluator's
# libraries were cross-built into (TARNICLE_MINGW_LIBRARIES, .ci/mingw-libraries.sh); programs
# from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${TARNICLE_MINGW_LIBRARIES})
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TARNICLE_MINGW_LIBRARIES)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs that start on Windows without MinGW's runtime libraries beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
