# shellcheck shell=bash
# Sourced by the CI and release scripts, which run from the top of the tree:
# the steps several of them take.

# ensure_packages NAME... installs, as root, those of the named Debian
# packages that are not installed yet.
ensure_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
      missing+=("$package")
  done
  if ((${#missing[@]} > 0)); then
    # One package-list update serves every script of the run.
    if [[ -z "${SIMEQ_APT_UPDATED:-}" ]]; then
      apt-get update
      export SIMEQ_APT_UPDATED=1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# start_wine_prefix sets wine up to run console programs with no display, in
# the prefix build/windows/wineprefix, which it makes the first time.
start_wine_prefix() {
  export WINEPREFIX=$PWD/build/windows/wineprefix WINEDEBUG=-all
  unset DISPLAY WAYLAND_DISPLAY
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    mkdir -p "$WINEPREFIX"
    timeout 300 setsid -w wineboot -i </dev/null >/dev/null 2>&1
  fi
}

# one_deb DIR ARCH prints the path of the one simeq_*_ARCH.deb that cpack
# made in DIR, and fails if there is not exactly one.
one_deb() {
  local debs=("$1"/simeq_*_"$2".deb)
  if [[ ${#debs[@]} -ne 1 || ! -f ${debs[0]} ]]; then
    echo "cpack made no single simeq_*_$2.deb in $1" >&2
    return 1
  fi
  printf '%s\n' "${debs[0]}"
}

# simeq_version prints the version that project() in CMakeLists.txt names.
simeq_version() {
  sed -n 's/^project(simeq VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt
}

# ensure_npm installs Debian's node and npm, unless the machine has an npm
# of its own already.
ensure_npm() {
  command -v npm >/dev/null || ensure_packages nodejs npm
}

# for_each_download FUNCTION calls FUNCTION KIND PRESET DETAIL EMULATOR for
# each download of the release, in order (.ci/lib/downloads.txt). The list
# is read whole first, so that nothing FUNCTION runs can take its lines.
for_each_download() {
  local lines line kind preset detail emulator
  mapfile -t lines < <(grep -v -e '^#' -e '^$' .ci/lib/downloads.txt)
  for line in "${lines[@]}"; do
    IFS='|' read -r kind preset detail emulator <<<"$line"
    "$1" "$kind" "$preset" "$detail" "$emulator"
  done
}
