#!/usr/bin/env bash
# make run: registers the component module in var/registry.reg and serves the
# sample site with vant-host.
set -euo pipefail
build=${1:-build}
site=${2:-site}
port=${3:-8080}
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$root/var/data"
export VANT_REGISTRY="$root/var/registry.reg"
echo "Built: $build/libvantupload.so, $build/vant-regsvr$( [ -x "$build/vant-host" ] && echo ", $build/vant-host")"
"$build/vant-regsvr" --registry "$VANT_REGISTRY" "$root/$build/libvantupload.so"
if [ ! -x "$build/vant-host" ]; then
  echo "The page host vant-host is not built yet; nothing to serve."
  exit 0
fi
echo "Serving $site on http://127.0.0.1:$port/ (Ctrl-C stops)"
# Visitors' files are kept in /uploads and /gallery/photos: no page runs
# there and nothing from there runs in the site's origin (docs/http.md).
exec "$build/vant-host" --site "$site" --listen "127.0.0.1:$port" \
  --registry "$VANT_REGISTRY" --data "$root/var/data" \
  --upload-folder /uploads --upload-folder /gallery/photos
