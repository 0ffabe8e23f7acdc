#!/usr/bin/env bash
# Connections cost a worker only while a request runs: idle keep-alive
# connections and slow header senders beyond the worker count do not delay
# a new request, short pages answer while the upload share is full, clients
# that never read their answer are cut by the idle deadline, and what finds
# no worker in time, or no room, gets 503 with Retry-After.
. "$(dirname "$0")/lib.sh"

drain_pages

# ms_of CURL_ARGS...: milliseconds until the whole answer arrived, or "failed".
ms_of() {
  local t
  t=$(curl -s -o /dev/null --max-time 10 -w '%{http_code} %{time_total}' "$@") || { echo failed; return; }
  awk -v r="$t" 'BEGIN { split(r, a, " "); print (a[1] == 200) ? int(a[2] * 1000) : "status " a[1] }'
}
# fast NAME MS: the answer came within a second (a held worker costs 5 s).
fast() { expect_eq "$1" "$([[ "$2" =~ ^[0-9]+$ ]] && [ "$2" -lt 1000 ] && echo fast || echo "$2")" fast; }

# raw REQUEST-TEXT: opens a connection, sends the text, leaves it open; the
# descriptor goes to RAW.
RAW_FDS=()
raw() {
  local fd
  exec {fd}<>"/dev/tcp/127.0.0.1/${BASE##*:}"
  printf '%b' "$1" >&$fd
  RAW_FDS+=("$fd")
  RAW=$fd
}
close_raw() { for fd in "${RAW_FDS[@]}"; do exec {fd}<&-; done; RAW_FDS=(); }

start_host --threads 4 --max-upload-workers 2 --queue-timeout 1
for _ in $(seq 1 10); do raw 'GET /hello.asp HTTP/1.1\r\nHost: t\r\n\r\n'; done
for _ in $(seq 1 6); do raw 'GET /hello.asp HTTP/1.1\r\nHost: t\r\nX-Slow: '; done
sleep 0.3
fast "10 idle keep-alive and 6 slow header connections hold none of 4 workers" "$(ms_of "$BASE/hello.asp")"
close_raw

head -c 600000 /dev/zero >"$WORK/body.bin"
uploads=()
for i in 1 2; do
  curl -s --max-time 30 --limit-rate 100k -H 'Content-Type: application/octet-stream' \
    --data-binary @"$WORK/body.bin" "$BASE/read.asp" >"$WORK/upload$i.out" &
  uploads+=($!)
done
sleep 0.5
# A third upload finds the upload share full: it waits, then gets 503.
raw 'POST /read.asp HTTP/1.1\r\nHost: t\r\nContent-Length: 600000\r\n\r\nfirst bytes'
queued=$RAW
for i in 1 2 3; do
  fast "short page $i answers while the upload share is full" "$(ms_of "$BASE/hello.asp")"
done
refused=$(timeout 5 cat <&"$queued" | tr -d '\r')
expect_has "upload queued past the wait gets 503" "$refused" "HTTP/1.1 503 Service Unavailable"
expect_has "503 says when to retry" "$refused" "Retry-After: 5"
close_raw
wait "${uploads[@]}"
expect_eq "uploads in the share complete" "$(cat "$WORK/upload1.out") $(cat "$WORK/upload2.out")" \
  "600000 600000"
expect_has "refusal logged" "$(cat "$WORK/host.err")" "\"POST /read.asp HTTP/1.1\" 503"
stop_host

# Clients that never read their answer, a page's long body (on a worker)
# or a large file (on the I/O threads), hold the socket only until the
# idle deadline; then the workers are free again and nothing is left open.
page big.asp <<'P'
<%@ ENABLESESSIONSTATE=False %><% Response.Buffer = false; var s = new Array(65537).join("x");
for (var i = 0; i < 192; i++) Response.Write(s); %>
P
truncate -s 64M "$SITE/big.bin"
start_host --threads 2 --idle-timeout 2 --queue-timeout 1
fds=$(fd_count)
for target in big.asp big.asp big.bin; do raw "GET /$target HTTP/1.1\r\nHost: t\r\n\r\n"; done
# The cut comes 2 s after the socket buffers (some 4 MB) filled, and a page
# runs on to its end; a slow machine takes longer, so wait for the
# descriptors to close rather than a fixed time.
expect_eq "no descriptor left by the cut clients" "$(fds_back "$fds" 300)" "$fds"
fast "both workers free once the idle deadline cut the clients that never read" \
  "$(ms_of "$BASE/hello.asp")"
close_raw
stop_host

start_host --max-connections 2
raw ''
raw 'GET /hello.asp HTTP/1.1\r\nHost: t\r\n\r\n'
sleep 0.3
over=$(curl -s -D - --max-time 5 "$BASE/hello.asp" | tr -d '\r')
expect_has "connection over --max-connections refused with 503" "$over" "HTTP/1.1 503"
expect_has "refusal says when to retry" "$over" "Retry-After: 5"
close_raw
sleep 0.3
expect_eq "served again once connections closed" "$(curl -s --max-time 5 "$BASE/hello.asp")" "hello"

finish
