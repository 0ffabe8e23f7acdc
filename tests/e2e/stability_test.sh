#!/usr/bin/env bash
# Host stability under every error path. Two hosts take every fault kind of
# the injection table, each fault repeating (VANT_FAULTS kind:n:ERRNO:repeat)
# while pages upload and save, store and write BLOBs and download; a third
# takes the whole hostile-input catalogue (every group file of
# tests/e2e/hostile/, whatever rows they hold). Each host runs a warm-up
# round and then STABILITY_ROUNDS more (default 3). After every round the
# host's resident memory (VmRSS), thread count and open descriptors are
# sampled; the last rounds may not grow beyond a small bound over every
# earlier one, so nothing an error path leaves behind accumulates.
. "$(dirname "$0")/lib.sh"
HOSTILE=$(cd "$(dirname "$0")/hostile" && pwd)
. "$HOSTILE/lib.sh"

ROUNDS=${STABILITY_ROUNDS:-3}
THREAD_BOUND=2
FD_BOUND=4
# The allocator keeps an arena per thread, up to eight per core, each
# holding on to its own peak; capped, the resident size follows what the
# host holds rather than which worker a request happened to meet.
export MALLOC_ARENA_MAX=2

# sample PID: "RSS_KB THREADS FDS" once the last page's objects are gone.
sample() {
  sleep 1
  printf '%s %s %s\n' "$(awk '/^VmRSS/ { print $2 }' "/proc/$1/status")" \
    "$(awk '/^Threads/ { print $2 }' "/proc/$1/status")" "$(find "/proc/$1/fd" -mindepth 1 | wc -l)"
}

# rounds NAME PID RSS-BOUND-KB ROUND-FUNCTION: a warm-up round, then ROUNDS
# more, sampling after each. A leak adds to every round, so both of the last
# two samples exceed every sample before them by its size; memory that comes
# and goes between rounds (pages that filled their heaps, a freed peak the
# allocator keeps for a while) raises one sample, not both, and so the
# smaller of the two may exceed the largest earlier one by at most the
# bound. Threads and descriptors never swing: the last sample counts. The
# round may source the catalogue's files, which set variables of their own,
# so every name here is prefixed.
rounds() {
  local st_label=$1 st_pid=$2 st_bound=$3 st_run=$4 st_round st_now
  local st_rss=0 st_th=0 st_fd=0 st_rss1 st_th1 st_fd1 st_prev=0 st_low
  for st_round in $(seq 0 "$ROUNDS"); do
    "$st_run"
    kill -0 "$st_pid" 2>/dev/null || { fail "$st_label: host alive after round $st_round"; return; }
    st_now=$(sample "$st_pid")
    echo "  ($st_label, round $st_round: RSS kB, threads, descriptors: $st_now)"
    read -r st_rss1 st_th1 st_fd1 <<<"$st_now"
    [ "$st_round" -eq "$ROUNDS" ] && break
    # The largest memory sample before the last two.
    ((st_round < ROUNDS - 1 && st_rss1 > st_rss)) && st_rss=$st_rss1
    st_prev=$st_rss1
    ((st_th1 > st_th)) && st_th=$st_th1
    ((st_fd1 > st_fd)) && st_fd=$st_fd1
  done
  st_low=$((st_prev < st_rss1 ? st_prev : st_rss1))
  expect_eq "$st_label: resident memory grows less than $st_bound kB a round" \
    "$([ $((st_low - st_rss)) -lt "$st_bound" ] && echo bounded || echo "$st_rss -> $st_prev, $st_rss1 kB")" bounded
  expect_eq "$st_label: thread count bounded" \
    "$([ $((st_th1 - st_th)) -le "$THREAD_BOUND" ] && echo bounded || echo "$st_th -> $st_th1")" bounded
  expect_eq "$st_label: open descriptors bounded" \
    "$([ $((st_fd1 - st_fd)) -le "$FD_BOUND" ] && echo bounded || echo "$st_fd -> $st_fd1")" bounded
}

# --- Faults: one host per plan, every fault repeating, outcomes not checked
# (a fault may hit any request); the host must live and stay bounded.
MAIN_SITE=$SITE
SITE=$WORK/fault-site
. "$(dirname "$0")/fault_site.sh"
"$BUILD/vant-regsvr" --registry "$VANT_REGISTRY" "$BUILD/libvantupload.so" >/dev/null

# Four times: uploads saved, a BLOB stored and written out, a download and
# a plain page. FAULTS_MET counts the pages that reported a failure.
fault_round() {
  local i
  for i in 1 2 3 4; do
    {
      curl -s -F "f=@$F/big.bin" "$FBASE/up.asp"; echo
      curl -s -F "f=@$F/small.bin" "$FBASE/up.asp"; echo
      curl -s "$FBASE/blobput.asp"; echo
      curl -s "$FBASE/blobout.asp"; echo
    } >>"$WORK/fault-pages.out"
    curl -s -o /dev/null "$FBASE/dl.asp?f=dl.bin"
    curl -s -o /dev/null "$FBASE/hello.asp"
  done
  rm -f "$SITE/uploads/"* "$SITE/db/blobs.db"
}

while IFS='|' read -r name plan; do
  VANT_FAULTS="$plan" "$BUILD/vant-host" --site "$SITE" --listen 127.0.0.1:0 \
    --registry "$VANT_REGISTRY" --data "$WORK/fault-data" >"$WORK/fault.out" 2>"$WORK/fault.err" &
  FPID=$!
  FBASE=$(host_address "$WORK/fault.out")
  : >"$WORK/fault-pages.out"
  rounds "faults $name" "$FPID" 4096 fault_round
  expect_eq "faults $name: pages met the faults" \
    "$([ "$(grep -c '^ERR' "$WORK/fault-pages.out")" -gt 0 ] && echo yes || echo none)" yes
  expect_eq "faults $name: no temporary file left" \
    "$(find "$SITE" \( -name '*.tm#' -o -name '~blob*.tmp' \) | grep -c .)" "0"
  kill "$FPID" 2>/dev/null
  wait "$FPID" 2>/dev/null
done <<'PLANS'
full disk, denied move, reset and broken socket|write:7:ENOSPC:repeat,rename:2:EACCES:repeat,body-read:40:ECONNRESET:repeat,socket-write:30:EPIPE:repeat
I/O errors, cross-volume moves, no descriptors, failed accepts and headers|write:5:EIO:repeat,rename:1:EXDEV:repeat,open:13:EMFILE:repeat,accept:9:EMFILE:repeat,header-read:11:ECONNRESET:repeat
PLANS

# --- The hostile catalogue, every group, against one host set up as
# hostile_test.sh sets it up.
SITE=$MAIN_SITE
cp -r "$HOSTILE/site/." "$SITE/"
mkdir -p "$SITE/up" "$SITE/files"
seq 1 2000 | tr -d '\n' | head -c 5000 >"$SITE/files/data.bin"
cp "$SITE/files/data.bin" "$SITE/files/static.bin"
start_host --max-body 64M
PORT=${BASE##*:}

hostile_round() {
  local st_group
  for st_group in "$HOSTILE"/${HOSTILE_GROUPS:-[0-9][0-9]_*}.sh; do
    . "$st_group" >"$WORK/round.log" 2>&1
    grep -q '^FAIL' "$WORK/round.log" || continue
    grep -A1 '^FAIL' "$WORK/round.log"
    # The group may have run hosts of its own: show how they ended.
    tail -n 5 "$WORK"/*.err
  done
}
rounds "hostile catalogue" "$HOST_PID" 16384 hostile_round
still_serving "every round"

finish
