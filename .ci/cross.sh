#!/usr/bin/env bash
# Other processors and toolchains: clang with libc++, then 64-bit ARM,
# big-endian s390x, 32-bit x86, 64-bit RISC-V and 32-bit ARM (armhf) Linux,
# cross-compiled with Debian's GCC. Each workflow preset builds everything and runs the whole
# CTest suite but the exhaustive label; the cross builds run their tests, and
# the program those tests start, under qemu-user. GoogleTest is built from
# the source of Debian's googletest package, for the target or against libc++.
set -euo pipefail
cd "$(dirname "$0")/.."

source .ci/lib/common.sh
ensure_packages cmake ninja-build googletest qemu-user clang-14 libc++-14-dev libc++abi-14-dev \
  g++-aarch64-linux-gnu g++-s390x-linux-gnu g++-i686-linux-gnu g++-riscv64-linux-gnu \
  g++-arm-linux-gnueabihf

# The tests under an emulator spend their time waiting for it, so they run as
# many at a time as there are cores (CTest reads this where a preset sets no
# number of jobs).
export CTEST_PARALLEL_LEVEL="${CTEST_PARALLEL_LEVEL:-$(nproc)}"

for preset in clang-libcxx linux-aarch64 linux-s390x linux-i686 linux-riscv64 linux-armhf; do
  echo "== $preset"
  start=$SECONDS
  cmake --workflow --preset "$preset"
  echo "== $preset passed in $((SECONDS - start)) s"
done
