#!/usr/bin/env bash
# Upload parse benchmark: our parser against busboy and dd on the same
# 200 MB body, in one run, with the ratios against the goals.
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
# Goals: (a) >= 1.5 x (b), (a) >= 0.8 x (c), (d) >= 0.7 x (c).
# Nothing asserts; it reports.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${BUILD:-build}"
[[ "$build" = /* ]] || build="$root/$build"
mb="${MB:-200}"
repeats="${REPEATS:-3}"

# BENCH_BIN names a driver built elsewhere; otherwise it is built here.
bin="${BENCH_BIN:-}"
if [[ -z "$bin" ]]; then
  cmake --build "$build" --target upload_parse_bench >/dev/null
  bin="$build/upload_parse_bench"
fi
if [[ ! -d "$here/node_modules/busboy" ]]; then
  (cd "$here" && npm ci --no-audit --no-fund >/dev/null)
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/vant-upload-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

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

# (d) through the real host: register the module, serve a saving page.
mkdir -p "$work/site" "$work/site/up"
cat >"$work/site/save.asp" <<'P'
<%@ ENABLESESSIONSTATE=False %><% var up = Server.CreateObject("VANT.FileUpload");
up.DefaultPath = Server.MapPath("/up"); var e = new Enumerator(up.Form); var n = 0;
for (; !e.atEnd(); e.moveNext()) { var c = e.item(); if (c.IsFileItem()) { c.Save(); n++; } }
Response.Write(n); %>
P
export VANT_REGISTRY="$work/registry.reg"
"$build/vant-regsvr" --registry "$VANT_REGISTRY" "$build/libvantupload.so" >/dev/null
"$build/vant-host" --site "$work/site" --listen 127.0.0.1:0 --registry "$VANT_REGISTRY" \
  --max-body 2000000000 >"$work/host.out" 2>/dev/null &
host_pid=$!
trap 'kill $host_pid 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do grep -q http "$work/host.out" && break; sleep 0.1; done
url="$(grep -o 'http://[0-9.:]*' "$work/host.out")/save.asp"
host_mbps=0
for _ in $(seq "$repeats"); do
  rm -f "$work/site/up/"*
  secs=$(curl -s -o /dev/null -w '%{time_total}' --data-binary @"$work/body.bin" \
    -H "Content-Type: multipart/form-data; boundary=$boundary" "$url")
  rate=$(awk -v b="$bytes" -v s="$secs" 'BEGIN { printf "%.0f", b / 1e6 / s }')
  (( rate > host_mbps )) && host_mbps=$rate
done
host_rss=$(sed -n 's/^VmHWM:[[:space:]]*//p' "/proc/$host_pid/status")

echo "body: $bytes bytes (one $mb MB file part and 2 fields), best of $repeats"
printf '(a) ours                 %6s MB/s   peak RSS %s kB (parse added %s kB)\n' \
  "$ours_mbps" "$(value peak_rss_kb)" "$(value parse_rss_growth_kb)"
printf '(b) busboy 1.6 (1 MiB)   %6s MB/s\n' "$busboy_mbps"
printf '(c) dd bs=16k            %6s MB/s\n' "$dd_mbps"
printf '(d) curl -> vant-host    %6s MB/s   vant-host peak RSS %s\n' "$host_mbps" "$host_rss"
awk -v a="$ours_mbps" -v b="$busboy_mbps" -v c="$dd_mbps" -v d="$host_mbps" 'BEGIN {
  printf "ratio a/b = %.2f (goal >= 1.5: %s)\n", a / b, (a / b >= 1.5 ? "met" : "NOT met")
  printf "ratio a/c = %.2f (goal >= 0.8: %s)\n", a / c, (a / c >= 0.8 ? "met" : "NOT met")
  printf "ratio d/c = %.2f (goal >= 0.7: %s)\n", d / c, (d / c >= 0.7 ? "met" : "NOT met")
}'

# One line per compared figure, for bench/run-all.
row() {  # what, ours, peer, peer figure, goal ratio (empty: no ratio)
  awk -v what="$1" -v o="$2" -v p="$3" -v f="$4" -v g="$5" -v unit="$6" 'BEGIN {
    if (g == "") { printf "bench-row|%s|%s %s|%s|%s|-|-|-\n", what, o, unit, p, f; exit }
    r = (f > 0) ? o / f : 0
    printf "bench-row|%s|%s %s|%s|%s %s|%.2f|>= %sx|%s\n", what, o, unit, p, f, unit, r, g, (r >= g ? "met" : "missed")
  }'
}
row "upload $mb MB multipart parse in process" "$ours_mbps" busboy "$busboy_mbps" 1.5 MB/s
row "upload $mb MB multipart parse in process" "$ours_mbps" "dd bs=16k" "$dd_mbps" 0.8 MB/s
row "upload $mb MB via curl -> vant-host" "$host_mbps" "dd bs=16k" "$dd_mbps" 0.7 MB/s
row "peak RSS added by an in-process parse of $mb MB" "$(value parse_rss_growth_kb)" - - "" kB
row "vant-host peak RSS after $mb MB uploads" "${host_rss% kB}" - - "" kB
