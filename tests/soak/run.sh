#!/usr/bin/env bash
# Soak test: a real vant-host on loopback under a bounded mixed load from
# vant_soak (uploads with progress polling, downloads from disk and from the
# file cache with and without Range, cache changes, BLOB round trips,
# thumbnails), then checks that it left nothing behind.
#
#   tests/soak/run.sh [SECONDS] [CLIENTS]     default 90 s, 16 clients
#
# BUILD (or VANT_BUILD) names the build folder (default build); test data
# comes from $VANT_SHARED or ../shared beside the checkout. Exits 0 when
# every check passed.
set -u

SECONDS_LOAD=${1:-90}
CLIENTS=${2:-16}
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${BUILD:-${VANT_BUILD:-build}}"
[[ "$build" = /* ]] || build="$root/$build"
shared="${VANT_SHARED:-$root/../shared}"
SOAK="$build/vant_soak"

# Warm-up: the same mix for a short while, so every host thread has run every
# page and the allocator, the page cache and SQLite have reached their
# working size before the baseline is taken.
WARM_SECONDS=$(( SECONDS_LOAD / 9 < 5 ? 5 : (SECONDS_LOAD / 9 > 15 ? 15 : SECONDS_LOAD / 9) ))
# Each client runs one request at a time, plus a poller's during an upload;
# the worker pool grows on demand, capped here at what the clients can keep
# busy so every run reaches the same thread count.
THREADS=$(( CLIENTS * 2 + 8 ))
# Descriptors: after the load the host must hold what it held after warm-up.
# A slack of 2 covers a client socket whose close the host has not yet seen.
FD_SLACK=${SOAK_FD_SLACK:-2}
# Resident memory: glibc keeps freed memory in per-thread arenas and returns
# only part of it, so RSS after a load sits above the warm-up level even
# without a leak. The longest run (upload bodies up to ~9 MB held by
# $THREADS threads) can strand at most a few such buffers per arena; a leak
# grows with the number of requests instead. Allowed growth: 25 % of the
# baseline plus SOAK_RSS_SLACK_MB (default 96 MB).
RSS_SLACK_MB=${SOAK_RSS_SLACK_MB:-96}

die() { echo "soak: $*" >&2; exit 1; }
[ -x "$SOAK" ] || die "no $SOAK (build the vant_soak target)"
[ -x "$build/vant-host" ] && [ -x "$build/vant-regsvr" ] && [ -f "$build/libvantupload.so" ] ||
  die "vant-host, vant-regsvr or libvantupload.so missing in $build"
[ -d "$shared/testdata/images" ] || die "no test images in $shared/testdata/images (set VANT_SHARED)"

WORK=$(mktemp -d /tmp/vant-soak.XXXXXX)
SITE=$WORK/site
HOST_PID=""
cleanup() {
  [ -n "$HOST_PID" ] && kill "$HOST_PID" 2>/dev/null && wait "$HOST_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

mkdir -p "$SITE"
cp "$here"/site/* "$SITE"/
"$SOAK" make-files "$SITE" "$shared/testdata/images" || die "cannot lay out the site"
export VANT_REGISTRY=$WORK/registry.reg
"$build/vant-regsvr" --registry "$VANT_REGISTRY" "$build/libvantupload.so" >/dev/null || die "registration failed"
"$build/vant-host" --site "$SITE" --listen 127.0.0.1:0 --registry "$VANT_REGISTRY" --data "$WORK/data" \
  --threads "$THREADS" --log "$WORK/access.log" >"$WORK/host.out" 2>"$WORK/host.err" &
HOST_PID=$!
BASE=""
for _ in $(seq 1 300); do
  BASE=$(grep -o 'http://127.0.0.1:[0-9]*' "$WORK/host.out" 2>/dev/null | head -1)
  [ -n "$BASE" ] && break
  sleep 0.1
done
[ -n "$BASE" ] || { cat "$WORK/host.err" >&2; die "vant-host did not start"; }
[ "$(curl -s "$BASE/setup.asp")" = READY ] || die "setup page failed"

fd_count() { ls "/proc/$HOST_PID/fd" 2>/dev/null | wc -l; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$HOST_PID/status" 2>/dev/null || echo 0; }
# Waits until the host has closed the connections of a finished client.
settle() { sleep 2; }

echo "soak: vant-host $BASE ($THREADS threads), warm-up ${WARM_SECONDS} s, then ${SECONDS_LOAD} s with $CLIENTS clients"
"$SOAK" run "$BASE" "$WARM_SECONDS" "$CLIENTS" 1 >"$WORK/warm.out" 2>&1
warm_status=$?
settle
FD0=$(fd_count)
RSS0=$(rss_kb)

"$SOAK" run "$BASE" "$SECONDS_LOAD" "$CLIENTS" 2
load_status=$?
settle
FD1=$(fd_count)
RSS1=$(rss_kb)

FAILED=0
check() {  # NAME OK(0/1) DETAIL
  if [ "$2" = 0 ]; then echo "check: $1: ok ($3)"; else echo "check: $1: FAILED ($3)"; FAILED=$((FAILED + 1)); fi
}
kill -0 "$HOST_PID" 2>/dev/null; check "vant-host still running" $? "pid $HOST_PID"
[ "$warm_status" = 0 ]; check "warm-up run clean" $? "vant_soak exit $warm_status"
[ "$warm_status" = 0 ] || sed 's/^/  warm-up: /' "$WORK/warm.out" | grep -E 'failure|FAILED|stuck' | head -10
[ "$load_status" = 0 ]; check "load run clean (no failed request, final checks)" $? "vant_soak exit $load_status"
# Everything the clients saved they also deleted, so only the site's own
# files may remain; a *.tm# upload temp, a ~blob*.tmp or a thumbnail left
# behind shows up here.
left=$(cd "$SITE" && find . -type f ! -path './files/*' ! -path './cache/*' ! -path './img/*' \
  ! -path './db/soak.db' ! -path './db/soak.db-journal' ! -name '*.asp' ! -name '*.inc' | sort)
[ -z "$left" ]; check "no temporary or stray file left in the site" $? "$(echo "$left" | grep -c . ) found${left:+: $(echo $left | head -c 300)}"
rows=$(curl -s "$BASE/count.asp")
[ "$rows" = "ROWS 0" ]; check "no BLOB row left" $? "$rows"
errors=$(awk '$9 ~ /^5[0-9][0-9]$/' "$WORK/access.log" | wc -l)
[ "$errors" = 0 ]; check "no 5xx in the access log" $? "$errors of $(wc -l <"$WORK/access.log") requests"
[ "$FD1" -le $((FD0 + FD_SLACK)) ]; check "open descriptors back to the warm-up level" $? "$FD0 after warm-up, $FD1 after the load, slack $FD_SLACK"
rss_limit=$((RSS0 + RSS0 / 4 + RSS_SLACK_MB * 1024))
[ "$RSS1" -le "$rss_limit" ]; check "resident memory back near the warm-up level" $? "$((RSS0 / 1024)) MB after warm-up, $((RSS1 / 1024)) MB after the load, limit $((rss_limit / 1024)) MB"
if [ -s "$WORK/host.err" ]; then echo "--- vant-host stderr (last 20 lines)"; tail -20 "$WORK/host.err"; fi
if [ "$FAILED" -ne 0 ]; then echo "soak: $FAILED check(s) FAILED"; exit 1; fi
echo "soak: all checks passed"
