#!/usr/bin/env bash
# The hostile-input catalogue: hostile file names, multipart bodies, ranges,
# cookies, query strings, request lines, headers, MapPath and include paths,
# and page sources, all against one real vant-host. The cases live in
# tests/e2e/hostile/ (one file per group, tables beside them); after every
# group the host must still answer a plain page.
. "$(dirname "$0")/lib.sh"
HOSTILE=$(cd "$(dirname "$0")/hostile" && pwd)
. "$HOSTILE/lib.sh"

cp -r "$HOSTILE/site/." "$SITE/"
mkdir -p "$SITE/up" "$SITE/files"
seq 1 2000 | tr -d '\n' | head -c 5000 >"$SITE/files/data.bin"
cp "$SITE/files/data.bin" "$SITE/files/static.bin"

# Slow pages (a 5 MB page, a million parts) must not meet the idle deadline;
# the stalled-client cases run on a second host with short deadlines.
start_host --max-body 64M
PORT=${BASE##*:}

# HOSTILE_GROUPS="20_*" runs only the matching case files.
for group in "$HOSTILE"/${HOSTILE_GROUPS:-[0-9][0-9]_*}.sh; do
  echo "--- $(basename "$group" .sh)"
  . "$group"
  still_serving "$(basename "$group" .sh)"
done

finish
