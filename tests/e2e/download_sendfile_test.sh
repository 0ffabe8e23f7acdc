#!/usr/bin/env bash
# Downloads from disk that the host sends itself, with sendfile and with
# --sendfile off: byte-exact bodies and ranges, output the page wrote or
# flushed before the download, a client gone mid-send and failed socket
# writes; no descriptor is left open and no file is held in memory.
. "$(dirname "$0")/lib.sh"

mkdir -p "$SITE/files"
# pre=buffer sets Response.Buffer first; pre=flush writes a line and
# flushes it, so the headers are out before the download starts.
page dl.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %><%
var pre = String(Request.QueryString("pre"));
if (pre == "buffer") Response.Buffer = true;
if (pre == "flush") { Response.Write("before\n"); Response.Flush(); }
var dl = Server.CreateObject("VANT.FileDownload");
Application("last") = "STARTED";
try {
  dl.Download(Server.MapPath("/files/" + Request.QueryString("f")), "x.bin", true,
              Request.QueryString("resume").Count > 0);
  Application("last") = "SENT";
} catch (e) {
  Application("last") = "ERR " + e.source;
}
%>
P
page last.asp <<'P'
<%@ LANGUAGE=JScript %><% Response.Write(Application("last")); %>
P
F=$SITE/files/big.bin
head -c 3000000 /dev/urandom >"$F"
D=$WORK/got
mkdir -p "$D"


for mode in on off; do
  start_host --sendfile "$mode"
  fds=$(fd_count)
  while IFS='|' read -r name query range from status; do
    args=(-s -D "$D/hdr" -o "$D/body" -w '%{http_code}')
    [ -n "$range" ] && args+=(-H "Range: $range")
    code=$(curl "${args[@]}" "$BASE/dl.asp?f=big.bin&$query")
    expect_eq "$mode, $name: status" "$code" "$status"
    # After a flush the body is chunked, so the page's last line end follows.
    { [[ $query == *pre=flush* ]] && printf 'before\n'; tail -c +$((from + 1)) "$F"
      [[ $query == *pre=flush* ]] && printf '\n'; } >"$D/want"
    cmp -s "$D/body" "$D/want"; expect_eq "$mode, $name: body byte-exact" "$?" 0
  done <<'CASES'
whole file|||0|200
tail of a range|resume=1|bytes=100-|100|206
last byte|resume=1|bytes=2999999-|2999999|206
suffix range, not honoured: whole file|resume=1|bytes=-500|0|200
Buffer set true before|pre=buffer||0|200
output flushed before: it, then the whole file|pre=flush||0|200
CASES
  hdr=$(curl -s -I "$BASE/dl.asp?f=big.bin")
  expect_has "$mode, HEAD announces the length" "$hdr" "Content-Length: 3000000"

  # A client that goes away mid-send: the download ends the response, and
  # with it the page (which never gets to "SENT"), and the host holds no
  # descriptor of it.
  head -c $((64 * 1024 * 1024)) /dev/zero >"$SITE/files/huge.bin"
  timeout 1 curl -s --limit-rate 1M -o /dev/null "$BASE/dl.asp?f=huge.bin"
  expect_eq "$mode, client gone: descriptors as before" "$(fds_back "$fds")" "$fds"
  expect_eq "$mode, client gone: page ended at the download" "$(curl -s "$BASE/last.asp")" STARTED
  stop_host

  # A socket write of the file fails (the header block is write 0): a cut
  # body, the error in the page, descriptors as before, the host serves on.
  VANT_FAULTS="socket-write:2:EPIPE" start_host --sendfile "$mode"
  fds=$(fd_count)
  curl -s -o "$D/body" -H "Range: bytes=10-" "$BASE/dl.asp?f=big.bin&resume=1"
  size=$(stat -c %s "$D/body")
  expect_eq "$mode, failed write: body cut short" "$([ "$size" -lt 2999990 ] && echo yes)" yes
  expect_eq "$mode, failed write: descriptors as before" "$(fds_back "$fds")" "$fds"
  expect_eq "$mode, failed write: page ended at the download" "$(curl -s "$BASE/last.asp")" STARTED
  curl -s -o "$D/body" "$BASE/dl.asp?f=big.bin"
  cmp -s "$D/body" "$F"; expect_eq "$mode, failed write: next download whole" "$?" 0
  stop_host
done

# Output flushed before a download leaves the response buffered; the file
# still goes straight out instead of growing the buffer by its size.
start_host
hwm() { awk '/VmHWM/ {print $2}' "/proc/$HOST_PID/status"; }
before=$(hwm)
curl -s -o "$D/body" "$BASE/dl.asp?f=huge.bin&pre=flush"
expect_eq "flushed download: body length" "$(stat -c %s "$D/body")" $((7 + 64 * 1024 * 1024 + 1))
grown=$(( $(hwm) - before ))
expect_eq "flushed download: file not held in memory" "$([ "$grown" -lt 32768 ] && echo yes || echo "$grown kB")" yes
stop_host
finish
