#!/usr/bin/env bash
# Loopback benchmark of vant-host:
#   1. requests/s of a minimal page, against the same page in PHP on PHP-FPM behind nginx;
#      and of a page that reads and writes Session, against the same in PHP with its
#      default file sessions (the same PHP-FPM and nginx)
#   2. rate at which a page drains a 1 GiB POST with Request.BinaryRead(65536), and peak RSS
# Everything runs on 127.0.0.1, from a temp folder that is removed on exit.
# Usage: bench/host/run.sh            (BUILD=build-x or /path/to/build names the binaries folder; default build)
set -euo pipefail

. "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/../lib.sh"
ROOT=$root
BUILD=$build
HOST_BIN="$BUILD/vant-host"
WRK_ARGS=(-t2 -c64 -d10s)
THREADS=32                       # vant-host --threads; php-fpm gets the same number of workers
DRAIN_BYTES=$((1024 * 1024 * 1024))

[ -x "$HOST_BIN" ] || die "no vant-host at $HOST_BIN (set BUILD=...)"
[ -f "$BUILD/libvantupload.so" ] || log "note: $BUILD/libvantupload.so not found (not needed for these pages)"

# ---------------------------------------------------------------- packages
need_php_peer || die "nginx/php-fpm not available"
command -v wrk >/dev/null 2>&1 || install_missing wrk
command -v wrk >/dev/null || die "wrk not available"

# ---------------------------------------------------------------- temp folder, cleanup
make_workdir host
T=$work

# ---------------------------------------------------------------- helpers
wait_http() {   # URL, expected body
    local body
    for _ in $(seq 100); do
        body=$(curl -s --max-time 2 "$1" 2>/dev/null || true)
        [ "$body" = "$2" ] && return 0
        sleep 0.1
    done
    die "$1 did not answer '$2' (got '${body:-}')"
}
start_vant() {  # site dir, extra args...; sets VANT_PID, VANT_URL
    local site=$1; shift
    local d="$T/vant.$RANDOM"
    mkdir -p "$d/data"
    "$HOST_BIN" --site "$site" --listen 127.0.0.1:0 --registry "$d/registry" --data "$d/data" \
        --log /dev/null "$@" >"$d/stdout" 2>"$d/stderr" &
    VANT_PID=$!
    pids+=("$VANT_PID")
    VANT_URL=
    for _ in $(seq 100); do
        VANT_URL=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' "$d/stdout" 2>/dev/null | head -1 || true)
        [ -n "$VANT_URL" ] && break
        kill -0 "$VANT_PID" 2>/dev/null || { cat "$d/stderr" >&2; die "vant-host exited"; }
        sleep 0.1
    done
    [ -n "$VANT_URL" ] || die "vant-host printed no URL"
}
run_wrk() {     # URL [wrk options...] -> prints requests/s; fails on errors
    local out url=$1
    shift
    timeout -k 5 20 wrk -t2 -c64 -d3s --timeout 5s "$@" "$url" >/dev/null 2>&1 || true   # warm-up
    out=$(timeout -k 5 40 wrk "${WRK_ARGS[@]}" --timeout 5s "$@" "$url") || die "wrk failed on $url"
    echo "$out" >&2
    if grep -q 'Non-2xx' <<<"$out"; then die "wrk saw non-2xx responses on $1"; fi
    awk '/^Requests\/sec:/ {print $2}' <<<"$out"
}
SESSIONS=256

# ---------------------------------------------------------------- 1a. vant-host rps
mkdir -p "$T/asp"
printf '%s' '<%@ ENABLESESSIONSTATE=False %>Hello <%= 1+1 %>' >"$T/asp/hello.asp"
printf '%s' '<% var n = (Session("n") || 0) + 1; Session("n") = n; Response.Write("n=" + n); %>' >"$T/asp/session.asp"
start_vant "$T/asp" --threads "$THREADS"
log "vant-host at $VANT_URL (threads: $THREADS)"
wait_http "${VANT_URL}hello.asp" "Hello 2"
wait_http "${VANT_URL}session.asp" "n=1"
VANT_RPS=$(run_wrk "${VANT_URL}hello.asp")
wrk_session_script "${VANT_URL}session.asp" "$T/asp/sessions.lua" "$SESSIONS"
VANT_SESSION_RPS=$(run_wrk "${VANT_URL}session.asp" -s "$T/asp/sessions.lua")
stop_pid "$VANT_PID"

# ---------------------------------------------------------------- 1b. PHP-FPM + nginx rps
mkdir -p "$T/php/site"
printf '%s' '<?php echo "Hello ", 1+1; ?>' >"$T/php/site/hello.php"
printf '%s' '<?php session_start(); $_SESSION["n"] = ($_SESSION["n"] ?? 0) + 1; echo "n=", $_SESSION["n"]; ?>' >"$T/php/site/session.php"
mkdir -p "$T/php/sessions"
start_php_fpm "$T/php/fpm" "$THREADS" "session.save_handler=files" "session.save_path=$T/php/sessions"
pids+=("$FPM_PID")
start_nginx_php "$T/php/nginx" "$T/php/site" "$FPM_SOCK"
pids+=("$NGINX_PID")
PHP_URL="${NGINX_URL}hello.php"
log "nginx at $NGINX_URL -> php-fpm ($FPM_BIN, pm=static, max_children=$THREADS)"
wait_http "$PHP_URL" "Hello 2"
wait_http "${NGINX_URL}session.php" "n=1"
PHP_RPS=$(run_wrk "$PHP_URL")
wrk_session_script "${NGINX_URL}session.php" "$T/php/sessions.lua" "$SESSIONS"
PHP_SESSION_RPS=$(run_wrk "${NGINX_URL}session.php" -s "$T/php/sessions.lua")
stop_pid "$NGINX_PID"
stop_pid "$FPM_PID"

# ---------------------------------------------------------------- 2. 1 GiB BinaryRead drain
mkdir -p "$T/drain"
printf '%s' '<% var n=0,c; while ((c = Request.BinaryRead(65536)) && new VBArray(c).ubound() >= 0) n += new VBArray(c).ubound()+1; Response.Write(n); %>' >"$T/drain/drain.asp"
start_vant "$T/drain" --max-body 2000000000
log "vant-host (drain) at $VANT_URL"
wait_http "${VANT_URL}drain.asp" "0"
# curl refuses to load >= 1 GiB into memory for --data-binary @- ("out of memory"), so the
# 1 GiB of zeros is streamed from a file with -T and the method forced to POST (Content-Length
# is known, so no chunking). The file is written out, not sparse: reading holes of a sparse
# file kept curl itself at about 0.5 GB/s here, which measured the client, not the host.
head -c "$DRAIN_BYTES" /dev/zero >"$T/drain/zero.bin"
log "posting $DRAIN_BYTES bytes of zeros"
res=$(curl -sS --max-time 300 -X POST -H 'Content-Type: application/octet-stream' -H 'Expect:' \
           -T "$T/drain/zero.bin" -w '\n%{http_code} %{size_upload} %{time_total}' "${VANT_URL}drain.asp") \
    || die "drain POST failed"
DRAIN_BODY=$(head -1 <<<"$res")
read -r DRAIN_CODE DRAIN_UP DRAIN_SECS <<<"$(tail -1 <<<"$res")"
HWM_KB=$(awk '/^VmHWM:/ {print $2}' "/proc/$VANT_PID/status")
stop_pid "$VANT_PID"
[ "$DRAIN_CODE" = 200 ] || die "drain page answered HTTP $DRAIN_CODE"
[ "$DRAIN_BODY" = "$DRAIN_BYTES" ] || die "drain page counted '$DRAIN_BODY' bytes, expected $DRAIN_BYTES"
DRAIN_GBS=$(awk -v b="$DRAIN_UP" -v s="$DRAIN_SECS" 'BEGIN {printf "%.2f", b / s / 1e9}')

# ---------------------------------------------------------------- table
verdict() { awk -v r="$1" -v g="${2:-1.0}" 'BEGIN {print (r >= g ? "met" : "MISSED")}'; }
RPS_RATIO=$(awk -v a="$VANT_RPS" -v b="$PHP_RPS" 'BEGIN {printf "%.2f", a / b}')
SESSION_RATIO=$(awk -v a="$VANT_SESSION_RPS" -v b="$PHP_SESSION_RPS" 'BEGIN {printf "%.2f", a / b}')
DRAIN_RATIO=$(awk -v a="$DRAIN_GBS" 'BEGIN {printf "%.2f", a / 1.0}')
echo
printf '%-34s %-16s %-22s %-7s %-20s %s\n' "figure" "vant-host" "peer" "ratio" "goal" "result"
printf '%-34s %-16s %-22s %-7s %-20s %s\n' "hello page, requests/s" \
    "$(printf '%.0f' "$VANT_RPS")" "$(printf '%.0f' "$PHP_RPS") (PHP-FPM+nginx)" "${RPS_RATIO}x" ">= 2.0 x PHP-FPM" "$(verdict "$RPS_RATIO" 2.0)"
printf '%-34s %-16s %-22s %-7s %-20s %s\n' "Session page, requests/s" \
    "$(printf '%.0f' "$VANT_SESSION_RPS")" "$(printf '%.0f' "$PHP_SESSION_RPS") (PHP files)" "${SESSION_RATIO}x" ">= 2.0 x PHP session" "$(verdict "$SESSION_RATIO" 2.0)"
printf '%-34s %-16s %-22s %-7s %-20s %s\n' "1 GiB BinaryRead(65536) drain" \
    "$DRAIN_GBS GB/s" "- (goal 1 GB/s)" "${DRAIN_RATIO}x" ">= 1 GB/s" "$(verdict "$DRAIN_RATIO")"
printf '%-34s %-16s %-22s %-7s %-20s %s\n' "vant-host peak RSS during drain" \
    "$((HWM_KB / 1024)) MiB" "-" "-" "-" "(VmHWM)"
echo
echo "wrk ${WRK_ARGS[*]} on 127.0.0.1, after a 3 s warm-up; vant-host $THREADS threads, php-fpm pm=static max_children=$THREADS;"
echo "Session pages: $SESSIONS sessions made before the run, each request naming one of them in turn (wrk -s)."
echo "drain: $DRAIN_UP bytes in ${DRAIN_SECS}s (curl time_total), GB = 1e9 bytes; $(nproc) CPUs shared by client and server."

# One line per compared figure, for bench/run-all.
printf 'bench-row|minimal page, requests/s (wrk -c64)|%.0f req/s|PHP-FPM+nginx|%.0f req/s|%s|>= 2.0x|%s\n' \
    "$VANT_RPS" "$PHP_RPS" "$RPS_RATIO" "$(verdict "$RPS_RATIO" 2.0 | tr 'A-Z' 'a-z')"
printf 'bench-row|page reading and writing Session, requests/s (wrk -c64)|%.0f req/s|PHP-FPM+nginx, file sessions|%.0f req/s|%s|>= 2.0x|%s\n' \
    "$VANT_SESSION_RPS" "$PHP_SESSION_RPS" "$SESSION_RATIO" "$(verdict "$SESSION_RATIO" 2.0 | tr 'A-Z' 'a-z')"
printf 'bench-row|1 GiB POST drained with BinaryRead(65536)|%s GB/s|-|-|-|>= 1 GB/s|%s\n' \
    "$DRAIN_GBS" "$(verdict "$DRAIN_RATIO" | tr 'A-Z' 'a-z')"
printf 'bench-row|vant-host peak RSS while draining 1 GiB|%s MiB|-|-|-|-|-\n' "$((HWM_KB / 1024))"
