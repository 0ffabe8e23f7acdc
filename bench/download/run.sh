#!/usr/bin/env bash
# Download benchmark: VANT.FileDownload through vant-host against nginx
# serving the same files, all on 127.0.0.1, in one run.
#
#   bench/download/run.sh                  # BUILD=build, BIG_MB=1024, REPEATS=3
#   BUILD=build-download BIG_MB=256 bench/download/run.sh
#
# (a) 1 GiB file sent by a page calling FileDownload.Download from disk,
#     fetched with curl -o /dev/null; nginx sends the same file (sendfile on);
#     also from a host started with --sendfile off, and the host's CPU time
#     (user + system) per GiB sent either way; nginx also with sendfile off;
#     the four servers take turns, best of REPEATS each
# (b) the same file sent by the same page after VANT.Manager put it in the
#     file cache (a second path naming the same file), in turns with nginx
# (c) requests/s of a 100 KB file under wrk -c64: our page against nginx,
#     alternating, best of REPEATS each
# (d) vant-host's peak RSS (VmHWM) sending a 100 MiB and the 1 GiB file from
#     disk, each from a fresh process
# (e) the same for a page that sends a file through ADODB.Stream
#     (LoadFromFile, then BinaryWrite(Read(65536)) until EOS): 20 MiB and
#     200 MiB (STREAM_MB), each from a fresh process
# Goals: (a) >= 1.2 x nginx (sendfile on and off), (b) >= 1.0 x nginx, (c) >= 0.7 x nginx,
# (d) and (e) flat in the file size. Nothing asserts; it reports, with one
# "bench-row|..." line per figure on stdout.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/../lib.sh"
big_mb="${BIG_MB:-1024}"
mid_mb="${MID_MB:-100}"
stream_mb="${STREAM_MB:-200}"
stream_small_mb=$((stream_mb / 10))
repeats="${REPEATS:-3}"
wrk_args=(-t2 -c64 -d"${WRK_SECONDS:-10}"s --timeout 5s)

for bin in vant-host vant-regsvr libvantupload.so; do
  [[ -e "$build/$bin" ]] || die "no $bin in $build (build it, or set BUILD=...)"
done

# ---------------------------------------------------------------- peers
missing=()
[[ -x /usr/sbin/nginx ]] || command -v nginx >/dev/null 2>&1 || missing+=(nginx)
command -v wrk >/dev/null 2>&1 || missing+=(wrk)
command -v curl >/dev/null 2>&1 || missing+=(curl)
install_missing "${missing[@]}"
nginx_bin="$(command -v nginx || echo /usr/sbin/nginx)"

# ---------------------------------------------------------------- temp folder, cleanup
make_workdir download

# ---------------------------------------------------------------- the site
site="$work/site"
mkdir -p "$site/files" "$site/cached"
log "writing test files (${big_mb} MiB, ${mid_mb} MiB, 100 KB) under $work"
head -c "$((big_mb * 1024 * 1024))" /dev/urandom >"$site/files/big.bin"
head -c "$((mid_mb * 1024 * 1024))" /dev/urandom >"$site/files/mid.bin"
head -c 100000 /dev/urandom >"$site/files/small.bin"
head -c "$((stream_mb * 1024 * 1024))" /dev/urandom >"$site/files/stream.bin"
head -c "$((stream_small_mb * 1024 * 1024))" /dev/urandom >"$site/files/stream-small.bin"
# The cached path is a second name of the same file, so the disk page and
# the cache page send the same bytes.
ln "$site/files/big.bin" "$site/cached/big.bin"
cat "$site/files/big.bin" >/dev/null  # into the page cache for both servers

# dl.asp?d=files|cached&f=NAME sends a file; the cache is consulted by
# Download itself, so one page serves both paths.
# No text after the closing %>: a byte written after the file would overrun
# the announced Content-Length, and the host closes such a connection.
printf '%s' '<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><%
var dl = Server.CreateObject("VANT.FileDownload");
dl.Download(Server.MapPath("/" + Request.QueryString("d") + "/" + Request.QueryString("f")),
            String(Request.QueryString("f")), true, true);
%>' >"$site/dl.asp"
# stream.asp?f=NAME sends a file of /files through ADODB.Stream in 64 KB reads.
printf '%s' '<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><%
Response.Buffer = false;
Response.ContentType = "application/octet-stream";
var s = Server.CreateObject("ADODB.Stream");
s.Type = 1;
s.Open();
s.LoadFromFile(Server.MapPath("/files/" + Request.QueryString("f")));
while (!s.EOS) Response.BinaryWrite(s.Read(65536));
s.Close();
%>' >"$site/stream.asp"
cat >"$site/add.asp" <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><%
var m = Server.CreateObject("VANT.Manager");
m.AddCacheFile(Server.MapPath("/cached/" + Request.QueryString("f")));
Response.Write("cached");
%>
P

registry="$work/registry.reg"
"$build/vant-regsvr" --registry "$registry" "$build/libvantupload.so" >/dev/null ||
  die "registration failed"

host_pid=""
host_url=""
start_host() {
  local d="$work/host.$RANDOM"
  mkdir -p "$d/data"
  "$build/vant-host" --site "$site" --listen 127.0.0.1:0 --registry "$registry" --data "$d/data" \
    --log /dev/null "$@" >"$d/stdout" 2>"$d/stderr" &
  host_pid=$!
  pids+=("$host_pid")
  host_url=""
  for _ in $(seq 100); do
    host_url=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' "$d/stdout" 2>/dev/null | head -1 || true)
    [[ -n "$host_url" ]] && return 0
    kill -0 "$host_pid" 2>/dev/null || { cat "$d/stderr" >&2; die "vant-host exited"; }
    sleep 0.1
  done
  die "vant-host printed no URL"
}
hwm_kb() { awk '/^VmHWM:/ {print $2}' "/proc/$1/status"; }
# cpu_ms PID: user + system CPU time the process has used, in ms.
cpu_ms() {
  awk -v hz="$(getconf CLK_TCK)" '{sub(/^.*\) /, ""); printf "%.0f", ($12 + $13) * 1000 / hz}' \
    "/proc/$1/stat"
}
# per_gib CPU_MS: CPU ms per GiB over the $repeats fetches of the big file.
per_gib() {
  awk -v c="$1" -v n="$repeats" -v b="$big_bytes" 'BEGIN {printf "%.0f", c / (n * b / 1073741824)}'
}
# at_least A B: the larger of two whole numbers.
at_least() { echo $(($1 > $2 ? $1 : $2)); }

# fetch_once URL BYTES -> MB/s (1e6 bytes) of one fetch; dies on a short body.
fetch_once() {
  local out code size secs
  out=$(curl -sS --max-time 300 -o /dev/null -w '%{http_code} %{size_download} %{time_total}' "$1") ||
    die "curl failed on $1"
  read -r code size secs <<<"$out"
  [[ "$code" = 200 && "$size" = "$2" ]] || die "$1 answered $code with $size bytes, wanted $2"
  awk -v b="$size" -v s="$secs" 'BEGIN {printf "%.0f", b / s / 1e6}'
}
# fetch_mbps URL BYTES -> the best of $repeats fetches.
fetch_mbps() {
  local best=0
  for _ in $(seq "$repeats"); do best=$(at_least "$best" "$(fetch_once "$1" "$2")"); done
  echo "$best"
}

# wrk URL -> requests/s; dies on errors or non-2xx answers.
run_wrk() {
  local out
  timeout -k 5 20 wrk -t2 -c64 -d2s --timeout 5s "$1" >/dev/null 2>&1 || true  # warm-up
  out=$(timeout -k 5 60 wrk "${wrk_args[@]}" "$1") || die "wrk failed on $1"
  echo "$out" >&2
  grep -q 'Non-2xx' <<<"$out" && die "wrk saw non-2xx answers on $1"
  awk '/^Requests\/sec:/ {printf "%.0f", $2}' <<<"$out"
}

big_bytes=$(stat -c %s "$site/files/big.bin")
stream_bytes=$(stat -c %s "$site/files/stream.bin")
stream_small_bytes=$(stat -c %s "$site/files/stream-small.bin")
mid_bytes=$(stat -c %s "$site/files/mid.bin")

# ---------------------------------------------------------------- (d) peak RSS, 100 MiB
start_host
log "vant-host at $host_url: ${mid_mb} MiB from disk, fresh process"
fetch_mbps "${host_url}dl.asp?d=files&f=mid.bin" "$mid_bytes" >/dev/null
mid_hwm=$(hwm_kb "$host_pid")
stop_pid "$host_pid"

# ---------------------------------------------------------------- (e) peak RSS through ADODB.Stream
start_host
log "vant-host at $host_url: ${stream_small_mb} MiB through ADODB.Stream, fresh process"
stream_small_mbps=$(fetch_mbps "${host_url}stream.asp?f=stream-small.bin" "$stream_small_bytes")
stream_small_hwm=$(hwm_kb "$host_pid")
stop_pid "$host_pid"
start_host
log "vant-host at $host_url: ${stream_mb} MiB through ADODB.Stream, fresh process"
stream_mbps=$(fetch_mbps "${host_url}stream.asp?f=stream.bin" "$stream_bytes")
stream_hwm=$(hwm_kb "$host_pid")
stop_pid "$host_pid"

# ---------------------------------------------------------------- nginx
nport=$(free_port)
nport_copy=$nport
while [[ "$nport_copy" = "$nport" ]]; do nport_copy=$(free_port); done
n="$work/nginx"
nginx_conf_head "$n"
cat >>"$n/nginx.conf" <<NGX
    sendfile on;
    tcp_nopush on;
    default_type application/octet-stream;
    server {
        listen 127.0.0.1:$nport;
        root $site;
    }
    server {
        listen 127.0.0.1:$nport_copy;
        root $site;
        sendfile off;
    }
}
NGX
"$nginx_bin" -p "$n" -e "$n/error.log" -c "$n/nginx.conf" >"$n/stdout" 2>&1 &
nginx_pid=$!
pids+=("$nginx_pid")
nginx_url="http://127.0.0.1:$nport/"
for _ in $(seq 100); do
  curl -s -o /dev/null --max-time 1 "${nginx_url}files/small.bin" && break
  sleep 0.1
done
nginx_copy_url="http://127.0.0.1:$nport_copy/"
log "nginx at $nginx_url (sendfile on) and $nginx_copy_url (sendfile off)"

# ---------------------------------------------------------------- (a) + (d) 1 GiB from disk
# Two fresh hosts, one with --sendfile off (the file copied through a
# buffer, for the CPU time per GiB), and nginx with sendfile on and off
# take turns in every round, each keeping its best: a slow spell of the
# machine falls on all four, not on whichever happened to run through it.
start_host --sendfile off
copy_pid=$host_pid copy_url=$host_url
start_host
log "vant-host at $host_url, and at $copy_url with --sendfile off: ${big_mb} MiB from disk, fresh processes"
copy_cpu0=$(cpu_ms "$copy_pid") host_cpu0=$(cpu_ms "$host_pid")
ours_disk_copy=0 ours_disk=0 nginx_disk=0 nginx_copy=0
for ((round = 0; round < repeats; round++)); do
  copy=$(fetch_once "${copy_url}dl.asp?d=files&f=big.bin" "$big_bytes")
  sent=$(fetch_once "${host_url}dl.asp?d=files&f=big.bin" "$big_bytes")
  peer=$(fetch_once "${nginx_url}files/big.bin" "$big_bytes")
  peer_copy=$(fetch_once "${nginx_copy_url}files/big.bin" "$big_bytes")
  log "round $((round + 1)) (MB/s): vant-host --sendfile off $copy, vant-host $sent, nginx $peer, nginx sendfile off $peer_copy"
  ours_disk_copy=$(at_least "$ours_disk_copy" "$copy")
  ours_disk=$(at_least "$ours_disk" "$sent")
  nginx_disk=$(at_least "$nginx_disk" "$peer")
  nginx_copy=$(at_least "$nginx_copy" "$peer_copy")
done
cpu_copy=$(per_gib $(($(cpu_ms "$copy_pid") - copy_cpu0)))
cpu_sendfile=$(per_gib $(($(cpu_ms "$host_pid") - host_cpu0)))
big_hwm=$(hwm_kb "$host_pid")
stop_pid "$copy_pid"

# ---------------------------------------------------------------- (c) 100 KB, our page and nginx
# Both servers run; the rounds alternate between them and each keeps its
# best, so a slow spell of the machine does not fall on one side only.
ours_rps=0 nginx_rps=0
for ((round = 0; round < repeats; round++)); do
  r=$(run_wrk "${host_url}dl.asp?d=files&f=small.bin")
  if ((r > ours_rps)); then ours_rps=$r; fi
  r=$(run_wrk "${nginx_url}files/small.bin")
  if ((r > nginx_rps)); then nginx_rps=$r; fi
done

# ---------------------------------------------------------------- (b) from the cache
# In turns with nginx again: the cache row is set against nginx's best of
# these rounds, as the disk rows are against theirs.
[[ "$(curl -sS "${host_url}add.asp?f=big.bin")" = cached ]] || die "add.asp did not cache the file"
log "${big_mb} MiB from the Manager cache"
ours_cache=0 nginx_cache=0
for ((round = 0; round < repeats; round++)); do
  sent=$(fetch_once "${host_url}dl.asp?d=cached&f=big.bin" "$big_bytes")
  peer=$(fetch_once "${nginx_url}files/big.bin" "$big_bytes")
  log "round $((round + 1)) (MB/s): vant-host from the cache $sent, nginx $peer"
  ours_cache=$(at_least "$ours_cache" "$sent")
  nginx_cache=$(at_least "$nginx_cache" "$peer")
done
stop_pid "$nginx_pid"
stop_pid "$host_pid"

# ---------------------------------------------------------------- report
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", (b > 0 ? a / b : 0)}'; }
verdict() { awk -v r="$1" -v g="$2" 'BEGIN {print (r >= g ? "met" : "missed")}'; }
row() {  # what, ours, peer, peer figure, ratio, goal, verdict
  printf 'bench-row|%s|%s|%s|%s|%s|%s|%s\n' "$@"
}
size_text=$([[ "$big_mb" -ge 1024 && $((big_mb % 1024)) = 0 ]] && echo "$((big_mb / 1024)) GiB" || echo "$big_mb MiB")
r_disk=$(ratio "$ours_disk" "$nginx_disk")
r_cache=$(ratio "$ours_cache" "$nginx_cache")
r_rps=$(ratio "$ours_rps" "$nginx_rps")
mid_mib=$((mid_hwm / 1024))
big_mib=$((big_hwm / 1024))
r_hwm=$(ratio "$big_hwm" "$mid_hwm")
hwm_verdict=$(awk -v r="$r_hwm" 'BEGIN {print (r <= 1.1 ? "met" : "missed")}')
stream_small_mib=$((stream_small_hwm / 1024))
stream_mib=$((stream_hwm / 1024))
r_stream_hwm=$(ratio "$stream_hwm" "$stream_small_hwm")
stream_verdict=$(awk -v r="$r_stream_hwm" 'BEGIN {print (r <= 1.1 ? "met" : "missed")}')

echo
echo "FileDownload through vant-host against nginx, curl -o /dev/null on 127.0.0.1 (best of $repeats, MB = 1e6 bytes)"
echo "  $size_text from disk:           vant-host $ours_disk MB/s, nginx $nginx_disk MB/s (${r_disk}x, goal >= 1.2x)"
echo "  $size_text from disk, nginx with sendfile off: $nginx_copy MB/s"
echo "  $size_text from disk, --sendfile off: vant-host $ours_disk_copy MB/s; host CPU per GiB sent: ${cpu_sendfile} ms with sendfile, ${cpu_copy} ms without"
echo "  $size_text from Manager cache:  vant-host $ours_cache MB/s, nginx $nginx_cache MB/s (${r_cache}x, goal >= 1.0x)"
echo "  100 KB, wrk ${wrk_args[*]}: vant-host $ours_rps req/s, nginx $nginx_rps req/s (${r_rps}x, goal >= 0.7x)"
echo "  vant-host VmHWM: ${mid_mib} MiB after $mid_mb MiB, ${big_mib} MiB after $size_text (from disk, fresh process each)"
echo "  vant-host VmHWM through ADODB.Stream: ${stream_small_mib} MiB after $stream_small_mb MiB, ${stream_mib} MiB after $stream_mb MiB ($stream_mbps MB/s)"
echo "  $(nproc) CPUs shared by client and servers; run on an idle machine for figures to keep."
echo
row "download $size_text from disk via vant-host" "$ours_disk MB/s" nginx "$nginx_disk MB/s" \
  "$r_disk" ">= 1.2x" "$(verdict "$r_disk" 1.2)"
row "download $size_text from disk via vant-host, --sendfile off" "$ours_disk_copy MB/s" nginx \
  "$nginx_disk MB/s" "$(ratio "$ours_disk_copy" "$nginx_disk")" ">= 1.2x" \
  "$(verdict "$(ratio "$ours_disk_copy" "$nginx_disk")" 1.2)"
row "download $size_text from disk via vant-host, against nginx with sendfile off" "$ours_disk MB/s" \
  "nginx, sendfile off" "$nginx_copy MB/s" "$(ratio "$ours_disk" "$nginx_copy")" ">= 1.2x" \
  "$(verdict "$(ratio "$ours_disk" "$nginx_copy")" 1.2)"
row "download $size_text from disk, both with sendfile off" "$ours_disk_copy MB/s" \
  "nginx, sendfile off" "$nginx_copy MB/s" "$(ratio "$ours_disk_copy" "$nginx_copy")" ">= 1.2x" \
  "$(verdict "$(ratio "$ours_disk_copy" "$nginx_copy")" 1.2)"
row "vant-host CPU per GiB sent from disk, sendfile on (vs off)" "$cpu_sendfile ms" \
  "vant-host, --sendfile off" "$cpu_copy ms" "$(ratio "$cpu_sendfile" "$cpu_copy")" - -
row "download $size_text from the Manager cache via vant-host" "$ours_cache MB/s" nginx \
  "$nginx_cache MB/s" "$r_cache" ">= 1.0x" "$(verdict "$r_cache" 1.0)"
row "100 KB download requests/s (wrk -c64)" "$ours_rps req/s" nginx "$nginx_rps req/s" \
  "$r_rps" ">= 0.7x" "$(verdict "$r_rps" 0.7)"
row "vant-host peak RSS sending $mid_mb MiB from disk" "$mid_mib MiB" - - - - -
row "vant-host peak RSS sending $size_text from disk (vs $mid_mb MiB)" "$big_mib MiB" \
  "vant-host, $mid_mb MiB file" "$mid_mib MiB" "$r_hwm" "<= 1.1x (flat)" "$hwm_verdict"
row "vant-host peak RSS sending $stream_mb MiB through ADODB.Stream (vs $stream_small_mb MiB)" \
  "$stream_mib MiB" "vant-host, $stream_small_mb MiB file" "$stream_small_mib MiB" "$r_stream_hwm" \
  "<= 1.1x (flat)" "$stream_verdict"
