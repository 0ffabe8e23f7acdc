# shellcheck shell=bash
# Malformed and oversized multipart bodies: broken part headers (table
# multipart_bodies.tsv), a 1 MB header, a million tiny parts, the part limit,
# the field size limit, boundaries of every invalid length, bodies shorter and longer than
# Content-Length, and a body dripped a few bytes a second.
mkdir -p "$WORK/cases"
MP_TYPE="multipart/form-data; boundary=hzB"

# mp_post FILE [CONTENT-TYPE] [PAGE] [PORT]: posts FILE (to the main host
# unless PORT is given) and prints the page's line.
mp_post() {
  local base=$BASE
  [ -n "${4:-}" ] && base="http://127.0.0.1:$4"
  curl -s --max-time "${MP_MAX_TIME:-20}" --data-binary @"$1" -H "Content-Type: ${2:-$MP_TYPE}" \
    "$base/${3:-form.asp}" | tr -d '\0'
}

while IFS=$'\t' read -r label body wanted; do
  [[ -z "$label" || "$label" == \#* ]] && continue
  [ "$body" == EMPTY ] && body=""
  printf '%b' "$body" >"$WORK/cases/mp.body"
  expect_like "multipart: $label" "$(mp_post "$WORK/cases/mp.body")" "$wanted"
done <"$HOSTILE/multipart_bodies.tsv"

# A part header of 1 MB, and a part with 10,000 header lines.
{
  printf -- '--hzB\r\nContent-Disposition: form-data; name="a"; x="'
  head -c 1048576 /dev/zero | tr '\0' 'h'
  printf '"\r\n\r\n1\r\n--hzB--\r\n'
} >"$WORK/cases/mp.body"
expect_like "multipart: 1 MB part header" "$(mp_post "$WORK/cases/mp.body")" "ERR|*"
{
  printf -- '--hzB\r\nContent-Disposition: form-data; name="a"\r\n'
  awk 'BEGIN { for (i = 0; i < 10000; i++) printf "X-H%d: v\r\n", i }'
  printf '\r\n1\r\n--hzB--\r\n'
} >"$WORK/cases/mp.body"
expect_like "multipart: 10,000 header lines in one part become the value" "$(mp_post "$WORK/cases/mp.body")" "FORM|1|a=X-H1: v*"

# A million tiny parts (about 50 MB), all named "a": refused once the form
# passes the part limit (10,000 by default), after the body is drained, in
# bounded time and without the host's peak memory growing with the count.
# Exactly the limit still parses.
awk 'BEGIN { for (i = 0; i < 10000; i++) printf "--hzB\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n\r\n"; printf "--hzB--\r\n" }' \
  >"$WORK/cases/mp.body"
expect_like "multipart: 10,000 parts, the default limit, parse" "$(mp_post "$WORK/cases/mp.body")" "FORM|1|a=*"
awk 'BEGIN { for (i = 0; i < 1000000; i++) printf "--hzB\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n\r\n"; printf "--hzB--\r\n" }' \
  >"$WORK/cases/million.body"
hwm_before=$(host_hwm_kb)
start=$(date +%s)
got=$(MP_MAX_TIME=120 mp_post "$WORK/cases/million.body")
elapsed=$(($(date +%s) - start))
hwm_after=$(host_hwm_kb)
rm -f "$WORK/cases/million.body"
expect_like "multipart: a million tiny parts refused past the limit" "$got" \
  "ERR|The form has more than 10000 parts, the most this server accepts.*"
expect_eq "multipart: a million parts within 90 s" "$([ "$elapsed" -lt 90 ] && echo yes || echo "${elapsed}s")" "yes"
expect_eq "multipart: a million parts grow the peak memory by less than 64 MB" \
  "$([ $((hwm_after - hwm_before)) -lt 65536 ] && echo yes || echo "$hwm_before -> $hwm_after kB")" "yes"
echo "  (a million parts: ${elapsed}s, peak memory $hwm_before -> $hwm_after kB: ${got:0:120})"

# Field (non-file) values are kept in memory, so each may hold at most 2 MiB
# by default: exactly that parses; a 60 MB field is refused with its own
# message, after the body is drained, without the peak memory growing with
# the field and without leaving a file.
mp_field() {
  { printf -- '--hzB\r\nContent-Disposition: form-data; name="big"\r\n\r\n'
    head -c "$1" /dev/zero | tr '\0' 'x'
    printf -- '\r\n--hzB--\r\n'; } >"$WORK/cases/mp.body"
}
mp_field $((2 << 20))
expect_like "multipart: a field of exactly 2 MiB parses" "$(mp_post "$WORK/cases/mp.body")" "FORM|1|big=xxx*"
mp_field $((60 << 20))
hwm_before=$(host_hwm_kb)
got=$(MP_MAX_TIME=60 mp_post "$WORK/cases/mp.body")
hwm_after=$(host_hwm_kb)
expect_like "multipart: a 60 MB field is refused with the field limit" "$got" \
  "ERR|The form field big is larger than 2097152 bytes,*"
expect_eq "multipart: a 60 MB field grows the peak memory by less than 16 MB" \
  "$([ $((hwm_after - hwm_before)) -lt 16384 ] && echo yes || echo "$hwm_before -> $hwm_after kB")" "yes"
expect_eq "multipart: a refused field leaves no temporary file" "$(temp_files)" "0"
rm -f "$WORK/cases/mp.body"

# Boundaries: the delimiter (CR LF "--" boundary) must be 6 to 126 bytes, so
# a boundary of 2 to 122 bytes; everything else is refused with a message.
printf -- '--hzB--\r\n' >"$WORK/cases/mp.body"
for row in "0:ERR|*" "1:ERR|*" "2:FORM|0|" "122:FORM|0|" "123:ERR|*" "200:ERR|*" "5000:ERR|*"; do
  n=${row%%:*}
  b=$(head -c "$n" /dev/zero | tr '\0' 'b')
  printf -- '--%s\r\nContent-Disposition: form-data; name="a"\r\n\r\n1\r\n--%s--\r\n' "$b" "$b" >"$WORK/cases/mp.body"
  want=${row#*:}
  [ "$want" == "FORM|0|" ] && want="FORM|1|a=1"
  expect_like "multipart: boundary of $n bytes" \
    "$(mp_post "$WORK/cases/mp.body" "multipart/form-data; boundary=$b")" "$want"
done
for row in 'no boundary parameter|multipart/form-data' 'quoted empty boundary|multipart/form-data; boundary=""' \
  'non-ASCII boundary|multipart/form-data; boundary=hzé' 'not multipart|text/plain; boundary=hzB'; do
  expect_like "multipart: ${row%%|*}" "$(mp_post "$WORK/cases/mp.body" "${row#*|}")" "ERR|*"
done


# A body longer than its Content-Length: the page sees the declared bytes;
# the rest is read as the next request and gets 400, never a second page run.
printf -- '--hzB\r\nContent-Disposition: form-data; name="a"\r\n\r\n1\r\n--hzB--\r\n' >"$WORK/cases/long.body"
{
  printf 'POST /form.asp HTTP/1.1\r\nHost: x\r\nContent-Type: %s\r\nContent-Length: %d\r\n\r\n' \
    "$MP_TYPE" "$(stat -c %s "$WORK/cases/long.body")"
  cat "$WORK/cases/long.body"
  printf 'GARBAGE AFTER THE BODY\r\n\r\n'
} >"$WORK/cases/long.req"
got=$(raw_send "$WORK/cases/long.req" 5)
expect_has "long body: the page read the declared part" "$got" "FORM|1|a=1"
expect_like "long body: the rest is refused as a request" "$(printf '%s' "$got" | grep -c 'HTTP/1.1 400')" "1"

# Stalled and slow clients, against a second host with an idle deadline of
# 2 s and a request deadline of 4 s; it also takes forms of 3 parts at most.
"$BUILD/vant-host" --site "$SITE" --listen 127.0.0.1:0 --registry "$VANT_REGISTRY" \
  --data "$WORK/data-drip" --idle-timeout 2 --request-timeout 4 --max-form-parts 3 \
  >"$WORK/drip.out" 2>"$WORK/drip.err" &
DRIP_PID=$!
DRIP_PORT=$(host_address "$WORK/drip.out")
DRIP_PORT=${DRIP_PORT##*:}

# A body shorter than its Content-Length: the client stalls, the idle
# deadline cuts the connection, and no temporary file stays.
PORT_MAIN=$PORT
PORT=$DRIP_PORT
printf 'POST /save.asp HTTP/1.1\r\nHost: x\r\nContent-Type: %s\r\nContent-Length: 100000\r\n\r\n--hzB\r\nContent-Disposition: form-data; name="f"; filename="hz-short.txt"\r\n\r\nonly this' \
  "$MP_TYPE" >"$WORK/cases/short.req"
start=$(date +%s)
raw_send "$WORK/cases/short.req" 20 >/dev/null
elapsed=$(($(date +%s) - start))
sleep 0.5
expect_eq "short body: cut off by the idle deadline" "$([ "$elapsed" -lt 10 ] && echo yes || echo "${elapsed}s")" "yes"
expect_eq "short body: no temporary file left" "$(temp_files)" "0"
expect_eq "short body: nothing saved" "$(ls -A "$SITE/up")" ""

PORT=$PORT_MAIN

# A slow drip (a byte or two a second) keeps the idle deadline away; the
# request deadline cuts it, and the upload leaves no file.
start=$(date +%s)
(
  printf 'POST /save.asp HTTP/1.1\r\nHost: x\r\nContent-Type: %s\r\nContent-Length: 100000\r\n\r\n' "$MP_TYPE"
  printf -- '--hzB\r\nContent-Disposition: form-data; name="f"; filename="hz-drip.txt"\r\n\r\n'
  for _ in $(seq 1 20); do printf 'dd'; sleep 1; done
) 2>/dev/null | timeout 25 curl -s -o /dev/null "telnet://127.0.0.1:$DRIP_PORT" 2>/dev/null
elapsed=$(($(date +%s) - start))
sleep 0.5
expect_eq "slow drip: cut by the request deadline" "$([ "$elapsed" -lt 15 ] && echo yes || echo "${elapsed}s")" "yes"
expect_eq "slow drip: no temporary file left" "$(temp_files)" "0"
expect_eq "slow drip: nothing saved" "$(ls -A "$SITE/up")" ""
expect_eq "slow drip: that host still serves" "$(curl -s --max-time 5 "http://127.0.0.1:$DRIP_PORT/hello.asp")" "hello"

# --max-form-parts 3: three parts parse, a fourth (a file) is refused with
# the limit in the message, and no file of the form is left.
mp_parts() {
  for name in "$@"; do
    printf -- '--hzB\r\nContent-Disposition: form-data; name="%s"; filename="%s.txt"\r\n\r\nx\r\n' "$name" "$name"
  done
  printf -- '--hzB--\r\n'
}
mp_parts a b c >"$WORK/cases/mp.body"
expect_like "part limit 3: three parts parse" \
  "$(mp_post "$WORK/cases/mp.body" "$MP_TYPE" "form.asp" "$DRIP_PORT")" "FORM|3|a=file:1;b=file:1;c=file:1"
mp_parts a b c d >"$WORK/cases/mp.body"
expect_like "part limit 3: a fourth part is refused" \
  "$(mp_post "$WORK/cases/mp.body" "$MP_TYPE" "form.asp" "$DRIP_PORT")" "ERR|The form has more than 3 parts,*"
expect_eq "part limit 3: no temporary file left" "$(temp_files)" "0"
expect_eq "part limit 3: a bad limit is refused at start" \
  "$("$BUILD/vant-host" --site "$SITE" --max-form-parts 0 2>&1 | head -1)" \
  "vant-host: bad value for --max-form-parts: 0"
kill "$DRIP_PID" 2>/dev/null
wait "$DRIP_PID" 2>/dev/null
rm -rf "${SITE:?}/up/"*
