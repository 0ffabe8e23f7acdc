#!/usr/bin/env bash
# Upload benchmark: our parser against busboy and dd, and vant-host against
# PHP-FPM behind nginx, on the same 200 MB body, in one run, with the ratios
# against the goals.
#
#   bench/upload/run.sh                # BUILD=build, MB=200, REPEATS=3
#   BUILD=build-upload MB=50 bench/upload/run.sh
#   BENCH_BIN=/path/to/upload_parse_bench bench/upload/run.sh
#
# (a) ours:   FileUpload fed from memory in 16,384-byte chunks through the
#             in-memory host, file data to a temporary file
# (b) busboy: the body read from disk with 1 MiB buffers, file to a file
# (c) dd:     dd bs=16k of the same bytes to the same disk
# (d) host:   the same body posted with curl to a page on vant-host that
#             saves the file (FileUpload), with vant-host's peak RSS
# (g) scan:   (d) again with every file streamed to clamd (--clamd) while
#             it is received, clamd started here on a unix socket with a
#             one-line signature database written here (its memory is not
#             counted as the host's); the page fails unless the file is clean
# (e) peer:   the same POST to nginx -> PHP-FPM running a PHP page that
#             saves the file with move_uploaded_file, with the peak RSS of
#             the nginx worker and the php-fpm worker
# (f) peer:   the same POST to node's http server with busboy saving the
#             file part to disk (busboy_server.js)
# Both saved files are compared with the sent file (cmp) after every POST.
# Goals: (a) >= 1.5 x (b), (a) >= 0.8 x (c), (d) >= 0.7 x (c), (d) >= 1.0 x (e),
# (d) >= 1.5 x (f), (g) >= 0.8 x (d).
# Nothing asserts; it reports.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/../lib.sh"
mb="${MB:-200}"
repeats="${REPEATS:-3}"

bin=$(bench_binary upload_parse_bench)
if [[ ! -d "$here/node_modules/busboy" ]]; then
  (cd "$here" && npm ci --no-audit --no-fund >/dev/null)
fi

php_peer=1
need_php_peer || php_peer=0

make_workdir upload

ours="$("$bin" "$work" "$mb" "$repeats")"
value() { sed -n "s/^$1=//p" <<<"$ours"; }
ours_mbps="$(value ours_mbps)"
boundary="$(value boundary)"
bytes="$(value body_bytes)"

busboy_mbps="$(node "$here/busboy_bench.js" "$work/body.bin" "$boundary" "$work" "$repeats" |
  sed -n 's/^busboy_mbps=//p')"

dd_mbps=0
for _ in $(seq "$repeats"); do
  start=$(date +%s.%N)
  dd if="$work/body.bin" of="$work/dd.out" bs=16k status=none
  end=$(date +%s.%N)
  rate=$(awk -v b="$bytes" -v s="$start" -v e="$end" 'BEGIN { printf "%.0f", b / 1e6 / (e - s) }')
  (( rate > dd_mbps )) && dd_mbps=$rate
  rm -f "$work/dd.out"
done

# The file part's bytes, to check what each server saved: they start after
# the part's header (ending in "octet-stream" CRLF CRLF) and run MB * 1e6 bytes.
file_bytes=$((mb * 1000 * 1000))
head_end=$(head -c 4096 "$work/body.bin" | grep -obUa -m1 'octet-stream' | cut -d: -f1)
[[ -n "$head_end" ]] || die "no file part header in the body"
# head ends the pipe itself, so no writer is cut off by a closed pipe.
head -c $((head_end + 16 + file_bytes)) "$work/body.bin" | tail -c "$file_bytes" >"$work/expected.bin"

# post_body URL SAVED -> MB/s of the best of $repeats POSTs of the body to
# URL; before each the saved file SAVED is removed, after each it must
# answer 200 "1" and SAVED must equal the sent file byte for byte.
post_body() {
  local url=$1 saved=$2 best=0 out code secs rate
  for _ in $(seq "$repeats"); do
    rm -f "$saved"
    out=$(curl -sS --max-time 600 -o "$work/answer" -w '%{http_code} %{time_total}' \
      --data-binary @"$work/body.bin" -H "Content-Type: multipart/form-data; boundary=$boundary" "$url") ||
      die "curl failed on $url"
    read -r code secs <<<"$out"
    [[ "$code" = 200 && "$(cat "$work/answer")" = 1 ]] ||
      die "$url answered $code: $(head -c 300 "$work/answer")"
    cmp -s "$saved" "$work/expected.bin" || die "$url saved $saved, which differs from the sent file"
    rate=$(awk -v b="$bytes" -v s="$secs" 'BEGIN { printf "%.0f", b / 1e6 / s }')
    (( rate > best )) && best=$rate
  done
  rm -f "$saved"
  echo "$best"
}

# (d) through the real host: register the module, serve a saving page.
mkdir -p "$work/site" "$work/site/up" "$work/data"
cat >"$work/site/save.asp" <<'P'
<%@ ENABLESESSIONSTATE=False %><% var up = Server.CreateObject("VANT.FileUpload");
up.DefaultPath = Server.MapPath("/up"); var e = new Enumerator(up.Form); var n = 0;
for (; !e.atEnd(); e.moveNext()) { var c = e.item(); if (c.IsFileItem()) { c.Save(); n++; } }
Response.Write(n); %>
P
export VANT_REGISTRY="$work/registry.reg"
"$build/vant-regsvr" --registry "$VANT_REGISTRY" "$build/libvantupload.so" >/dev/null
"$build/vant-host" --site "$work/site" --listen 127.0.0.1:0 --registry "$VANT_REGISTRY" \
  --data "$work/data" --log /dev/null --max-body 2000000000 >"$work/host.out" 2>/dev/null &
host_pid=$!
pids+=("$host_pid")
for _ in $(seq 50); do grep -q http "$work/host.out" && break; sleep 0.1; done
url="$(grep -o 'http://[0-9.:]*' "$work/host.out")/save.asp"
host_mbps=$(post_body "$url" "$work/site/up/random.bin")
host_rss_kb=$(awk '/^VmHWM:/ {print $2}' "/proc/$host_pid/status")
stop_pid "$host_pid"

# (f) node + busboy over HTTP, saving into its own folder on the same disk.
mkdir -p "$work/busboy"
node "$here/busboy_server.js" "$work/busboy" >"$work/busboy.out" 2>/dev/null &
busboy_pid=$!
pids+=("$busboy_pid")
for _ in $(seq 50); do grep -q http "$work/busboy.out" && break; sleep 0.1; done
busboy_http_mbps=$(post_body "$(head -1 "$work/busboy.out")" "$work/busboy/random.bin")
busboy_rss_kb=$(awk '/^VmHWM:/ {print $2}' "/proc/$busboy_pid/status")
stop_pid "$busboy_pid"

# (g) the same host with scanning on. clamd's limits are raised above the
# file so the whole stream is really scanned.
scan_mbps=n/a
if clamd_bin=$(command -v clamd || ls /usr/sbin/clamd 2>/dev/null); then
  cl="$work/clamd"
  mkdir -p "$cl/db" "$cl/tmp"
  echo "0123456789abcdef0123456789abcdef:11:Bench.Sample" >"$cl/db/bench.hdb"
  printf '%s\n' "Foreground yes" "LocalSocket $cl/sock" "DatabaseDirectory $cl/db" \
    "TemporaryDirectory $cl/tmp" "StreamMaxLength 4000M" "MaxFileSize 4000M" \
    "MaxScanSize 4000M" "LogFile $cl/log" >"$cl/clamd.conf"
  "$clamd_bin" -c "$cl/clamd.conf" >/dev/null 2>&1 &
  pids+=("$!")
  clamd_pid=$!
  for _ in $(seq 300); do [[ -S "$cl/sock" ]] && break; sleep 0.1; done
  cat >"$work/site/scan.asp" <<'P'
<%@ ENABLESESSIONSTATE=False %><% var up = Server.CreateObject("VANT.FileUpload");
up.DefaultPath = Server.MapPath("/up"); var e = new Enumerator(up.Form); var n = 0;
for (; !e.atEnd(); e.moveNext()) { var c = e.item(); if (c.IsFileItem()) {
  if (c.IsInfected) { Response.Write("infected: " + c.VirusName); Response.End(); }
  c.Save(); n++; } }
Response.Write(n); %>
P
  rm -f "$work/host.out"
  "$build/vant-host" --site "$work/site" --listen 127.0.0.1:0 --registry "$VANT_REGISTRY" \
    --data "$work/data" --log /dev/null --max-body 2000000000 --clamd "unix:$cl/sock" \
    --clamd-max-stream 4000M >"$work/host.out" 2>"$work/host.err" &
  host_pid=$!
  pids+=("$host_pid")
  for _ in $(seq 50); do grep -q http "$work/host.out" && break; sleep 0.1; done
  url="$(grep -o 'http://[0-9.:]*' "$work/host.out")/scan.asp"
  scan_mbps=$(post_body "$url" "$work/site/up/random.bin")
  stop_pid "$host_pid"
  stop_pid "$clamd_pid"
fi

# (e) the peer: nginx buffers the body to its temp folder and hands it to
# PHP-FPM, which writes the file part to upload_tmp_dir; the page moves it
# into the site with move_uploaded_file. Every folder is on the same disk.
php_mbps=n/a nginx_rss_kb=n/a fpm_rss_kb=n/a php_rss_kb=n/a
if ((php_peer)); then
  php="$work/php"
  mkdir -p "$php/site/up" "$php/uploads"
  php_save_page "$php/site/save.php"
  start_php_fpm "$php/fpm" 4 file_uploads=1 upload_max_filesize=4G post_max_size=0 \
    "upload_tmp_dir=$php/uploads" max_execution_time=0 max_input_time=-1
  pids+=("$FPM_PID")
  start_nginx_php "$php/nginx" "$php/site" "$FPM_SOCK" "client_max_body_size 0;" \
    "client_body_timeout 600s;" "fastcgi_read_timeout 600s;" "fastcgi_send_timeout 600s;"
  pids+=("$NGINX_PID")
  php_mbps=$(post_body "${NGINX_URL}save.php" "$php/site/up/random.bin")
  nginx_rss_kb=$(children_peak_kb "$NGINX_PID")
  fpm_rss_kb=$(children_peak_kb "$FPM_PID")
  php_rss_kb=$((nginx_rss_kb + fpm_rss_kb))
  stop_pid "$NGINX_PID"
  stop_pid "$FPM_PID"
fi

echo "body: $bytes bytes (one $mb MB file part and 2 fields), best of $repeats"
printf '(a) ours                 %6s MB/s   peak RSS %s kB (parse added %s kB)\n' \
  "$ours_mbps" "$(value peak_rss_kb)" "$(value parse_rss_growth_kb)"
printf '(b) busboy 1.6 (1 MiB)   %6s MB/s\n' "$busboy_mbps"
printf '(c) dd bs=16k            %6s MB/s\n' "$dd_mbps"
printf '(d) curl -> vant-host    %6s MB/s   vant-host peak RSS %s kB\n' "$host_mbps" "$host_rss_kb"
printf '(f) curl -> node + busboy %6s MB/s   node peak RSS %s kB\n' "$busboy_http_mbps" "$busboy_rss_kb"
printf '(g) curl -> vant-host, clamd scanning %s MB/s\n' "$scan_mbps"
printf '(e) curl -> nginx -> PHP-FPM (move_uploaded_file) %s MB/s   peak RSS nginx worker %s kB + php-fpm worker %s kB\n' \
  "$php_mbps" "$nginx_rss_kb" "$fpm_rss_kb"
awk -v a="$ours_mbps" -v b="$busboy_mbps" -v c="$dd_mbps" -v d="$host_mbps" -v e="$php_mbps" \
  -v f="$busboy_http_mbps" 'BEGIN {
  printf "ratio a/b = %.2f (goal >= 1.5: %s)\n", a / b, (a / b >= 1.5 ? "met" : "NOT met")
  printf "ratio a/c = %.2f (goal >= 0.8: %s)\n", a / c, (a / c >= 0.8 ? "met" : "NOT met")
  printf "ratio d/c = %.2f (goal >= 0.7: %s)\n", d / c, (d / c >= 0.7 ? "met" : "NOT met")
  printf "ratio d/f = %.2f (goal >= 1.5: %s)\n", d / f, (d / f >= 1.5 ? "met" : "NOT met")
  if (e + 0 > 0) printf "ratio d/e = %.2f (goal >= 1.0: %s)\n", d / e, (d / e >= 1.0 ? "met" : "NOT met")
  else print "ratio d/e = n/a (PHP-FPM+nginx not available)"
}'

# One line per compared figure, for bench/run-all.
row() {  # what, ours, peer, peer figure, goal ratio (empty: no ratio)
  awk -v what="$1" -v o="$2" -v p="$3" -v f="$4" -v g="$5" -v unit="$6" 'BEGIN {
    if (g == "") { printf "bench-row|%s|%s %s|%s|%s|-|-|-\n", what, o, unit, p, f; exit }
    if (f == "n/a") { printf "bench-row|%s|%s %s|%s|n/a|-|>= %sx|-\n", what, o, unit, p, g; exit }
    r = (f > 0) ? o / f : 0
    printf "bench-row|%s|%s %s|%s|%s %s|%.2f|>= %sx|%s\n", what, o, unit, p, f, unit, r, g, (r >= g ? "met" : "missed")
  }'
}
row "upload $mb MB multipart parse in process" "$ours_mbps" busboy "$busboy_mbps" 1.5 MB/s
row "upload $mb MB multipart parse in process" "$ours_mbps" "dd bs=16k" "$dd_mbps" 0.8 MB/s
row "upload $mb MB via curl -> vant-host" "$host_mbps" "dd bs=16k" "$dd_mbps" 0.7 MB/s
row "peak RSS added by an in-process parse of $mb MB" "$(value parse_rss_growth_kb)" - - "" kB
row "upload $mb MB via curl -> host, saved by the page" "$host_mbps" \
  "PHP-FPM+nginx move_uploaded_file" "$php_mbps" 1.0 MB/s
row "upload $mb MB via curl -> host, saved by the page" "$host_mbps" \
  "node + busboy over HTTP saving to disk" "$busboy_http_mbps" 1.5 MB/s
row "upload $mb MB via curl -> host with clamd scanning" "$scan_mbps" \
  "the same host, no scanning" "$host_mbps" 0.8 MB/s
row "vant-host peak RSS after $mb MB uploads" "$host_rss_kb" - - "" kB
row "nginx worker + php-fpm worker peak RSS after $mb MB uploads" "$php_rss_kb" - - "" \
  "$([[ "$php_rss_kb" = n/a ]] || echo kB)"
