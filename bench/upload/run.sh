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
# Goals: (a) >= 1.5 x (b) and (a) >= 0.8 x (c). Nothing asserts; it reports.
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

echo "body: $bytes bytes (one $mb MB file part and 2 fields), best of $repeats"
printf '(a) ours                 %6s MB/s   peak RSS %s kB (parse added %s kB)\n' \
  "$ours_mbps" "$(value peak_rss_kb)" "$(value parse_rss_growth_kb)"
printf '(b) busboy 1.6 (1 MiB)   %6s MB/s\n' "$busboy_mbps"
printf '(c) dd bs=16k            %6s MB/s\n' "$dd_mbps"
awk -v a="$ours_mbps" -v b="$busboy_mbps" -v c="$dd_mbps" 'BEGIN {
  printf "ratio a/b = %.2f (goal >= 1.5: %s)\n", a / b, (a / b >= 1.5 ? "met" : "NOT met")
  printf "ratio a/c = %.2f (goal >= 0.8: %s)\n", a / c, (a / c >= 0.8 ? "met" : "NOT met")
}'
