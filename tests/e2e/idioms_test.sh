#!/usr/bin/env bash
# Real-page idioms: each page under idioms/ prints "name: value" lines, one
# per assertion; every line of the .expected file beside it (what the
# original platform prints) must come back with that value. Pages without an
# .expected file are helpers the others include or execute.
. "$(dirname "$0")/lib.sh"

IDIOMS=$SOURCE/tests/e2e/idioms
cp -r "$IDIOMS/." "$SITE/"
# Date texts carry the zone: the expected files were made in UTC.
TZ=UTC start_host

for expected in "$IDIOMS"/*.expected; do
  name=$(basename "$expected" .expected)
  body=$(curl -s --max-time 20 "$BASE/$name.asp" | tr -d '\r')
  while IFS= read -r line; do
    [ -z "$line" ] && continue
    key=${line%%: *}
    got=$(awk -v k="$key: " 'index($0, k) == 1 { print substr($0, length(k) + 1); exit }' <<<"$body")
    expect_eq "$name: $key" "$got" "${line#*: }"
  done <"$expected"
done
finish
