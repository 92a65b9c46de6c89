# Cross-compiles for 64-bit ARM Linux with Debian's cross compiler (package
# g++-aarch64-linux-gnu) and runs the result, tests included, under
# qemu-user (package qemu-user) with the target's own C library.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(SIMEQ_TARGET_TRIPLET aarch64-linux-gnu)
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

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/${SIMEQ_TARGET_TRIPLET})
