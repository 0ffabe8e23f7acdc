#!/usr/bin/env bash
# Image benchmark: a forced 200x150 thumbnail of a 24-megapixel JPEG
# (6000x4000), in one run:
# (a) ours:          ImageProc.SaveAsThumbnail in process (median of REPEATS,
#                    after one warm-up inside the same process)
# (b) vipsthumbnail: vipsthumbnail -s '200x150!' (a process per run)
# (c) convert:       ImageMagick convert -resize 200x150! (a process per run)
# (d) probe:         the header probe a form element's file info runs
# Peak RSS of each. Goals: (a) <= 1.3 x (b) in time, (a) >= 4 x faster than
# (c), (d) under 5 ms. Nothing asserts; it reports.
#
#   bench/image/run.sh                     # BUILD=build, REPEATS=5
#   BUILD=build-image REPEATS=3 bench/image/run.sh
#   BENCH_BIN=/path/to/image_bench bench/image/run.sh
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/../lib.sh"
repeats="${REPEATS:-5}"

bin=$(bench_binary image_bench)

# Peers come from Debian; install what is missing, saying so.
need() {  # command package
  [[ -x "$1" ]] && return 0
  echo "image bench: installing $2 for $1" >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y "$2" >/dev/null 2>&1 || true
  [[ -x "$1" ]]
}
have_vips=1; need /usr/bin/vipsthumbnail libvips-tools || have_vips=0
have_convert=1; need /usr/bin/convert imagemagick || have_convert=0

work="$(mktemp -d "${TMPDIR:-/tmp}/vant-image-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
src="$work/photo.jpg"

# A 24 MP photo-like JPEG: blurred noise, three bands, quality 90.
/usr/bin/vips gaussnoise "$work/n.v" 6000 4000 --mean 128 --sigma 60
/usr/bin/vips gaussblur "$work/n.v" "$work/b.v" 1.5
/usr/bin/vips cast "$work/b.v" "$work/c.v" uchar
/usr/bin/vips bandjoin "$work/c.v $work/c.v $work/c.v" "$work/rgb.v"
/usr/bin/vips copy "$work/rgb.v" "$src[Q=90]" --interpretation srgb
rm -f "$work"/*.v
echo "source: 6000x4000 JPEG, $(stat -c %s "$src") bytes"

value() { sed -n "s/^$1=//p" <<<"$2"; }

# Median wall time in ms and peak RSS in kB of REPEATS runs of a command.
time_runs() {
  local times=() rss=0 t r
  for _ in $(seq "$repeats"); do
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>&1
    read -r t r <"$work/time"
    times+=("$(awk -v s="$t" 'BEGIN { printf "%.0f", s * 1000 }')")
    (( r > rss )) && rss=$r
  done
  printf '%s %s\n' "$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (repeats + 1) / 2 ))p")" "$rss"
}

ours="$("$bin" thumb "$src" "$work/ours.jpg" 200 150 "$((repeats + 1))")"
ours_ms="$(value median_ms "$ours")"
ours_rss="$(value peak_rss_kb "$ours")"
read -r proc_ms proc_rss < <(time_runs "$bin" thumb "$src" "$work/ours.jpg" 200 150 1)
probe="$("$bin" probe "$src" 200)"
probe_ms="$(value median_ms "$probe")"

vips_ms=n/a; vips_rss=n/a
if (( have_vips )); then
  read -r vips_ms vips_rss < <(time_runs /usr/bin/vipsthumbnail "$src" -s '200x150!' \
    -o "$work/vips.jpg")
fi
convert_ms=n/a; convert_rss=n/a
if (( have_convert )); then
  read -r convert_ms convert_rss < <(time_runs /usr/bin/convert "$src" -resize '200x150!' \
    "$work/convert.jpg")
fi

echo "(a) ours in process       median $ours_ms ms   peak RSS $ours_rss kB"
echo "    ours as a process      median $proc_ms ms   peak RSS $proc_rss kB (with library start-up)"
echo "(b) vipsthumbnail          median $vips_ms ms   peak RSS $vips_rss kB"
echo "(c) convert -resize        median $convert_ms ms   peak RSS $convert_rss kB"
echo "(d) header probe           median $probe_ms ms (first call $(value first_ms "$probe") ms)"

# One line per compared figure, for bench/run-all.
ratio_row() {  # what ours peer peer_figure goal_text compare(le|ge) goal unit
  awk -v what="$1" -v o="$2" -v p="$3" -v f="$4" -v text="$5" -v cmp="$6" -v g="$7" -v u="$8" 'BEGIN {
    if (f == "n/a" || f <= 0) { printf "bench-row|%s|%s %s|%s|n/a|-|%s|-\n", what, o, u, p, text; exit }
    r = o / f
    ok = (cmp == "le") ? (r <= g) : (r >= g)
    printf "bench-row|%s|%s %s|%s|%s %s|%.2f|%s|%s\n", what, o, u, p, f, u, r, text, (ok ? "met" : "missed")
  }'
}
# The peers are processes, so the goals compare ours as a process too
# (library start-up included on both sides); the in-process time is shown.
thumb="forced 200x150 thumbnail of a 6000x4000 JPEG"
ratio_row "$thumb, one process each (time)" "$proc_ms" vipsthumbnail "$vips_ms" "<= 1.3x" le 1.3 ms
# Faster by 4 x or more: our time over convert's at most 0.25.
ratio_row "$thumb, one process each (time)" "$proc_ms" "convert -resize" "$convert_ms" \
  "<= 0.25x (4x faster)" le 0.25 ms
echo "bench-row|$thumb, in a warm process (time)|$ours_ms ms|-|-|-|-|-"
echo "bench-row|$thumb (peak RSS)|$proc_rss kB|vipsthumbnail|$vips_rss kB|-|-|-"
echo "bench-row|$thumb (peak RSS)|$proc_rss kB|convert -resize|$convert_rss kB|-|-|-"
awk -v p="$probe_ms" 'BEGIN {
  printf "bench-row|header probe of a 6000x4000 JPEG (SetFileInfo)|%s ms|-|-|-|< 5 ms|%s\n", p, (p < 5 ? "met" : "missed")
}'
