# Sourced by the CI scripts: ensure_packages NAME... installs, as root, those
# of the named Debian packages that are not installed yet.
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
