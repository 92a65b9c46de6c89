#!/usr/bin/env bash
# Release check: builds the release twice with .ci/release.sh, from two
# clones of the last commit in two different folders, fails if any file
# differs by a byte, and then checks each download: every file of dist/ is
# checked by one function below and is listed in SHA256SUMS. Installs what it
# needs (root); the packages are installed only into scratch folders.
set -euo pipefail
umask 022
export LC_ALL=C TZ=UTC
cd "$(dirname "$0")/.."

source .ci/lib/common.sh
source .ci/lib/transcripts.sh

# Fails with message $1.
fail() {
  echo "release-check.sh: $1" >&2
  exit 1
}

# Fails with message $1 unless the text on standard input contains $2.
expect() {
  grep -qF -- "$2" || fail "$1"
}

# The highest C library symbol version the program $2 needs, read with the
# objdump $1 ("2.34", say).
glibc_needed() {
  "$1" -T "$2" | grep -o 'GLIBC_[0-9.]*' | sed 's/GLIBC_//' | sort -uV | tail -1
}

# Checks that dist/ holds file $1 and counts it as checked.
take() {
  [[ -f $dist/$1 ]] || fail "dist/ holds no $1"
  checked+=("$1")
}

# Builds the release in two clones of the last commit, in folders of
# different names and depths (so that a build path left in any file shows
# as a difference), compares them and sets dist to the first one's dist/.
build_twice() {
  local commit first=$work/first second=$work/a/second-folder tree file differ=0
  commit=$(git rev-parse HEAD)
  for tree in "$first" "$second"; do
    git clone -q --no-checkout "$PWD" "$tree"
    git -C "$tree" checkout -q "$commit"
    echo "== release build in $tree"
    bash "$tree/.ci/release.sh"
  done
  echo "== the two builds, byte for byte"
  dist=$first/dist
  diff <(cd "$dist" && ls) <(cd "$second/dist" && ls) || fail "the two builds made different files"
  for file in "$dist"/*; do
    if cmp "$file" "$second/dist/$(basename "$file")"; then
      echo "identical: $(basename "$file")"
    else
      differ=1
    fi
  done
  ((differ == 0)) || fail "the release is not reproducible"
}

# simeq-VERSION-$1.tar.gz: a fully static, stripped program whose `file`
# description names processor $2 and which passes every golden transcript,
# run directly or under the emulator $3... It also holds the manual page and
# the README. The host's program also costs at most half the floor's
# instructions.
check_static_tarball() {
  local name=simeq-$version-$1 processor=$2 program
  shift 2
  echo "== $name.tar.gz"
  take "$name.tar.gz"
  tar -tvf "$dist/$name.tar.gz"
  diff <(tar -tf "$dist/$name.tar.gz") \
    <(printf '%s\n' "$name/" "$name/README" "$name/simeq" "$name/simeq.1") ||
    fail "$name.tar.gz does not hold exactly the program, its manual page and the README"
  tar -C "$work" -xf "$dist/$name.tar.gz"
  program=$work/$name/simeq
  file "$program" | tee "$work/file"
  expect "$name/simeq is not statically linked" "statically linked" <"$work/file"
  expect "$name/simeq is not stripped" ", stripped" <"$work/file"
  expect "$name/simeq is not for $processor" "$processor" <"$work/file"
  readelf -d "$program" >"$work/dynamic"
  expect "$name/simeq has a dynamic section" "no dynamic section" <"$work/dynamic"
  check_transcripts "$name${1:+ ($1)}" lf "$@" "$program"
  if (($# == 0)); then
    echo "== start-to-finish cost of $name/simeq"
    bench/run-cost.sh --binary "$program" --transcript elimination_thirds --max-ratio 0.5
  fi
}

# simeq-VERSION-windows-x86_64.zip: README.txt with CR LF line ends, and a
# simeq.exe that passes every golden transcript under wine.
check_windows_zip() {
  local name=simeq-$version-windows-x86_64 folder
  echo "== $name.zip"
  take "$name.zip"
  python3 -m zipfile -l "$dist/$name.zip"
  python3 -m zipfile -e "$dist/$name.zip" "$work/zip"
  folder=$work/zip/$name
  if perl -0777 -ne 'exit(/(?<!\r)\n/ ? 0 : 1)' "$folder/README.txt"; then
    fail "README.txt in the zip has a line without CR LF"
  fi
  start_wine_prefix
  check_transcripts "simeq.exe (wine)" crlf wine "$folder/simeq.exe"
}

# simeq-VERSION-web.zip: index.html, the whole page in one file, with the
# service worker, the manifest and its icons, and nothing else, in a folder
# of the zip's name, passing the browser test from file:// (every golden
# transcript, the situations and the graph's systems) and from a local server
# (the transcripts, offline after the first), and from both the rows for what
# a served page promises and the situations that keep and share the working
# (Save, Copy, Print, links, a phone), with the playwright-core that the first
# build's npm ci installed.
check_web_zip() {
  local name=simeq-$version-web origin flags files site
  echo "== $name.zip"
  take "$name.zip"
  python3 -m zipfile -l "$dist/$name.zip"
  python3 -m zipfile -e "$dist/$name.zip" "$work/web"
  site="icon-192.png icon-512.png icon-maskable-512.png index.html manifest.webmanifest sw.js"
  files=$(cd "$work/web/$name" && LC_ALL=C ls | paste -sd ' ')
  [[ $files == "$site" ]] || fail "$name.zip holds $files, not $site"
  for origin in file http; do
    flags=()
    [[ $origin == file ]] && flags=(--situations)
    echo "== $name from $origin"
    node tests/web/page_test.js "$work/web/$name" tests/transcripts \
      "$dist/../build/dist/release-web/npm/node_modules" "$origin" "${flags[@]}" ||
      fail "$name.zip does not pass the browser test from $origin"
  done
}

# simeq_VERSION_$1.deb, for Debian architecture $1: its fields; installed
# with dpkg into a scratch folder, every file it lists, of the listed size;
# a libc6 at least as new as every C library symbol version the program
# uses (read with the objdump $2); and a program that passes every golden
# transcript, run directly or under the emulator $3...
check_debian_package() {
  local arch=$1 objdump=$2 deb target needed declared
  shift 2
  deb=$(cd "$dist" && printf '%s\n' simeq_*.deb | { grep -E "^simeq_$version(-[0-9.]+)?_$arch\.deb$" || true; })
  echo "== ${deb:-simeq_${version}_$arch.deb}"
  take "${deb:-simeq_${version}_$arch.deb}"
  deb=$dist/$deb
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
    fail "dpkg could not install $deb"
  fi
  # Every file the package lists is installed there, of the listed size.
  dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $3, $6 }' | while read -r size path; do
    installed=$target/${path#./}
    if [[ ! -f $installed || $(stat -c %s "$installed") != "$size" ]]; then
      fail "$path of $deb is not installed as listed"
    fi
    echo "installed: ${path#.}"
  done
  needed=$(glibc_needed "$objdump" "$target/usr/bin/simeq")
  declared=$(sed -n 's/.*libc6 (>= \([0-9.]*\)).*/\1/p' "$work/control")
  if [[ -z $declared ]] || ! dpkg --compare-versions "$declared" ge "$needed"; then
    fail "$deb depends on libc6 >= '$declared' but uses GLIBC_$needed"
  fi
  echo "uses GLIBC_$needed, depends on libc6 (>= $declared)"
  check_transcripts "$(basename "$deb")" lf "$@" "$target/usr/bin/simeq"
}

# simeq-VERSION.tar.gz, the source: its bytes are held by the comparison of
# the two builds and by SHA256SUMS.
check_source_tarball() {
  take "simeq-$version.tar.gz"
}

# SHA256SUMS: the checksum of every other file, each right.
check_checksums() {
  echo "== SHA256SUMS"
  take SHA256SUMS
  diff <(cd "$dist" && printf '%s\n' * | grep -vx SHA256SUMS) <(awk '{ print $2 }' "$dist/SHA256SUMS" | sort) ||
    fail "SHA256SUMS does not list exactly the other files of dist/"
  (cd "$dist" && sha256sum -c SHA256SUMS)
}

# dist/ holds no file that no check above looked at.
check_nothing_else() {
  diff <(cd "$dist" && printf '%s\n' *) <(printf '%s\n' "${checked[@]}" | sort) ||
    fail "dist/ does not hold exactly the files checked"
}

# Checks one download of .ci/lib/downloads.txt: kind $1, preset $2, the
# processor or objdump $3 and the emulator $4 (words), if any.
check_download() {
  local emulator
  read -r -a emulator <<<"$4"
  case $1 in
    static) check_static_tarball "${2#release-}" "$3" "${emulator[@]}" ;;
    deb) check_debian_package "${2#release-deb-}" "$3" "${emulator[@]}" ;;
    windows) check_windows_zip ;;
    web) check_web_zip ;;
    source) check_source_tarball ;;
    *) fail "no check for a download of kind $1" ;;
  esac
}

main() {
  ensure_packages git file python3 dpkg-dev qemu-user wine wine64 valgrind \
    binutils-aarch64-linux-gnu binutils-arm-linux-gnueabihf chromium poppler-utils
  ensure_npm
  version=$(simeq_version)
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  checked=()
  build_twice

  check_checksums
  for_each_download check_download
  check_nothing_else
  echo "== release checks passed"
}

main "$@"
