#!/usr/bin/env bash
# What shared state costs: vant-host with its state in Redis and its
# database in PostgreSQL, against itself without them and against PHP-FPM
# with its sessions in the same Redis. Redis and PostgreSQL are started here
# on loopback ports, in a temporary folder removed on exit.
#
#   bench/scaleout/run.sh                      # MB=200 BLOB_MB=100 REPEATS=3 WRK_SECONDS=10
#   MB=20 BLOB_MB=10 REPEATS=1 WRK_SECONDS=2 bench/scaleout/run.sh   # a quick end-to-end check
#
# (a) upload: an MB MB file posted with curl to a page that saves it, with a
#     progress id so the upload writes its progress record; the host with
#     --state redis against the same host without it, alternating runs, best
#     of REPEATS each. Goal >= 0.95 x.
# (b) Session page: requests/s of a page that reads and writes Session, the
#     host with --state redis against nginx -> PHP-FPM with
#     session.save_handler=redis on the same Redis, wrk as bench/host does.
#     Goal >= 1.5 x.
# (c) BLOB: an upload of BLOB_MB MB stored in a bytea column with SaveAsBlob
#     and sent back with DownloadBlob; the host's peak RSS (VmHWM) growth
#     over the round trip. Goal <= 32 MiB.
# Nothing asserts; it reports.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/../lib.sh"
mb="${MB:-200}"
blob_mb="${BLOB_MB:-100}"
repeats="${REPEATS:-3}"
WRK_OPTIONS="-t2 -c64 -d${WRK_SECONDS:-10}s"
threads=32 # vant-host --threads; php-fpm gets as many workers
sessions=256

[[ -x "$build/vant-host" && -f "$build/libvantupload.so" ]] || die "no vant-host and module in $build (set BUILD=...)"
php_peer=1
need_php_peer || php_peer=0
need_state_servers || die "Redis and PostgreSQL are needed"
command -v wrk >/dev/null 2>&1 || install_missing wrk
command -v wrk >/dev/null 2>&1 || die "wrk not available"

make_workdir scaleout
# The test suite's servers: Redis and PostgreSQL on free loopback ports.
WORK=$work
cleanup() { :; }
. "$root/tests/e2e/redis_lib.sh"
. "$root/tests/e2e/postgres_lib.sh"
trap 'stop_redis; stop_postgres; rm -rf "$PG_DIR"; remove_workdir' EXIT
start_redis
start_postgres
log "Redis at $REDIS_URL, PostgreSQL on port $PG_PORT"

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
printf '<%% var PG = "%s"; %%>' "$PG_CONN" >"$work/site/pg.inc"
cat >"$work/site/blobput.asp" <<'P'
<%@ ENABLESESSIONSTATE=False %><!-- #include file="pg.inc" --><%
var conn = Server.CreateObject("ADODB.Connection");
conn.Open(PG);
conn.Execute("CREATE TABLE IF NOT EXISTS files (id SERIAL PRIMARY KEY, name TEXT, body BYTEA)");
var up = Server.CreateObject("VANT.FileUpload");
up.DefaultPath = Server.MapPath("/up");
var rs = Server.CreateObject("ADODB.Recordset");
rs.Open("SELECT id, name, body FROM files WHERE false", conn, 1, 3);
rs.AddNew();
rs("name") = "blob.bin";
up.Form("f").SaveAsBlob(rs("body"));
rs.Update();
rs.Close();
Response.Write(conn.Execute("SELECT max(id) FROM files")(0).Value);
conn.Close(); %>
P
cat >"$work/site/blobget.asp" <<'P'
<%@ ENABLESESSIONSTATE=False %><!-- #include file="pg.inc" --><%
var conn = Server.CreateObject("ADODB.Connection");
conn.Open(PG);
var rs = Server.CreateObject("ADODB.Recordset");
rs.Open("SELECT name, body FROM files WHERE id = " + Number(Request.QueryString("id")), conn, 0, 1);
Server.CreateObject("VANT.FileDownload").DownloadBlob(rs("body"), String(rs("name").Value), true);
rs.Close(); conn.Close(); %>
P

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
wait_body "$state_url/session.asp" "n=1"
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
  wrk_session_script "${NGINX_URL}session.php" "$work/php.lua" "$sessions"
  php_rps=$(wrk_rps "${NGINX_URL}session.php" -s "$work/php.lua")
  stop_pid "$NGINX_PID"
  stop_pid "$FPM_PID"
fi

stop_pid "$state_pid"

# ---------------------------------------------------------------- (c) BLOB round trip
# A fresh host, warmed by a 1 MiB round trip (libpq loaded, the table made),
# so the peak before is that of an idle host.
start_vant blob --state "$REDIS_URL"
# blob_trip MIB: stores MIB MiB of random bytes and reads them back, checked.
blob_trip() {
  local id
  head -c $(($1 * 1024 * 1024)) /dev/urandom >"$work/blob.bin"
  id=$(curl -sS --max-time 600 -F "f=@$work/blob.bin" "$HOST_URL/blobput.asp")
  [[ "$id" =~ ^[0-9]+$ ]] || die "blobput.asp answered: ${id:0:300}"
  curl -sS --max-time 600 -o "$work/back.bin" "$HOST_URL/blobget.asp?id=$id"
  cmp -s "$work/blob.bin" "$work/back.bin" || die "the BLOB came back different"
}
blob_trip 1
before_kb=$(hwm_kb "$HOST_PID")
blob_trip "$blob_mb"
growth_kb=$(($(hwm_kb "$HOST_PID") - before_kb))
stop_pid "$HOST_PID"

# ---------------------------------------------------------------- report
echo "(a) upload $mb MB, best of $repeats: --state redis $state_mbps MB/s, without $plain_mbps MB/s"
echo "(b) Session page: vant-host --state redis $vant_rps req/s, PHP-FPM+nginx with php-redis sessions $php_rps req/s"
echo "(c) $blob_mb MiB BLOB through PostgreSQL: host peak RSS grew by $((growth_kb / 1024)) MiB"
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
printf 'bench-row|host peak RSS growth, %s MiB BLOB round trip through PostgreSQL|%s MiB|-|-|-|<= 32 MiB|%s\n' \
  "$blob_mb" "$((growth_kb / 1024))" "$([[ $growth_kb -le $((32 * 1024)) ]] && echo met || echo missed)"
