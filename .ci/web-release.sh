# shellcheck shell=bash
# Sourced by the release scripts: the page as a download.
#
# web_zip ROOT DIST VERSION builds the page from the tree at ROOT (the web
# presets, in ROOT/build/web) and writes DIST/simeq-VERSION-web.zip, which
# unpacks to simeq-VERSION-web/index.html and the files it loads. Members
# are sorted by name, dated SOURCE_DATE_EPOCH, mode 0644, so the zip is the
# same, byte for byte, whenever the same commit is built.
#
# check_web_zip ROOT ZIP unpacks ZIP into a scratch folder and runs the
# browser test (tests/web/page_test.js) on it, from file:// with the table
# of terminal situations and from a local server, with the playwright-core
# that ROOT's web build installed.
web_zip() {
  local root=$1 dist=$2 version=$3
  (cd "$root" && cmake --preset web >/dev/null && cmake --build --preset web --target simeq_site >/dev/null)
  python3 - "$dist/simeq-$version-web.zip" "simeq-$version-web" "$root/build/web/site" <<'PYTHON'
import os, sys, time, zipfile
archive, folder, site = sys.argv[1:]
stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
with zipfile.ZipFile(archive, "w") as z:
    for name in sorted(os.listdir(site)):
        info = zipfile.ZipInfo(f"{folder}/{name}", date_time=stamp)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 3  # Unix, so that the mode below is read
        info.external_attr = (0o100000 | 0o644) << 16
        with open(os.path.join(site, name), "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
PYTHON
}

check_web_zip() {
  local root=$1 zip=$2 work status=0
  work=$(mktemp -d)
  python3 -m zipfile -e "$zip" "$work"
  local site
  site=$work/$(basename "$zip" .zip)
  if [[ ! -f $site/index.html ]]; then
    echo "web-release.sh: $(basename "$zip") has no $(basename "$site")/index.html" >&2
    status=1
  fi
  local origin
  for origin in file http; do
    local flags=()
    [[ $origin == file ]] && flags=(--situations)
    echo "== $(basename "$zip") from $origin"
    node "$root/tests/web/page_test.js" "$site" "$root/tests/transcripts" \
      "$root/build/web/npm/node_modules" "$origin" "${flags[@]}" || status=1
  done
  rm -rf "$work"
  return "$status"
}
