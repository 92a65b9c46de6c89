# Cross-compiles for 64-bit RISC-V Linux with Debian's cross compiler
# (package g++-riscv64-linux-gnu) and runs the result, tests included, under
# qemu-user (package qemu-user) with the target's own C library.
set(CMAKE_SYSTEM_PROCESSOR riscv64)
set(SIMEQ_TARGET_TRIPLET riscv64-linux-gnu)
set(SIMEQ_QEMU qemu-riscv64)
set(SIMEQ_DEBIAN_ARCH riscv64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
