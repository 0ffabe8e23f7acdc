# shellcheck shell=bash
# The sample pages that change state act only on their own forms: a POST
# without the visitor's form token, or naming another site in Origin, is
# refused with 403 and changes nothing (sample_forms.tsv). The virus page
# keeps its settings per session and its folder under the site's data.
start_sample_host
mkdir -p "$WORK/cases"
sample_session "sample forms: the virus page carries a token" "$WORK/forms.jar" virus/default.asp
printf 'hello\n' >"$WORK/cases/small.txt"

while IFS=$'\t' read -r name page session token origin data want; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  args=(-s -o "$WORK/cases/form.out" -w '%{http_code}' --max-time 10)
  [ "$session" == yes ] && args+=(-b "$JAR")
  case $token in
    good) sent=$TOKEN ;;
    stale) sent=00000000000000000000000000000000 ;;
    *) sent="" ;;
  esac
  case $origin in
    -) ;;
    same) args+=(-H "Origin: $SAMPLE_BASE") ;;
    *) args+=(-H "Origin: $origin") ;;
  esac
  url="$SAMPLE_BASE/$page"
  if [ "$data" == "@file" ]; then
    args+=(-F "file1=@$WORK/cases/small.txt")
    [ -n "$sent" ] && url="$url?token=$sent"
  else
    data=${data//@WORK@/$WORK}
    [ -n "$sent" ] && data="$data&token=$sent"
    args+=(--data-binary "$data")
  fi
  expect_eq "sample forms: $name" "$(curl "${args[@]}" "$url")" "$want"
done <"$HOSTILE/sample_forms.tsv"
# Methods other than POST carry the same duty: a PUT or a lower-case "post"
# with a body and no token changes nothing either.
for method in PUT post; do
  expect_eq "sample forms: $method upload without token" "$(curl -s -o /dev/null -w '%{http_code}' \
    --max-time 10 -b "$JAR" -X "$method" -F "file1=@$WORK/cases/small.txt" \
    "$SAMPLE_BASE/upload/save.asp")" "403"
done

expect_eq "sample forms: no folder made outside the site" "$(ls -d "$WORK/x" 2>/dev/null)" ""
expect_eq "sample forms: the virus folders stay under the site's data" \
  "$(cd "$SAMPLE/data/.private/scan" 2>/dev/null && ls | tr '\n' ' ')" "incoming scratch "
expect_eq "sample forms: refused uploads saved nothing" "$(ls "$SAMPLE/uploads")" "small.txt"
expect_has "sample forms: the cache was not changed from outside" \
  "$(curl -s -b "$JAR" "$SAMPLE_BASE/download/cache.asp")" "<li><i>nothing</i></li>"
# Settings are the visitor's own: another session still sees the defaults.
expect_has "sample forms: the visitor's setting is kept" \
  "$(curl -s -b "$JAR" "$SAMPLE_BASE/virus/default.asp")" 'name="scanMode" value="7"'
expect_has "sample forms: another visitor's settings are untouched" \
  "$(curl -s "$SAMPLE_BASE/virus/default.asp")" 'name="scanMode" value="0"'
stop_sample_host
