#!/usr/bin/env bash
# Packaging and static checks: clang-tidy on src/, the manual page through
# groff and mandoc, the Debian package built, installed, run once and
# removed, and the start-to-finish cost held to 1.5 times the floor.
# Installs what it needs; run as root (CI is).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

source .ci/ensure-packages.sh
ensure_packages g++ cmake make dpkg-dev clang-tidy lld valgrind groff-base mandoc gzip

build=$root/build/pkg

echo "== release build in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSIMEQ_BUILD_TESTS=OFF \
  -DSIMEQ_WERROR=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
cmake --build "$build" -j2

echo "== clang-tidy on src/"
# The sources this platform compiles, as the compile commands list them.
mapfile -t sources < <(grep -o '"file": "[^"]*"' "$build/compile_commands.json" |
  sed 's/"file": "\(.*\)"/\1/' | grep "^$root/src/" | sort -u)
if ((${#sources[@]} == 0)); then
  echo "package.sh: no sources of src/ in $build/compile_commands.json" >&2
  exit 1
fi
clang-tidy -p "$build" --quiet "${sources[@]}"

echo "== manual page"
lint=$(groff -man -ww -z docs/simeq.1 2>&1)
if [[ -n $lint ]]; then
  echo "$lint" >&2
  echo "package.sh: groff warns about docs/simeq.1" >&2
  exit 1
fi
lint=$(mandoc -T lint docs/simeq.1 2>&1 || true)
if [[ -n $lint ]]; then
  echo "$lint" >&2
  echo "package.sh: mandoc warns about docs/simeq.1" >&2
  exit 1
fi

echo "== Debian package"
rm -f "$build"/simeq_*.deb
(cd "$build" && cpack -G DEB)
debs=("$build"/simeq_*_amd64.deb)
deb=${debs[0]}
if [[ ! -f $deb ]]; then
  echo "package.sh: cpack made no simeq_<version>_amd64.deb" >&2
  exit 1
fi
dpkg-deb --info "$deb"
contents=$(dpkg-deb --contents "$deb")
echo "$contents"
for path in ./usr/bin/simeq ./usr/share/man/man1/simeq.1; do
  grep -q " $path" <<<"$contents" || {
    echo "package.sh: $path is not in $deb" >&2
    exit 1
  }
done

echo "== install, run once, remove"
dpkg -i "$deb"
trap 'dpkg -r simeq >/dev/null 2>&1 || true' EXIT
session=$(printf '1\n2\n3\n13\n4\n-1\n5\n' | timeout 30 setsid -w /usr/bin/simeq)
if ! grep -qF " The Value Of X ==> 2" <<<"$session"; then
  echo "$session" >&2
  echo "package.sh: the installed simeq did not solve the sample system" >&2
  exit 1
fi
echo "the installed simeq solved the sample system"
ls /usr/share/man/man1/simeq.1*

echo "== start-to-finish cost"
bench/run-cost.sh --max-ratio 1.5

dpkg -r simeq
trap - EXIT
echo "== package checks passed"
