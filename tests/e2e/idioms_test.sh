#!/usr/bin/env bash
# Idioms of existing pages, one page per area under idioms/site/. Each page
# prints "name: value" lines; idioms/AREA.txt holds the lines the classic
# platform prints, in any order, after optional "# curl: ARGS" and
# "# query: TEXT" lines that say how to request the page. An expected value
# "=other name" asks for the same text as the page's line of that name.
# Every expected line is one named assertion; pages without a .txt are
# helpers the others include or execute.
. "$(dirname "$0")/lib.sh"

IDIOMS=$SOURCE/tests/e2e/idioms
cp -r "$IDIOMS/site/." "$SITE/"
mkdir -p "$SITE/db"
# Date texts carry the zone: the expected lines were made in UTC.
TZ=UTC start_host

# value NAME: the text after "NAME: " on the first line of $got with that name.
value() {
  printf '%s\n' "$got" | awk -v n="$1: " 'index($0, n) == 1 { print substr($0, length(n) + 1); exit }'
}

for expected in "$IDIOMS"/*.txt; do
  area=$(basename "$expected" .txt)
  args=() query=""
  while IFS= read -r line; do
    [[ "$line" == "# curl: "* ]] && eval "args+=(${line#\# curl: })"
    [[ "$line" == "# query: "* ]] && query="?${line#\# query: }"
  done <"$expected"
  got=$(curl -s --max-time 20 "${args[@]}" "$BASE/$area.asp$query" | tr -d '\r')
  while IFS= read -r line; do
    [[ -z "$line" || "$line" == "#"* ]] && continue
    name=${line%%: *} want=${line#*: }
    [[ "$want" == "="* ]] && want=$(value "${want#=}")
    expect_eq "$area: $name" "$(value "$name")" "$want"
  done <"$expected"
done
finish
