#!/usr/bin/env bash
# Downloads through a real vant-host: whole files, attachment headers, byte
# ranges and resume, errors, and BLOB round trips through SQLite.
. "$(dirname "$0")/lib.sh"

mkdir -p "$SITE/files" "$SITE/db"

page dl.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %><%
var dl = Server.CreateObject("VANT.FileDownload");
var name = String(Request.QueryString("f"));
try {
  dl.Download(Server.MapPath("/files/" + name), name,
              Request.QueryString("attach").Count > 0, Request.QueryString("resume").Count > 0);
} catch (e) {
  Response.Write("ERR " + e.source);
}
%>
P
# Stores a file of /files in a new row and answers the row id.
page blobput.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %><%
var conn = Server.CreateObject("ADODB.Connection");
conn.Open("Provider=SQLite;Data Source=" + Server.MapPath("/db/blobs.db"));
conn.Execute("CREATE TABLE IF NOT EXISTS files (id INTEGER PRIMARY KEY, name TEXT, body BLOB)");
var rs = Server.CreateObject("ADODB.Recordset");
rs.Open("SELECT id, name, body FROM files WHERE 0", conn, 1, 3);
rs.AddNew();
rs("name") = String(Request.QueryString("f"));
var bm = Server.CreateObject("VANT.BLOBManager");
try {
  bm.SaveFileAsBlob(Server.MapPath("/files/" + Request.QueryString("f")), rs("body"));
  rs.Update();
  Response.Write(conn.Execute("SELECT max(id) FROM files")(0).Value);
} catch (e) {
  Response.Write("ERR " + e.source);
}
rs.Close(); conn.Close();
%>
P
page blobget.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %><%
var conn = Server.CreateObject("ADODB.Connection");
conn.Open("Provider=SQLite;Data Source=" + Server.MapPath("/db/blobs.db"));
var rs = Server.CreateObject("ADODB.Recordset");
rs.Open("SELECT name, body FROM files WHERE id = " + Number(Request.QueryString("id")), conn, 1, 1);
var dl = Server.CreateObject("VANT.FileDownload");
try { dl.DownloadBlob(rs("body"), String(rs("name").Value), true); }
catch (e) { Response.Write("ERR " + e.source); }
rs.Close(); conn.Close();
%>
P

# Stores the uploaded file "file" in a new row with FormElement.SaveAsBlob
# and answers the row id.
page upblob.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %><%
var conn = Server.CreateObject("ADODB.Connection");
conn.Open("Provider=SQLite;Data Source=" + Server.MapPath("/db/blobs.db"));
conn.Execute("CREATE TABLE IF NOT EXISTS files (id INTEGER PRIMARY KEY, name TEXT, body BLOB)");
var up = Server.CreateObject("VANT.FileUpload");
try {
  up.DefaultPath = Server.MapPath("/db");
  var el = up.Form("file");
  var rs = Server.CreateObject("ADODB.Recordset");
  rs.Open("SELECT id, name, body FROM files WHERE 0", conn, 1, 3);
  rs.AddNew();
  rs("name") = String(el.FileName);
  el.SaveAsBlob(rs("body"));
  rs.Update();
  rs.Close();
  Response.Write(conn.Execute("SELECT max(id) FROM files")(0).Value);
} catch (e) {
  Response.Write("ERR " + e.source);
}
conn.Close();
%>
P
start_host

head -c 1000000 /dev/urandom >"$SITE/files/big.bin"
printf 'hello, download\n' >"$SITE/files/hello.txt"
D=$WORK/got
mkdir -p "$D"

# Whole file, inline.
hdr=$(curl -s -D - -o "$D/big.bin" "$BASE/dl.asp?f=big.bin")
cmp -s "$SITE/files/big.bin" "$D/big.bin"; expect_eq "whole download byte-identical" "$?" "0"
expect_has "inline disposition" "$hdr" 'Content-Disposition: inline; filename="big.bin"'
expect_has "binary content type" "$hdr" "Content-Type: application/octet-stream"
expect_has "content length announced" "$hdr" "Content-Length: 1000000"

# Attachment.
hdr=$(curl -s -D - -o "$D/hello.txt" "$BASE/dl.asp?f=hello.txt&attach=1")
expect_has "attachment disposition" "$hdr" 'Content-Disposition: attachment; filename="hello.txt"'
cmp -s "$SITE/files/hello.txt" "$D/hello.txt"; expect_eq "attachment body byte-identical" "$?" "0"

# Resume on: validators and a range.
hdr=$(curl -s -D - -o /dev/null "$BASE/dl.asp?f=big.bin&resume=1")
expect_has "resume announces byte ranges" "$hdr" "Accept-Ranges: bytes"
expect_has "resume sends an ETag" "$hdr" "ETag:"
expect_has "resume sends Last-Modified" "$hdr" "Last-Modified:"

curl -s -D "$D/range.hdr" -o "$D/range.bin" -H "Range: bytes=100-" "$BASE/dl.asp?f=big.bin&resume=1"
hdr=$(cat "$D/range.hdr")
expect_has "range answered 206" "$hdr" " 206"
expect_has "Content-Range of the tail" "$hdr" "Content-Range: bytes 100-999999/1000000"
expect_has "Content-Length of the tail" "$hdr" "Content-Length: 999900"
cmp -s <(tail -c +101 "$SITE/files/big.bin") "$D/range.bin"; expect_eq "range body is the tail" "$?" "0"

code=$(curl -s -D "$D/416.hdr" -o "$D/416.bin" -w '%{http_code}' -H "Range: bytes=1000000-" "$BASE/dl.asp?f=big.bin&resume=1")
expect_eq "start at the end answered 416" "$code" "416"
expect_has "416 names the length" "$(cat "$D/416.hdr")" "Content-Range: bytes */1000000"
expect_eq "416 has no body" "$(stat -c %s "$D/416.bin")" "0"
code=$(curl -s -o /dev/null -w '%{http_code}' -H "Range: bytes=5000000-" "$BASE/dl.asp?f=big.bin&resume=1")
expect_eq "start past the end answered 416" "$code" "416"

code=$(curl -s -o "$D/norange.bin" -w '%{http_code}' -H "Range: bytes=100-" "$BASE/dl.asp?f=big.bin")
expect_eq "range ignored with resume off" "$code" "200"
cmp -s "$SITE/files/big.bin" "$D/norange.bin"; expect_eq "resume off sends the whole file" "$?" "0"

# A 200 MB download cut off for real (a slow client killed by timeout), then
# resumed: curl -C - and wget -c each ask for the tail from the size of the
# part they hold, and the joined file must be the original byte for byte.
HUGE=$((200 * 1024 * 1024))
head -c "$HUGE" /dev/urandom >"$SITE/files/huge.bin"
timeout 2 curl -s --limit-rate 2M -o "$D/part.bin" "$BASE/dl.asp?f=huge.bin&resume=1"
part=$(stat -c %s "$D/part.bin" 2>/dev/null || echo 0)
expect_eq "curl's first attempt was cut short" "$([ "$part" -gt 0 ] && [ "$part" -lt "$HUGE" ] && echo yes || echo "$part bytes")" "yes"
code=$(curl -s -C - -o "$D/part.bin" -w '%{http_code}' "$BASE/dl.asp?f=huge.bin&resume=1")
expect_eq "curl -C - answered 206" "$code" "206"
cmp -s "$SITE/files/huge.bin" "$D/part.bin"; expect_eq "curl -C - resumed 200 MB byte-identical" "$?" "0"
rm -f "$D/part.bin"

timeout 2 wget -q --limit-rate=2m -O "$D/wget.bin" "$BASE/dl.asp?f=huge.bin&resume=1"
part=$(stat -c %s "$D/wget.bin" 2>/dev/null || echo 0)
expect_eq "wget's first attempt was cut short" "$([ "$part" -gt 0 ] && [ "$part" -lt "$HUGE" ] && echo yes || echo "$part bytes")" "yes"
wget -q -c -O "$D/wget.bin" "$BASE/dl.asp?f=huge.bin&resume=1"
cmp -s "$SITE/files/huge.bin" "$D/wget.bin"; expect_eq "wget -c resumed 200 MB byte-identical" "$?" "0"
rm -f "$D/wget.bin" "$SITE/files/huge.bin"

# Missing file.
body=$(curl -s "$BASE/dl.asp?f=missing.bin")
expect_has "missing file reported to the page" "$body" "ERR "
expect_has "missing file message names it" "$body" "missing.bin"

# BLOB round trips through SQLite at chunk boundaries.
for size in 0 65535 65536 196708; do
  head -c "$size" /dev/urandom >"$SITE/files/blob$size.bin"
  id=$(curl -s "$BASE/blobput.asp?f=blob$size.bin")
  expect_eq "BLOB of $size bytes stored" "$([[ "$id" =~ ^[0-9]+$ ]] && echo stored || echo "$id")" "stored"
  hdr=$(curl -s -D - -o "$D/blob$size.bin" "$BASE/blobget.asp?id=$id")
  expect_has "BLOB of $size bytes announced length" "$hdr" "Content-Length: $size"
  expect_has "BLOB of $size bytes as attachment" "$hdr" "attachment; filename=\"blob$size.bin\""
  cmp -s "$SITE/files/blob$size.bin" "$D/blob$size.bin"; expect_eq "BLOB of $size bytes round trip byte-identical" "$?" "0"
done

# The sample site's database download (site/db/get.asp) resumes: a field
# stored through the sample's own db.inc, cut off for real and resumed by
# curl -C -, asked for a tail, for a start past its end, and for a range
# with If-Range (which a BLOB cannot match, so the whole field comes).
mkdir -p "$SITE/sample/db"
cp "$SOURCE/site/db/get.asp" "$SOURCE/site/db/db.inc" "$SITE/sample/db/"
page sample/db/put.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %><!-- #include file="db.inc" --><%
var conn = OpenSiteDb();
var path = Server.MapPath("/files/" + Request.QueryString("f"));
var rs = NewFileRow(conn, String(Request.QueryString("f")), "application/octet-stream", 0);
Server.CreateObject("VANT.BLOBManager").SaveFileAsBlob(path, rs("body"));
rs.Update();
Response.Write(conn.Execute("SELECT max(id) FROM files")(0).Value);
rs.Close(); conn.Close();
%>
P
SAMPLE_BLOB=$((20 * 1024 * 1024))
head -c "$SAMPLE_BLOB" /dev/urandom >"$SITE/files/sample.bin"
id=$(curl -s "$BASE/sample/db/put.asp?f=sample.bin")
get="$BASE/sample/db/get.asp?id=$id"
timeout 2 curl -s --limit-rate 2M -o "$D/sample.part" "$get"
part=$(stat -c %s "$D/sample.part" 2>/dev/null || echo 0)
expect_eq "sample BLOB: the first attempt was cut short" \
  "$([ "$part" -gt 0 ] && [ "$part" -lt "$SAMPLE_BLOB" ] && echo yes || echo "$part bytes")" "yes"
code=$(curl -s -C - -o "$D/sample.part" -w '%{http_code}' "$get")
expect_eq "sample BLOB: curl -C - answered 206" "$code" "206"
cmp -s "$SITE/files/sample.bin" "$D/sample.part"
expect_eq "sample BLOB: resumed byte-identical" "$?" "0"
hdr=$(curl -s -D - -o "$D/sample.tail" -H "Range: bytes=1000-" "$get")
expect_has "sample BLOB: a range is answered 206" "$hdr" " 206"
expect_has "sample BLOB: Content-Range of the tail" "$hdr" "Content-Range: bytes 1000-$((SAMPLE_BLOB - 1))/$SAMPLE_BLOB"
cmp -s <(tail -c +1001 "$SITE/files/sample.bin") "$D/sample.tail"
expect_eq "sample BLOB: the range body is the tail" "$?" "0"
code=$(curl -s -o /dev/null -w '%{http_code}' -H "Range: bytes=$SAMPLE_BLOB-" "$get")
expect_eq "sample BLOB: a start at the end answered 416" "$code" "416"
code=$(curl -s -o "$D/sample.whole" -w '%{http_code}' -H "Range: bytes=1000-" -H 'If-Range: "x"' "$get")
expect_eq "sample BLOB: a range with If-Range gets the whole field" "$code" "200"
cmp -s "$SITE/files/sample.bin" "$D/sample.whole"
expect_eq "sample BLOB: the whole field after If-Range" "$?" "0"
rm -f "$D"/sample.* "$SITE/files/sample.bin"

# A 100 MB upload stored in SQLite by one page and sent back by another,
# streamed both ways: the host's peak RSS must not grow with the file.
hwm() { awk '/^VmHWM:/ {print $2}' "/proc/$HOST_PID/status"; }
BIG_BLOB=$((100 * 1024 * 1024))
head -c "$BIG_BLOB" /dev/urandom >"$D/upload.bin"
before=$(hwm)
id=$(curl -s -F "file=@$D/upload.bin;filename=upload.bin" "$BASE/upblob.asp")
expect_eq "100 MB upload stored with SaveAsBlob" "$([[ "$id" =~ ^[0-9]+$ ]] && echo stored || echo "$id")" "stored"
hdr=$(curl -s -D - -o "$D/blob-back.bin" "$BASE/blobget.asp?id=$id")
expect_has "100 MB BLOB announced length" "$hdr" "Content-Length: $BIG_BLOB"
cmp -s "$D/upload.bin" "$D/blob-back.bin"; expect_eq "100 MB BLOB round trip byte-identical" "$?" "0"
growth=$(( ($(hwm) - before) / 1024 ))
expect_eq "peak RSS grew by under 32 MB for a 100 MB BLOB" "$([ "$growth" -lt 32 ] && echo flat || echo "$growth MB")" "flat"
expect_eq "no upload temporary file left" "$(ls "$SITE/db" | grep -v '^blobs\.db' | tr '\n' ' ')" ""
rm -f "$D/upload.bin" "$D/blob-back.bin"

finish
