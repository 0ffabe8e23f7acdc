#!/usr/bin/env bash
# A client that stops sending its body is cut off by the idle deadline, the
# page reading it ends, and the host goes on serving.
. "$(dirname "$0")/lib.sh"

drain_pages

start_host --idle-timeout 2
port=${BASE##*:}

start=$(date +%s%N)
exec 3<>"/dev/tcp/127.0.0.1/$port"
printf 'POST /read.asp HTTP/1.1\r\nHost: localhost\r\nContent-Type: application/octet-stream\r\nContent-Length: 100000\r\n\r\nonly a few bytes' >&3
timeout 20 cat <&3 >/dev/null
exec 3<&-
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
expect_eq "stalled client cut off by the idle deadline" \
  "$([ "$elapsed" -ge 1500 ] && [ "$elapsed" -lt 10000 ] && echo cut || echo "not cut (${elapsed} ms)")" "cut"
expect_eq "host still serves after the cut" "$(curl -s --max-time 5 "$BASE/hello.asp")" "hello"

finish
