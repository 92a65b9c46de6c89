#!/usr/bin/env bash
# Release: builds every download of one version of simeq into dist/.
#
#   .ci/release.sh           build dist/ from this tree
#   .ci/release.sh --check   build the release twice, from two clones of the
#                            last commit in two different folders, fail if
#                            any file differs by a byte, then check each file
#
# dist/ then holds, VERSION being the one project() in CMakeLists.txt names:
#   simeq-VERSION-linux-x86_64.tar.gz   fully static, stripped program, the
#   simeq-VERSION-linux-aarch64.tar.gz  manual page and README, in a folder
#                                       named like the archive
#   simeq_VERSION_amd64.deb             Debian packages (the C library
#   simeq_VERSION_arm64.deb             shared, as Debian expects; VERSION
#                                       with the Debian revision, if any)
#   simeq-VERSION-windows-x86_64.zip    simeq.exe and README.txt (CR LF)
#   simeq-VERSION.tar.gz                the source (git archive)
#   SHA256SUMS                          for sha256sum -c
#
# The bytes depend only on the commit and the Debian 12 tools: every time
# stamp is the last commit's (SOURCE_DATE_EPOCH), build paths are mapped away
# (-ffile-prefix-map), archive members are sorted with fixed owners and
# modes, and gzip stores no name or time. Installs what it needs (root).
set -euo pipefail
umask 022
export LC_ALL=C TZ=UTC
cd "$(dirname "$0")/.."
root=$(pwd)

source .ci/ensure-packages.sh
source .ci/transcripts.sh

mode=build
if [[ $# -eq 1 && $1 == --check ]]; then
  mode=check
elif [[ $# -ne 0 ]]; then
  echo "usage: $0 [--check]" >&2
  exit 2
fi

ensure_packages g++ cmake make git gzip file python3 dpkg-dev \
  g++-aarch64-linux-gnu g++-mingw-w64-x86-64

version=$(sed -n 's/^project(simeq VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
if [[ -z $version ]]; then
  echo "release.sh: no version in project() of CMakeLists.txt" >&2
  exit 1
fi
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH

# Builds, from scratch in build/dist/NAME, the program for one platform:
# configure_and_build NAME CMAKE-ARGUMENT...
configure_and_build() {
  local dir=$root/build/dist/$1
  shift
  rm -rf "$dir"
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DSIMEQ_BUILD_TESTS=OFF \
    -DSIMEQ_WERROR=ON -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$root/=" "$@" >/dev/null
  cmake --build "$dir" -j2 >/dev/null
}

# Writes the files of folder $2 (under $1) to the gzip'd tar $3.
make_tarball() {
  find "$1/$2" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  tar -C "$1" --sort=name --owner=0 --group=0 --numeric-owner \
    --mtime="@$SOURCE_DATE_EPOCH" --format=gnu -cf - "$2" | gzip -9 -n >"$3"
}

# The fully static program for processor $1, built with CMake arguments $2...
static_tarball() {
  local arch=$1
  shift
  local name=simeq-$version-linux-$arch stage=$root/build/dist/stage-$arch
  configure_and_build "static-$arch" -DSIMEQ_STATIC=ON "$@"
  rm -rf "$stage"
  cmake --install "$root/build/dist/static-$arch" --prefix "$stage/prefix" --strip >/dev/null
  mkdir "$stage/$name"
  cp "$stage/prefix/bin/simeq" "$stage/$name/simeq"
  local page
  page=$(find "$stage/prefix/share/man/man1" -name 'simeq.1*')
  if [[ $page == *.gz ]]; then
    gzip -dc "$page" >"$stage/$name/simeq.1"
  else
    cp "$page" "$stage/$name/simeq.1"
  fi
  # A README for the download, about running what it holds; the source's
  # README.md is about building.
  cp docs/download-linux.txt "$stage/$name/README"
  chmod 0755 "$stage/$name" "$stage/$name/simeq"
  chmod 0644 "$stage/$name/simeq.1" "$stage/$name/README"
  make_tarball "$stage" "$name" "$root/dist/$name.tar.gz"
}

# The highest C library symbol version the program $2 needs, read with the
# objdump $1 ("2.34", say).
glibc_needed() {
  "$1" -T "$2" | grep -o 'GLIBC_[0-9.]*' | sed 's/GLIBC_//' | sort -uV | tail -1
}

# The Debian package for Debian architecture $1 from the build named $2,
# built with CMake arguments $3...
debian_package() {
  local arch=$1 build=$2
  shift 2
  configure_and_build "$build" "$@"
  local dir=$root/build/dist/$build cpack_args=(-G DEB)
  if [[ $arch != "$(dpkg --print-architecture)" ]]; then
    # dpkg-shlibdeps knows only this machine's C library: the dependency is
    # the newest C library symbol version the program uses.
    local objdump
    objdump=$(grep -o '^CMAKE_OBJDUMP:FILEPATH=.*' "$dir/CMakeCache.txt" | cut -d= -f2)
    cpack_args+=(-D "CPACK_DEBIAN_PACKAGE_DEPENDS=libc6 (>= $(glibc_needed "$objdump" "$dir/src/simeq"))")
  fi
  (cd "$dir" && rm -f simeq_*.deb && cpack "${cpack_args[@]}" >/dev/null)
  local debs=("$dir"/simeq_*_"$arch".deb)
  if [[ ${#debs[@]} -ne 1 || ! -f ${debs[0]} ]]; then
    echo "release.sh: cpack made no simeq_*_$arch.deb in $dir" >&2
    exit 1
  fi
  cp "${debs[0]}" "$root/dist/"
}

# The Windows program and its download README as README.txt (CR LF) in a
# zip of fixed time stamps.
windows_zip() {
  # The linker stamps the executable with SOURCE_DATE_EPOCH, not the time.
  configure_and_build windows-x86_64 --toolchain "$root/cmake/mingw-w64-x86_64.cmake"
  python3 - "$root/dist/simeq-$version-windows-x86_64.zip" "simeq-$version-windows-x86_64" \
    "$root/build/dist/windows-x86_64/src/simeq.exe" docs/download-windows.txt <<'EOF'
import os, sys, time, zipfile
archive, folder, exe, readme = sys.argv[1:]
stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
text = open(readme, "rb").read().replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
members = {"README.txt": (text, 0o644), "simeq.exe": (open(exe, "rb").read(), 0o755)}
with zipfile.ZipFile(archive, "w") as z:
    for name in sorted(members):
        data, mode = members[name]
        info = zipfile.ZipInfo(f"{folder}/{name}", date_time=stamp)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 3  # Unix, so that the mode below is read
        info.external_attr = (0o100000 | mode) << 16
        z.writestr(info, data, compresslevel=9)
EOF
}

build_release() {
  if [[ -n $(git status --porcelain --untracked-files=no) ]]; then
    echo "release.sh: warning: uncommitted changes; the source tarball holds the last commit" >&2
  fi
  rm -rf "$root/dist"
  mkdir -p "$root/dist" "$root/build/dist"
  echo "== simeq $version, time stamps from the last commit ($SOURCE_DATE_EPOCH)"
  static_tarball x86_64
  static_tarball aarch64 --toolchain "$root/cmake/linux-aarch64.cmake"
  debian_package amd64 deb-amd64
  debian_package arm64 deb-arm64 --toolchain "$root/cmake/linux-aarch64.cmake"
  windows_zip
  git archive --format=tar --prefix="simeq-$version/" HEAD | gzip -9 -n >"dist/simeq-$version.tar.gz"
  (cd dist && sha256sum -- simeq* >SHA256SUMS)
  echo "== dist/"
  (cd dist && ls -l && cat SHA256SUMS)
}

if [[ $mode == build ]]; then
  build_release
  exit 0
fi

# --check from here on.
ensure_packages qemu-user wine wine64 valgrind binutils-aarch64-linux-gnu
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
commit=$(git rev-parse HEAD)
# Two folders of different names and depths, so that a build path left in
# any artifact shows as a difference.
first=$work/first
second=$work/a/second-folder
for tree in "$first" "$second"; do
  git clone -q --no-checkout "$root" "$tree"
  git -C "$tree" checkout -q "$commit"
  echo "== release build in $tree"
  bash "$tree/.ci/release.sh"
done

echo "== the two builds, byte for byte"
dist=$first/dist
if ! diff <(cd "$dist" && ls) <(cd "$second/dist" && ls); then
  echo "release.sh: the two builds made different files" >&2
  exit 1
fi
differ=0
for file in "$dist"/*; do
  if cmp "$file" "$second/dist/$(basename "$file")"; then
    echo "identical: $(basename "$file")"
  else
    differ=1
  fi
done
((differ == 0)) || { echo "release.sh: the release is not reproducible" >&2; exit 1; }

echo "== the files and their checksums"
# The packages' names carry the Debian revision where one is set.
names=$(cd "$dist" && printf '%s\n' * | sort)
deb_amd64=$(grep -E "^simeq_$version(-[0-9.]+)?_amd64\.deb$" <<<"$names" || true)
deb_arm64=$(grep -E "^simeq_$version(-[0-9.]+)?_arm64\.deb$" <<<"$names" || true)
expected="SHA256SUMS simeq-$version-linux-aarch64.tar.gz simeq-$version-linux-x86_64.tar.gz
simeq-$version-windows-x86_64.zip simeq-$version.tar.gz ${deb_amd64:-simeq_${version}_amd64.deb}
${deb_arm64:-simeq_${version}_arm64.deb}"
if [[ $names != "$(tr ' ' '\n' <<<"$expected" | sort)" ]]; then
  echo "release.sh: dist/ does not hold exactly these files: $expected" >&2
  exit 1
fi
(cd "$dist" && sha256sum -c SHA256SUMS)

# Fails with message $1 unless the text on standard input contains $2.
expect() {
  grep -qF -- "$2" || { echo "release.sh: $1" >&2; exit 1; }
}

for arch in x86_64 aarch64; do
  name=simeq-$version-linux-$arch
  echo "== $name.tar.gz"
  tar -tvf "$dist/$name.tar.gz"
  diff <(tar -tf "$dist/$name.tar.gz") <(printf '%s\n' "$name/" "$name/README" "$name/simeq" "$name/simeq.1")
  tar -C "$work" -xf "$dist/$name.tar.gz"
  program=$work/$name/simeq
  file "$program" | tee "$work/file"
  expect "$name/simeq is not statically linked" "statically linked" <"$work/file"
  expect "$name/simeq is not stripped" ", stripped" <"$work/file"
  readelf -d "$program" >"$work/dynamic"
  expect "$name/simeq has a dynamic section" "no dynamic section" <"$work/dynamic"
  if [[ $arch == x86_64 ]]; then
    expect "$name/simeq is not for x86-64" "x86-64" <"$work/file"
    check_transcripts "$name" lf "$program"
  else
    expect "$name/simeq is not for ARM64" "ARM aarch64" <"$work/file"
    check_transcripts "$name (qemu-aarch64)" lf qemu-aarch64 "$program"
  fi
done

echo "== simeq-$version-windows-x86_64.zip"
python3 -m zipfile -l "$dist/simeq-$version-windows-x86_64.zip"
python3 -m zipfile -e "$dist/simeq-$version-windows-x86_64.zip" "$work/zip"
folder=$work/zip/simeq-$version-windows-x86_64
if perl -0777 -ne 'exit(/(?<!\r)\n/ ? 0 : 1)' "$folder/README.txt"; then
  echo "release.sh: README.txt in the zip has a line without CR LF" >&2
  exit 1
fi
export WINEPREFIX=$root/build/windows/wineprefix WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  mkdir -p "$WINEPREFIX"
  timeout 300 setsid -w wineboot -i </dev/null >/dev/null 2>&1
fi
check_transcripts "simeq.exe (wine)" crlf wine "$folder/simeq.exe"

for arch in amd64 arm64; do
  deb_name=deb_$arch
  deb=$dist/${!deb_name}
  echo "== $(basename "$deb")"
  dpkg-deb -f "$deb" Package Version Architecture Depends | tee "$work/control"
  expect "$deb: wrong Architecture" "Architecture: $arch" <"$work/control"
  expect "$deb: wrong Version" "Version: $version" <"$work/control"
  # Installed with dpkg into a folder of its own, with a database of its own.
  target=$work/root-$arch
  mkdir -p "$target/var/lib/dpkg/info" "$target/var/lib/dpkg/updates"
  touch "$target/var/lib/dpkg/status"
  if ! dpkg --root="$target" --log=/dev/null --force-depends --force-architecture \
    -i "$deb" >"$work/dpkg.log" 2>&1; then
    cat "$work/dpkg.log" >&2
    echo "release.sh: dpkg could not install $deb" >&2
    exit 1
  fi
  # Every file the package lists is installed there, of the listed size.
  dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $3, $6 }' | while read -r size path; do
    installed=$target/${path#./}
    if [[ ! -f $installed || $(stat -c %s "$installed") != "$size" ]]; then
      echo "release.sh: $path of $deb is not installed as listed" >&2
      exit 1
    fi
    echo "installed: ${path#.}"
  done
  program=$target/usr/bin/simeq
  # The C library the package depends on has every symbol version it uses.
  if [[ $arch == arm64 ]]; then
    needed=$(glibc_needed aarch64-linux-gnu-objdump "$program")
    runner=(qemu-aarch64 -L /usr/aarch64-linux-gnu)
  else
    needed=$(glibc_needed objdump "$program")
    runner=()
  fi
  declared=$(sed -n 's/.*libc6 (>= \([0-9.]*\)).*/\1/p' "$work/control")
  if [[ -z $declared ]] || ! dpkg --compare-versions "$declared" ge "$needed"; then
    echo "release.sh: $deb depends on libc6 >= '$declared' but uses GLIBC_$needed" >&2
    exit 1
  fi
  echo "uses GLIBC_$needed, depends on libc6 (>= $declared)"
  check_transcripts "$(basename "$deb")" lf "${runner[@]}" "$program"
done

echo "== start-to-finish cost of the static program"
bench/run-cost.sh --transcript elimination_thirds --max-static-ratio 0.5

echo "== release checks passed"
