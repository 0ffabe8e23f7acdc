#!/usr/bin/env bash
# Concurrency benchmark of vant-host against nginx + PHP-FPM with the same
# pages, on 127.0.0.1 only, every load bounded in connections and time:
#   1. N clients at once (100, 300, 1000), each sends one request and keeps
#      its connection open: first-response latency p99
#   2. UPLOADS multipart uploads at 256 KB/s each, saved by a page, while one
#      client fetches a small page every 100 ms: poll latency p99, and every
#      upload saved byte-exact
#   3. the minimal page under wrk -c1000 -d10s: requests/s, socket errors
#   4. 1000 idle keep-alive connections: the host's RSS growth
# Usage: bench/concurrency/run.sh   (BUILD=..., UPLOADS=300, UPLOAD_KB=2048,
#                                    ROUNDS=5 runs of each burst)
set -euo pipefail

. "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/../lib.sh"
here="$root/bench/concurrency"
UPLOADS=${UPLOADS:-300}
ROUNDS=${ROUNDS:-5}
UPLOAD_KB=${UPLOAD_KB:-2048}
RATE=$((256 * 1024))
# nginx keeps up to 32 idle FastCGI connections per worker process, and
# each pins a php-fpm child while idle; with fewer children than that the
# peer stalls under many clients (504s), so it gets enough to spare.
FPM_WORKERS=128

[ -x "$build/vant-host" ] || die "no vant-host in $build (set BUILD=...)"
need_php_peer || die "nginx/php-fpm not available"
command -v wrk >/dev/null 2>&1 || install_missing wrk
ulimit -n "$(ulimit -Hn)" 2>/dev/null || true
make_workdir concurrency
# The load client is one epoll loop in C++: a client in a scripting runtime
# spent more time opening and timing 1000 sockets than either server took
# to answer them.
cmake --build "$build" --target load_client >/dev/null || die "cannot build load_client"
client() { timeout -k 5 700 "$build/load_client" "$@"; }
field() {  # JSON FIELD: the field's value from the client's one-line JSON
  local v
  v=$(sed -n "s/.*\"$2\":\([^,}]*\).*/\1/p" <<<"$1")
  [[ -n "$v" && "$v" != null ]] && echo "$v" || echo n/a
}
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }

# ---------------------------------------------------------------- the two sites
mkdir -p "$work/asp/up" "$work/php/site/up" "$work/php/uploads" "$work/data"
printf '%s' '<%@ ENABLESESSIONSTATE=False %>Hello <%= 1+1 %>' >"$work/asp/hello.asp"
cat >"$work/asp/save.asp" <<'P'
<%@ ENABLESESSIONSTATE=False %><% var up = Server.CreateObject("VANT.FileUpload");
up.DefaultPath = Server.MapPath("/up"); var e = new Enumerator(up.Form); var n = 0;
for (; !e.atEnd(); e.moveNext()) { var c = e.item(); if (c.IsFileItem()) { c.Save(); n++; } }
Response.Write(n); %>
P
printf '%s' '<?php echo "Hello ", 1+1; ?>' >"$work/php/site/hello.php"
php_save_page "$work/php/site/save.php"
head -c $((UPLOAD_KB * 1024)) /dev/urandom >"$work/upload.bin"

export VANT_REGISTRY="$work/registry.reg"
"$build/vant-regsvr" --registry "$VANT_REGISTRY" "$build/libvantupload.so" >/dev/null
"$build/vant-host" --site "$work/asp" --listen 127.0.0.1:0 --registry "$VANT_REGISTRY" \
  --data "$work/data" --log /dev/null >"$work/host.out" 2>"$work/host.err" &
host_pid=$!
pids+=("$host_pid")
for _ in $(seq 100); do grep -q http "$work/host.out" && break; sleep 0.1; done
VANT="$(grep -o 'http://[0-9.:]*' "$work/host.out")/"
[ "$VANT" != / ] || die "vant-host did not start: $(cat "$work/host.err")"

start_php_fpm "$work/php/fpm" "$FPM_WORKERS" file_uploads=1 upload_max_filesize=1G post_max_size=0 \
  "upload_tmp_dir=$work/php/uploads" max_file_uploads=10
pids+=("$FPM_PID")
start_nginx_php "$work/php/nginx" "$work/php/site" "$FPM_SOCK" "client_max_body_size 0;"
pids+=("$NGINX_PID")
PHP=$NGINX_URL
log "vant-host at $VANT, nginx + php-fpm ($FPM_WORKERS workers) at $PHP"

rows=()
row() { rows+=("bench-row|$1|$2|nginx+PHP-FPM|$3|$4|$5|$6"); }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b + 0 > 0 && a != "n/a") printf "%.2f", a / b; else print "n/a" }'; }

# ---------------------------------------------------------------- 1. N clients, one request each, kept open
# A burst takes about a second, so each is run ROUNDS times, ours and the
# peer's alternating, and the median p99 counts: on a shared machine one
# run's p99 is often another process's stall.
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : "n/a" }'; }
for n in 100 300 1000; do
  o99s="" p99s="" oans=$n pans=$n
  for _ in $(seq "$ROUNDS"); do
    ours=$(client hold "$n" "${VANT}hello.asp" 0)
    peer=$(client hold "$n" "${PHP}hello.php" 0)
    log "hold $n: vant-host $ours / peer $peer"
    o99s+=" $(field "$ours" p99)" p99s+=" $(field "$peer" p99)"
    a=$(field "$ours" answered) && [ "$a" != n/a ] && [ "$a" -lt "$oans" ] && oans=$a
    a=$(field "$peer" answered) && [ "$a" != n/a ] && [ "$a" -lt "$pans" ] && pans=$a
  done
  o99=$(median <<<"${o99s// n\/a/}") p99=$(median <<<"${p99s// n\/a/}")
  met=$(awk -v o="$o99" -v p="$p99" -v a="$oans" -v n="$n" \
    'BEGIN { print (a == n && o != "n/a" && o <= 2 * p && o < 100) ? "met" : "missed" }')
  row "$n clients keep-alive, first response p99, median of $ROUNDS (answered: ours $oans, peer $pans of $n)" \
    "$o99 ms" "$p99 ms" "$(ratio "$o99" "$p99")" "<= 2x and < 100 ms" "$met"
done

# ---------------------------------------------------------------- 2. slow uploads while a page is polled
ours=$(client uploads "$UPLOADS" "$RATE" "$work/upload.bin" "${VANT}save.asp" "${VANT}hello.asp")
peer=$(client uploads "$UPLOADS" "$RATE" "$work/upload.bin" "${PHP}save.php" "${PHP}hello.php")
log "uploads: vant-host $ours / peer $peer"
exact=0
for f in "$work"/asp/up/*; do cmp -s "$f" "$work/upload.bin" && exact=$((exact + 1)); done
o99=$(field "$ours" p99) p99=$(field "$peer" p99)
met=$(awk -v o="$o99" -v e="$exact" -v n="$UPLOADS" 'BEGIN { print (e == n && o != "n/a" && o <= 100) ? "met" : "missed" }')
row "$UPLOADS uploads of $UPLOAD_KB KB at 256 KB/s, poll p99 (saved exact: ours $exact, peer $(field "$peer" saved) of $UPLOADS)" \
  "$o99 ms" "$p99 ms" "$(ratio "$o99" "$p99")" "all exact, <= 100 ms" "$met"

# ---------------------------------------------------------------- 3. wrk -c1000
wrk_run() {  # URL -> "req/s errors"
  local out
  out=$(timeout -k 5 40 wrk -t2 -c1000 -d10s --timeout 5s "$1" 2>&1) || true
  echo "$out" >&2
  awk '/^Requests\/sec:/ { r = $2 } /Socket errors/ { gsub(",", ""); e = $4 + $6 + $8 + $10 }
       /Non-2xx/ { e += $NF } END { printf "%s %d\n", r, e }' <<<"$out"
}
read -r o_rps o_err <<<"$(wrk_run "${VANT}hello.asp")"
read -r p_rps p_err <<<"$(wrk_run "${PHP}hello.php")"
r=$(ratio "$o_rps" "$p_rps")
met=$(awk -v r="$r" -v e="$o_err" 'BEGIN { print (e == 0 && r >= 1.0) ? "met" : "missed" }')
row "minimal page, wrk -c1000 -d10s, req/s (errors: ours $o_err, peer $p_err)" \
  "$o_rps" "$p_rps" "$r" ">= 1.0x, no errors" "$met"

# ---------------------------------------------------------------- 4. idle keep-alive connections
# The same load first, so the workers it starts are there in both samples
# and only what the held connections cost is counted.
client hold 1000 "${VANT}hello.asp" 0 >/dev/null
sleep 1
before=$(rss_kb "$host_pid")
client hold 1000 "${VANT}hello.asp" 6 >"$work/idle.json" &
idle_pid=$!
for _ in $(seq 100); do [ -s "$work/idle.json" ] && break; sleep 0.1; done
sleep 1
after=$(rss_kb "$host_pid")
wait "$idle_pid" || true
growth=$(( (after - before) / 1024 ))
row "1000 idle keep-alive connections, host RSS growth" "$growth MB" "-" "-" "<= 30 MB" \
  "$([ "$growth" -le 30 ] && echo met || echo missed)"

echo
printf '%s\n' "${rows[@]}"
