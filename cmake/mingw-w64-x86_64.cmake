# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (package
# g++-mingw-w64-x86-64). The program uses no threads, so the win32-threads
# compiler suffices; the executable is linked statically and needs no DLL
# besides those of Windows itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SIMEQ_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SIMEQ_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${SIMEQ_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${SIMEQ_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SIMEQ_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
