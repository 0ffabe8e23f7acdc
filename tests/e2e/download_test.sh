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

# Interrupted download, then curl -C - resumes it.
head -c 20000000 /dev/urandom >"$SITE/files/huge.bin"
curl -s --limit-rate 500k --max-time 1 -o "$D/part.bin" "$BASE/dl.asp?f=huge.bin&resume=1"
part=$(stat -c %s "$D/part.bin" 2>/dev/null || echo 0)
expect_eq "first attempt was cut short" "$([ "$part" -gt 0 ] && [ "$part" -lt 20000000 ] && echo yes || echo "$part bytes")" "yes"
code=$(curl -s -C - -o "$D/part.bin" -w '%{http_code}' "$BASE/dl.asp?f=huge.bin&resume=1")
expect_eq "resume request answered 206" "$code" "206"
cmp -s "$SITE/files/huge.bin" "$D/part.bin"; expect_eq "resumed download byte-identical" "$?" "0"

# The same with wget -c, which resumes from the size of the file it has.
head -c 3000000 "$SITE/files/huge.bin" >"$D/wget.bin"
wget -q -c -O "$D/wget.bin" "$BASE/dl.asp?f=huge.bin&resume=1"
cmp -s "$SITE/files/huge.bin" "$D/wget.bin"; expect_eq "wget -c resumes byte-identical" "$?" "0"

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
  expect_has "BLOB of $size bytes as attachment" "$hdr" "attachment; filename=blob$size.bin"
  cmp -s "$SITE/files/blob$size.bin" "$D/blob$size.bin"; expect_eq "BLOB of $size bytes round trip byte-identical" "$?" "0"
done

finish
