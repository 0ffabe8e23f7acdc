# shellcheck shell=bash
# Hostile Range and If-Range values against a FileDownload page (dl.asp)
# and a static file, both 5000 bytes (table ranges.tsv). Each answer is
# summed up as "<status> <body bytes> <Content-Range or ->", so a row that
# fails shows the whole answer.

# range_answer URL RANGE [IF-RANGE]: the summary of a GET with that Range.
range_answer() {
  local args=(-s --max-time 10 -D "$WORK/cases/range.h" -o "$WORK/cases/range.b" -w '%{http_code}')
  [ "$2" != "NONE" ] && args+=(-H "Range: $2")
  [ -n "${3:-}" ] && args+=(-H "If-Range: $3")
  local code cr
  code=$(curl "${args[@]}" "$1")
  cr=$(tr -d '\r' <"$WORK/cases/range.h" | sed -n 's/^[Cc]ontent-[Rr]ange: //p')
  echo "$code $(stat -c %s "$WORK/cases/range.b") ${cr:--}"
}

mkdir -p "$WORK/cases"
while IFS=$'\t' read -r label range want_page want_static; do
  [[ -z "$label" || "$label" == \#* ]] && continue
  range=${range//@MANY@/$(seq -s, 0 2 3998 | sed 's/\([0-9]*\)/\1-\1/g')}
  [ "$range" == EMPTY ] && range=""
  expect_eq "range: $label (page)" "$(range_answer "$BASE/dl.asp" "$range")" "$want_page"
  expect_eq "range: $label (static)" "$(range_answer "$BASE/files/static.bin" "$range")" "$want_static"
done <"$HOSTILE/ranges.tsv"

# If-Range: only the validator the server sent makes the range count.
lm=$(curl -s -D - -o /dev/null "$BASE/files/static.bin" | tr -d '\r' | sed -n 's/^Last-Modified: //p')
etag=$(curl -s -D - -o /dev/null "$BASE/dl.asp" | tr -d '\r' | sed -n 's/^ETag: //p')
plm=$(curl -s -D - -o /dev/null "$BASE/dl.asp" | tr -d '\r' | sed -n 's/^Last-Modified: //p')
for row in "matching date|static|$lm|206 100 bytes 0-99/5000" "matching date|page|$plm|206 5000 bytes 0-4999/5000" \
  "matching entity tag|page|$etag|206 5000 bytes 0-4999/5000" \
  "other date|static|Thu, 01 Jan 1970 00:00:00 GMT|200 5000 -" "other date|page|Thu, 01 Jan 1970 00:00:00 GMT|200 5000 -" \
  "garbage|static|garbage|200 5000 -" "garbage|page|garbage|200 5000 -" \
  "weak entity tag|page|W/$etag|200 5000 -" "64 KB value|page|$(head -c 60000 /dev/zero | tr '\0' 'i')|200 5000 -"; do
  IFS='|' read -r label where value want <<<"$row"
  url=$BASE/dl.asp
  [ "$where" == static ] && url=$BASE/files/static.bin
  expect_eq "If-Range: $label ($where)" "$(range_answer "$url" "bytes=0-99" "$value")" "$want"
done
