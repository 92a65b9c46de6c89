# Cross-compiles for 64-bit ARM Linux with Debian's cross compiler (package
# g++-aarch64-linux-gnu) and runs the result, tests included, under
# qemu-user (package qemu-user) with the target's own C library.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(SIMEQ_TARGET_TRIPLET aarch64-linux-gnu)
set(SIMEQ_QEMU qemu-aarch64)
set(SIMEQ_DEBIAN_ARCH arm64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
