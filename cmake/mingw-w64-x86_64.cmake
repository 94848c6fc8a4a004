# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix), and
# running what was built under Wine. Used by the `windows-cross` and `windows-installed` presets:
#   cmake --preset windows-cross && cmake --build --preset windows-cross
#   ctest --preset windows-cross
# Libraries built for Windows (Qt, GoogleTest, libjpeg-turbo) are looked for under
# CMAKE_PREFIX_PATH only, never among the build machine's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The POSIX-threads variant: its C++ library has std::thread and std::mutex.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The prefixes named in CMAKE_PREFIX_PATH are Windows libraries too; search them as they are.
list(APPEND CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH})

# Programs load the compiler's own libraries (libstdc++, libgcc, winpthread) as DLLs, as Qt's DLLs
# do: one copy of the C++ runtime in the process. scripts/build-qt-windows.sh puts those DLLs
# beside Qt's, where the test preset's WINEPATH finds them, and the packages carry them.

# Tests and test discovery run the programs under Wine, quietly. WINEPREFIX comes from the
# caller's environment (the windows test preset keeps it inside the build folder).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
