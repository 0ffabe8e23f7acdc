#!/usr/bin/env bash
# What shared state costs: vant-host with its state in Redis against itself
# without it and against PHP-FPM with its sessions in the same Redis. Redis
# is started here on a loopback port, in a temporary folder removed on exit.
#
#   bench/scaleout/run.sh                            # MB=200 REPEATS=3 WRK_SECONDS=10
#   MB=20 REPEATS=1 WRK_SECONDS=2 bench/scaleout/run.sh   # a quick end-to-end check
#
# (a) upload: an MB MB file posted with curl to a page that saves it, with a
#     progress id so the upload writes its progress record; the host with
#     --state redis against the same host without it, alternating runs, best
#     of REPEATS each. Goal >= 0.95 x.
# (b) Session page: requests/s of a page that reads and writes Session, the
#     host with --state redis against nginx -> PHP-FPM with
#     session.save_handler=redis on the same Redis, wrk as bench/host does.
#     Goal >= 1.5 x.
# The memory of a 100 MiB BLOB round trip through PostgreSQL is measured by
# bench/postgres/run.sh.
# Nothing asserts; it reports.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/../lib.sh"
mb="${MB:-200}"
repeats="${REPEATS:-3}"
WRK_OPTIONS="-t2 -c64 -d${WRK_SECONDS:-10}s"
threads=32 # vant-host --threads; php-fpm gets as many workers
sessions=256

[[ -x "$build/vant-host" && -f "$build/libvantupload.so" ]] || die "no vant-host and module in $build (set BUILD=...)"
php_peer=1
need_php_peer || php_peer=0
need_state_servers || die "Redis is needed"
command -v wrk >/dev/null 2>&1 || install_missing wrk
command -v wrk >/dev/null 2>&1 || die "wrk not available"

make_workdir scaleout
# The test suite's Redis on a free loopback port.
WORK=$work
cleanup() { :; }
. "$root/tests/e2e/redis_lib.sh"
trap 'stop_redis; remove_workdir' EXIT
start_redis
log "Redis at $REDIS_URL"

mkdir -p "$work/site/up" "$work/site/files"
cat >"$work/site/id.asp" <<'P'
<%@ ENABLESESSIONSTATE=False %><%= Server.CreateObject("VANT.Progress").GetProgressID() %>
P
cat >"$work/site/save.asp" <<'P'
<%@ ENABLESESSIONSTATE=False %><% var up = Server.CreateObject("VANT.FileUpload");
up.SetProgress(Number(Request.QueryString("pid")));
up.DefaultPath = Server.MapPath("/up"); up.Form("f").Save(); Response.Write("1"); %>
P
printf '%s' '<% var n = (Session("n") || 0) + 1; Session("n") = n; Response.Write("n=" + n); %>' \
  >"$work/site/session.asp"
export VANT_REGISTRY="$work/registry.reg"
"$build/vant-regsvr" --registry "$VANT_REGISTRY" "$build/libvantupload.so" >/dev/null
# start_vant NAME [options...]: a host on the site; sets HOST_PID and HOST_URL.
start_vant() {
  local name=$1
  shift
  mkdir -p "$work/$name"
  "$build/vant-host" --site "$work/site" --listen 127.0.0.1:0 --registry "$VANT_REGISTRY" \
    --data "$work/$name" --log /dev/null --max-body 2000000000 --threads "$threads" "$@" \
    >"$work/$name/out" 2>"$work/$name/err" &
  HOST_PID=$!
  pids+=("$HOST_PID")
  for _ in $(seq 100); do grep -q http "$work/$name/out" && break; sleep 0.1; done
  HOST_URL="$(grep -o 'http://[0-9.:]*' "$work/$name/out" | head -1)" || { cat "$work/$name/err" >&2; die "$name did not start"; }
}
hwm_kb() { awk '/^VmHWM:/ {print $2}' "/proc/$1/status"; }

# ---------------------------------------------------------------- (a) upload
head -c $((mb * 1000 * 1000)) /dev/urandom >"$work/up.bin"
start_vant plain
plain_url=$HOST_URL plain_pid=$HOST_PID
start_vant state --state "$REDIS_URL"
state_url=$HOST_URL state_pid=$HOST_PID
# post URL -> MB/s of one upload, checked byte for byte.
post() {
  local pid out code secs
  pid=$(curl -sS "$1/id.asp")
  rm -f "$work/site/up/up.bin"
  out=$(curl -sS --max-time 600 -o "$work/answer" -w '%{http_code} %{time_total}' \
    -F "f=@$work/up.bin" "$1/save.asp?pid=$pid") || die "curl failed on $1"
  read -r code secs <<<"$out"
  [[ "$code" = 200 && "$(cat "$work/answer")" = 1 ]] || die "$1 answered $code: $(head -c 300 "$work/answer")"
  cmp -s "$work/up.bin" "$work/site/up/up.bin" || die "$1 saved a file that differs from the sent one"
  awk -v b="$((mb * 1000 * 1000))" -v s="$secs" 'BEGIN { printf "%.0f", b / 1e6 / s }'
}
plain_mbps=0 state_mbps=0
for _ in $(seq "$repeats"); do
  rate=$(post "$plain_url")
  ((rate > plain_mbps)) && plain_mbps=$rate
  rate=$(post "$state_url")
  ((rate > state_mbps)) && state_mbps=$rate
done
rm -f "$work/up.bin" "$work/site/up/up.bin"
stop_pid "$plain_pid"

# ---------------------------------------------------------------- (b) Session page
wait_body() { # URL BODY
  for _ in $(seq 100); do [[ "$(curl -s "$1")" = "$2" ]] && return 0; sleep 0.1; done
  die "$1 did not answer $2"
}
# in_redis PATTERN: dies unless Redis holds a key matching PATTERN, so each
# side is known to keep its sessions there.
in_redis() { [[ -n "$(rcli --scan --pattern "$1" | head -1)" ]] || die "no $1 key in Redis"; }
wait_body "$state_url/session.asp" "n=1"
in_redis 'vant:session:*'
wrk_session_script "$state_url/session.asp" "$work/vant.lua" "$sessions"
vant_rps=$(wrk_rps "$state_url/session.asp" -s "$work/vant.lua")

php_rps=n/a
if ((php_peer)); then
  mkdir -p "$work/php/site"
  printf '%s' '<?php session_start(); $_SESSION["n"] = ($_SESSION["n"] ?? 0) + 1; echo "n=", $_SESSION["n"]; ?>' \
    >"$work/php/site/session.php"
  start_php_fpm "$work/php/fpm" "$threads" "session.save_handler=redis" \
    "session.save_path=tcp://127.0.0.1:$REDIS_PORT"
  pids+=("$FPM_PID")
  start_nginx_php "$work/php/nginx" "$work/php/site" "$FPM_SOCK"
  pids+=("$NGINX_PID")
  wait_body "${NGINX_URL}session.php" "n=1"
  in_redis 'PHPREDIS_SESSION:*'
  wrk_session_script "${NGINX_URL}session.php" "$work/php.lua" "$sessions"
  php_rps=$(wrk_rps "${NGINX_URL}session.php" -s "$work/php.lua")
  stop_pid "$NGINX_PID"
  stop_pid "$FPM_PID"
fi

stop_pid "$state_pid"

# ---------------------------------------------------------------- report
echo "(a) upload $mb MB, best of $repeats: --state redis $state_mbps MB/s, without $plain_mbps MB/s"
echo "(b) Session page: vant-host --state redis $vant_rps req/s, PHP-FPM+nginx with php-redis sessions $php_rps req/s"
row() { # what, ours, unit, peer, peer figure, goal ratio
  awk -v what="$1" -v o="$2" -v unit="$3" -v p="$4" -v f="$5" -v g="$6" 'BEGIN {
    if (f == "n/a") { printf "bench-row|%s|%s %s|%s|n/a|-|>= %sx|-\n", what, o, unit, p, g; exit }
    r = (f > 0) ? o / f : 0
    printf "bench-row|%s|%s %s|%s|%s %s|%.2f|>= %sx|%s\n", what, o, unit, p, f, unit, r, g, (r >= g ? "met" : "missed")
  }'
}
row "upload $mb MB via curl -> host with --state redis" "$state_mbps" MB/s \
  "the same host without --state" "$plain_mbps" 0.95
row "page reading and writing Session in Redis, requests/s (wrk -c64)" "$vant_rps" req/s \
  "PHP-FPM+nginx, php-redis sessions" "$php_rps" 1.5
