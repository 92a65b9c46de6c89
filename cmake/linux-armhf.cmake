# Cross-compiles for 32-bit ARM Linux with hardware floating point (Debian's
# armhf: ARMv7, as 32-bit Raspberry Pi OS runs) with Debian's cross compiler
# (package g++-arm-linux-gnueabihf) and runs the result, tests included,
# under qemu-user (package qemu-user) with the target's own C library.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(SIMEQ_TARGET_TRIPLET arm-linux-gnueabihf)
set(SIMEQ_QEMU qemu-arm)
set(SIMEQ_DEBIAN_ARCH armhf)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

# Unlike qemu-i386, qemu-arm 7.2 (Debian 12) runs dynamically linked
# programs that fork, as the tests that start the program do, so the tests
# link as on the other processors.
