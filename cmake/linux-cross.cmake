# The common part of the Linux cross toolchain files: each sets
# CMAKE_SYSTEM_PROCESSOR, SIMEQ_TARGET_TRIPLET (Debian's cross compiler is
# SIMEQ_TARGET_TRIPLET-g++), SIMEQ_QEMU (the qemu-user program for that
# processor) and SIMEQ_DEBIAN_ARCH (the Debian architecture its package is
# for), then includes this file. The result, tests included, runs under
# qemu-user with the target's own C library.
set(CMAKE_SYSTEM_NAME Linux)

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

set(CMAKE_CROSSCOMPILING_EMULATOR ${SIMEQ_QEMU} -L /usr/${SIMEQ_TARGET_TRIPLET})
