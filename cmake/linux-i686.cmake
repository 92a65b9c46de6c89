# Cross-compiles for 32-bit x86 Linux with Debian's cross compiler (package
# g++-i686-linux-gnu) and runs the result, tests included, under qemu-user
# (package qemu-user) with the target's own C library. The SSE2 arithmetic
# this processor needs is chosen by CMakeLists.txt, for native builds too.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(SIMEQ_TARGET_TRIPLET i686-linux-gnu)
set(CMAKE_C_COMPILER ${SIMEQ_TARGET_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${SIMEQ_TARGET_TRIPLET}-g++)

# Libraries, headers and packages come from the target's folder only, so that
# no library built for the host (libgtest for x86-64, say) is ever picked up;
# programs such as the emulator still come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${SIMEQ_TARGET_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386 -L /usr/${SIMEQ_TARGET_TRIPLET})

# Programs are linked statically: under qemu-i386 7.2 (Debian 12) the child
# of a dynamically linked 32-bit program that forks, as the tests that start
# the program do, hangs or crashes in glibc before it can exec.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
