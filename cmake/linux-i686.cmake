# Cross-compiles for 32-bit x86 Linux with Debian's cross compiler (package
# g++-i686-linux-gnu) and runs the result, tests included, under qemu-user
# (package qemu-user) with the target's own C library. The SSE2 arithmetic
# this processor needs is chosen by CMakeLists.txt, for native builds too.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(SIMEQ_TARGET_TRIPLET i686-linux-gnu)
set(SIMEQ_QEMU qemu-i386)
set(SIMEQ_DEBIAN_ARCH i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

# Programs are linked statically: under qemu-i386 7.2 (Debian 12) the child
# of a dynamically linked 32-bit program that forks, as the tests that start
# the program do, hangs or crashes in glibc before it can exec.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
