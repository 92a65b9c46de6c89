#!/usr/bin/env bash
# Release: builds every download of one version of simeq into dist/, each
# with the workflow preset of its own name (cmake/presets/release.json), in
# build/dist/PRESET, in the order .ci/lib/downloads.txt lists them. .ci/release-check.sh builds it twice and checks it.
#
# dist/ then holds, VERSION being the one project() in CMakeLists.txt names:
#   simeq-VERSION-linux-x86_64.tar.gz   fully static, stripped program, the
#   simeq-VERSION-linux-aarch64.tar.gz  manual page and README, in a folder
#   simeq-VERSION-linux-armhf.tar.gz    named like the archive
#   simeq_VERSION_amd64.deb             Debian packages (the C library
#   simeq_VERSION_arm64.deb             shared, as Debian expects; VERSION
#   simeq_VERSION_armhf.deb             with the Debian revision, if any)
#   simeq-VERSION-windows-x86_64.zip    simeq.exe and README.txt (CR LF)
#   simeq-VERSION-web.zip               the page: index.html, one file, with
#                                       its service worker, manifest and icons
#   simeq-VERSION.tar.gz                the source (git archive)
#   SHA256SUMS                          for sha256sum -c
#
# The bytes depend only on the commit and the Debian 12 tools: every time
# stamp is the last commit's (SOURCE_DATE_EPOCH), the presets map build paths
# away (-ffile-prefix-map), archive members are sorted with fixed owners and
# modes, and gzip stores no name or time. Installs what it needs (root).
set -euo pipefail
umask 022
export LC_ALL=C TZ=UTC
cd "$(dirname "$0")/.."

source .ci/lib/common.sh

# Runs the workflow preset $1, its output kept in build/dist/$1.log and
# shown only if it fails.
build_preset() {
  echo "== $1"
  if ! cmake --workflow --preset "$1" >"build/dist/$1.log" 2>&1; then
    cat "build/dist/$1.log" >&2
    echo "release.sh: the workflow $1 failed" >&2
    exit 1
  fi
}

# Writes the files of folder $2 (under $1) to the gzip'd tar $3.
make_tarball() {
  find "$1/$2" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  tar -C "$1" --sort=name --owner=0 --group=0 --numeric-owner \
    --mtime="@$SOURCE_DATE_EPOCH" --format=gnu -cf - "$2" | gzip -9 -n >"$3"
}

# simeq-VERSION-$1.tar.gz: the program of preset release-$1, stripped, with
# the manual page and the README.
static_tarball() {
  local name=simeq-$version-$1 stage=build/dist/stage-$1 page
  build_preset "release-$1"
  cmake --install "build/dist/release-$1" --prefix "$PWD/$stage/prefix" --strip >/dev/null
  mkdir "$stage/$name"
  cp "$stage/prefix/bin/simeq" "$stage/$name/simeq"
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
  make_tarball "$stage" "$name" "dist/$name.tar.gz"
}

# simeq_VERSION_$1.deb for Debian architecture $1: the package preset
# release-deb-$1 makes it with CPack.
debian_package() {
  build_preset "release-deb-$1"
  cp "$(one_deb "build/dist/release-deb-$1" "$1")" dist/
}

# Writes the files of folder $2 (under $1) to the zip $3: members sorted by
# name, each with its own mode and the time SOURCE_DATE_EPOCH (python3's
# zipfile, since the zip program takes times and order from the files).
make_zip() {
  python3 - "$1" "$2" "$3" <<'PYTHON'
import os, sys, time, zipfile
stage, folder, archive = sys.argv[1:]
stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
with zipfile.ZipFile(archive, "w") as z:
    for name in sorted(os.listdir(os.path.join(stage, folder))):
        path = os.path.join(stage, folder, name)
        info = zipfile.ZipInfo(f"{folder}/{name}", date_time=stamp)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 3  # Unix, so that the mode below is read
        info.external_attr = (0o100000 | (os.stat(path).st_mode & 0o777)) << 16
        with open(path, "rb") as member:
            z.writestr(info, member.read(), compresslevel=9)
PYTHON
}

# simeq-VERSION-windows-x86_64.zip: the Windows program and its download
# README as README.txt (CR LF).
windows_zip() {
  local name=simeq-$version-windows-x86_64 stage=build/dist/stage-windows-x86_64
  # The linker stamps the executable with SOURCE_DATE_EPOCH, not the time.
  build_preset release-windows-x86_64
  mkdir -p "$stage/$name"
  perl -pe 's/\r?\n/\r\n/' docs/download-windows.txt >"$stage/$name/README.txt"
  cp build/dist/release-windows-x86_64/src/simeq.exe "$stage/$name/simeq.exe"
  chmod 0644 "$stage/$name/README.txt"
  chmod 0755 "$stage/$name/simeq.exe"
  make_zip "$stage" "$name" "dist/$name.zip"
}

# simeq-VERSION-web.zip: the page, index.html, which holds all it needs.
web_zip() {
  local name=simeq-$version-web stage=build/dist/stage-web
  build_preset release-web
  mkdir -p "$stage/$name"
  cp build/dist/release-web/site/* "$stage/$name/"
  chmod 0644 "$stage/$name"/*
  make_zip "$stage" "$name" "dist/$name.zip"
}

# simeq-VERSION.tar.gz: the last commit's source.
source_tarball() {
  git archive --format=tar --prefix="simeq-$version/" HEAD | gzip -9 -n >"dist/simeq-$version.tar.gz"
}

# Builds one download of .ci/lib/downloads.txt: kind $1, preset $2.
build_download() {
  case $1 in
    static) static_tarball "${2#release-}" ;;
    deb) debian_package "${2#release-deb-}" ;;
    windows) windows_zip ;;
    web) web_zip ;;
    source) source_tarball ;;
    *) echo "release.sh: no way to build a download of kind $1" >&2; exit 1 ;;
  esac
}

main() {
  if [[ $# -ne 0 ]]; then
    echo "usage: $0   (builds dist/; .ci/release-check.sh checks a release)" >&2
    exit 2
  fi
  ensure_packages g++ cmake ninja-build git gzip file python3 dpkg-dev \
    g++-aarch64-linux-gnu g++-arm-linux-gnueabihf g++-mingw-w64-x86-64 emscripten
  ensure_npm
  version=$(simeq_version)
  if [[ -z $version ]]; then
    echo "release.sh: no version in project() of CMakeLists.txt" >&2
    exit 1
  fi
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
  export SOURCE_DATE_EPOCH
  if [[ -n $(git status --porcelain --untracked-files=no) ]]; then
    echo "release.sh: warning: uncommitted changes; the source tarball holds the last commit" >&2
  fi
  rm -rf dist build/dist
  mkdir -p dist build/dist
  echo "== simeq $version, time stamps from the last commit ($SOURCE_DATE_EPOCH)"

  for_each_download build_download

  (cd dist && sha256sum -- simeq* >SHA256SUMS)
  echo "== dist/"
  (cd dist && ls -l && cat SHA256SUMS)
}

main "$@"
