#!/usr/bin/env bash
# Request bodies of 1 GiB through a real vant-host: a page drains them with
# Request.BinaryRead(65536), once with a Content-Length and once chunked,
# counting every byte and checking where each piece sits in the stream; the
# host's peak memory must not grow with the body. An upload whose body comes
# chunked (no length announced) is refused with the no-body message and
# leaves nothing behind.
source "$(dirname "$0")/lib.sh"

GIB=$((1024 * 1024 * 1024))
# 63 characters and a line end, 64 bytes: byte i of the stream is (LINE\n)[i % 64].
LINE='abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.'
# The host's peak may grow by this much while it drains 1 GiB.
MAX_GROWTH_KB=$((100 * 1024))

# drain.asp?p=zero|line: "bytes=<n> total=<TotalBytes at start> bad=<first
# misplaced offset or -1>". Each piece's first and last bytes are checked
# against the stream's pattern, so a lost, repeated or reordered piece shows.
page drain.asp <<'P'
<%@ ENABLESESSIONSTATE=False %><%
var line = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.\n";
var zero = Request.QueryString("p") == "zero";
function expected(at) { return zero ? 0 : line.charCodeAt(at % 64); }
var total = Request.TotalBytes, n = 0, bad = -1, c;
while ((c = Request.BinaryRead(65536))) {
  var a = new VBArray(c), last = a.ubound();
  if (last < 0) break;
  if (bad < 0 && a.getItem(0) != expected(n)) bad = n;
  if (bad < 0 && a.getItem(last) != expected(n + last)) bad = n + last;
  n += last + 1;
}
Response.Write("bytes=" + n + " total=" + total + " bad=" + bad);
%>
P

# One BinaryRead of the whole body: the array grows past its first size.
page whole.asp <<'P'
<%@ ENABLESESSIONSTATE=False %><%
var a = new VBArray(Request.BinaryRead(Request.TotalBytes));
Response.Write((a.ubound() + 1) + " " + a.getItem(0) + " " + a.getItem(a.ubound()) + " " + a.getItem(1500000));
%>
P

page upload.asp <<'P'
<%@ ENABLESESSIONSTATE=False %><%
var up = Server.CreateObject("VANT.FileUpload");
up.DefaultPath = Server.MapPath("/up");
try {
  var f = up.Form("file1");
  Response.Write("saved " + f.FileName + " " + f.FileLen);
} catch (e) {
  Response.Write("refused: " + e.source);
}
%>
P
mkdir -p "$SITE/up"

start_host --max-body 2000000000
hwm_kb() { awk '/^VmHWM:/ {print $2}' "/proc/$HOST_PID/status"; }

head -c 3000001 /dev/zero | tr '\0' 'a' | sed 's/^a/b/; s/a$/c/' >"$WORK/whole.bin"
body=$(curl -s --data-binary @"$WORK/whole.bin" -H 'Content-Type: application/octet-stream' "$BASE/whole.asp")
expect_eq "one BinaryRead of a 3 MB body returns it whole" "$body" "3000001 98 99 97"

# A small body first, so threads and buffers exist before the peak is taken.
body=$(printf '%s' "${LINE:0:10}" | curl -s --data-binary @- -H 'Content-Type: application/octet-stream' \
  "$BASE/drain.asp?p=line")
expect_eq "a small body is drained" "$body" "bytes=10 total=10 bad=-1"
before=$(hwm_kb)

# Content-Length: the same GiB of zeros streamed from a sparse file (curl
# keeps --data-binary bodies in memory and refuses one this large).
truncate -s "$GIB" "$WORK/zero.bin"
body=$(curl -s --max-time 120 -X POST -H 'Expect:' -H 'Content-Type: application/octet-stream' \
  -T "$WORK/zero.bin" "$BASE/drain.asp?p=zero")
rm -f "$WORK/zero.bin"
expect_eq "1 GiB Content-Length body drained whole" "$body" "bytes=$GIB total=$GIB bad=-1"
after=$(hwm_kb)
expect_eq "peak memory flat over a 1 GiB Content-Length body" \
  "$([ $((after - before)) -lt $MAX_GROWTH_KB ] && echo flat || echo "grew $((after - before)) kB")" "flat"

# Chunked: curl streams stdin with Transfer-Encoding: chunked; nothing on
# either side holds the body.
body=$(yes "$LINE" | head -c "$GIB" | curl -s --max-time 120 -X POST -H 'Expect:' \
  -H 'Content-Type: application/octet-stream' -T - "$BASE/drain.asp?p=line")
expect_eq "1 GiB chunked body drained whole, in order" "$body" "bytes=$GIB total=0 bad=-1"
after=$(hwm_kb)
expect_eq "peak memory flat over a 1 GiB chunked body" \
  "$([ $((after - before)) -lt $MAX_GROWTH_KB ] && echo flat || echo "grew $((after - before)) kB")" "flat"

# An upload needs the body's length before it reads a byte (the TotalLen
# check, progress, chunk accounting): a chunked one is refused with the
# no-body message (0x40020016) and no temporary file is left.
head -c 100000 /dev/urandom >"$WORK/a.bin"
body=$(curl -s --max-time 30 -H 'Transfer-Encoding: chunked' -F "file1=@$WORK/a.bin" "$BASE/upload.asp")
expect_has "chunked upload refused as a body without length" "$body" "refused: The request has no body"
expect_eq "no temporary file after the refusal" "$(ls -A "$SITE/up")" ""
body=$(curl -s --max-time 30 -F "file1=@$WORK/a.bin" "$BASE/upload.asp")
expect_eq "the same upload with a Content-Length is read" "$body" "saved a.bin 100000"

finish
