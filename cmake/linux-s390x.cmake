# Cross-compiles for big-endian IBM Z (s390x) Linux with Debian's cross
# compiler (package g++-s390x-linux-gnu) and runs the result, tests included,
# under qemu-user (package qemu-user) with the target's own C library.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(SIMEQ_TARGET_TRIPLET s390x-linux-gnu)
set(SIMEQ_QEMU qemu-s390x)
set(SIMEQ_DEBIAN_ARCH s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
