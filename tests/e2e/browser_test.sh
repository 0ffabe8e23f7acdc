#!/usr/bin/env bash
# The sample upload form with its monitor window, in headless Chromium
# (playwright-core from the committed lock file, Debian's /usr/bin/chromium).
. "$(dirname "$0")/lib.sh"

browser_dir=$SOURCE/tests/e2e/browser
if [ ! -x /usr/bin/chromium ]; then echo "chromium missing"; exit 1; fi
if [ ! -d "$browser_dir/node_modules/playwright-core" ]; then
  (cd "$browser_dir" && npm ci --no-audit --no-fund >/dev/null) || { echo "npm ci failed"; exit 1; }
fi

cp -r "$SOURCE/site/." "$SITE/"
rm -f "$SITE/uploads/"*.bin
start_host
head -c 50000000 /dev/urandom >"$WORK/big50.bin"

out=$(node "$browser_dir/monitor.mjs" "$BASE" "$WORK/big50.bin" 2>&1)
echo "$out" | tail -1 | cut -c1-300
json=$(echo "$out" | tail -1)
distinct=$(echo "$json" | grep -o '"percents":\[[^]]*\]' | grep -o '[0-9]\+' | sort -un | wc -l)
expect_eq "monitor window closed itself" "$(echo "$json" | grep -o '"monitorClosed":[a-z]*')" '"monitorClosed":true'
expect_eq "monitor bar advanced (two or more readings)" "$([ "$distinct" -ge 2 ] && echo yes || echo "no ($distinct)")" "yes"
expect_has "save page lists the file" "$json" "big50.bin"
expect_has "a finished upload is not called refused" "$json" '"refusedShown":false'
if cmp -s "$WORK/big50.bin" "$SITE/uploads/big50.bin"; then pass "saved file byte-identical"; else fail "saved file byte-identical" "$(ls -l "$SITE/uploads")"; fi
left=$(find "$SITE/uploads" -name '*.tm#' | wc -l)
expect_eq "no temporary file left" "$left" "0"

# An upload larger than the page's TotalLen (lowered to 1 MB here) is refused
# before it starts: the window says so and closes instead of polling forever.
sed -i 's/^var UPLOAD_MAX_TOTAL = .*/var UPLOAD_MAX_TOTAL = 1048576;/' "$SITE/upload/save.inc"
head -c 3000000 /dev/urandom >"$WORK/big3.bin"
json=$(node "$browser_dir/monitor.mjs" "$BASE" "$WORK/big3.bin" refused 2>&1 | tail -1)
echo "$json" | cut -c1-300
expect_has "refused upload: the window gives the reason" "$json" '"refusedShown":true'
expect_has "refused upload: the window closed itself" "$json" '"monitorClosed":true'
expect_eq "refused upload: nothing saved" "$(ls "$SITE/uploads" | grep -c big3)" "0"

# Refused by the host (413 over --max-body) before the page runs: no upload
# ever reports, and the window learns it from the form's window instead.
sed -i 's/^var UPLOAD_MAX_TOTAL = .*/var UPLOAD_MAX_TOTAL = 10485760;/' "$SITE/upload/save.inc"
kill "$HOST_PID" && wait "$HOST_PID" 2>/dev/null
start_host --max-body 1000000
json=$(node "$browser_dir/monitor.mjs" "$BASE" "$WORK/big3.bin" refused 2>&1 | tail -1)
echo "$json" | cut -c1-300
expect_has "host 413: the window gives the reason" "$json" '"refusedShown":true'
expect_has "host 413: the window closed itself" "$json" '"monitorClosed":true'

finish
