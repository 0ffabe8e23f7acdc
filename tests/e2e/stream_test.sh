#!/usr/bin/env bash
# ADODB.Stream through a real vant-host: a download sent with
# Response.BinaryWrite(stream.Read(n)) compared byte for byte, a request
# body saved with SaveToFile, text in a charset with its byte-order mark,
# and the errors pages test for.
. "$(dirname "$0")/lib.sh"

mkdir -p "$SITE/files" "$SITE/up"
head -c 300013 /dev/urandom >"$SITE/files/data.bin"
: >"$SITE/files/empty.bin"

# No text after the closing %>: it would follow the file's bytes.
printf '%s' '<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><%
Response.Buffer = false;
var s = Server.CreateObject("ADODB.Stream");
s.Type = 1;
s.Open();
try {
  s.LoadFromFile(Server.MapPath("/files/" + Request.QueryString("f")));
  Response.ContentType = "application/octet-stream";
  while (!s.EOS) Response.BinaryWrite(s.Read(65536));
} catch (e) {
  Response.Write("ERR " + e.number + " " + e.description);
}
s.Close();
%>' >"$SITE/dl.asp"

page save.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %><%
var s = Server.CreateObject("ADODB.Stream");
s.Type = 1; s.Open();
s.Write(Request.BinaryRead(Request.TotalBytes));
try {
  s.SaveToFile(Server.MapPath("/up/body.bin"), Number(Request.QueryString("mode")));
  Response.Write("saved " + s.Size);
} catch (e) {
  Response.Write("ERR " + e.number + " " + e.description);
}
%>
P

page text.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %><%
function out(name, value) { Response.Write(name + "=" + value + "\n"); }
var s = Server.CreateObject("ADODB.Stream");
s.Charset = "utf-8"; s.Open();
s.WriteText("h\u00e9llo", 1); s.WriteText("second");
out("size", s.Size);
s.SaveToFile(Server.MapPath("/up/text.txt"), 2);
s.Position = 0;
out("lines", s.ReadText(-2) + "|" + s.ReadText(-2) + "|" + s.EOS);
s.Position = 0; s.Type = 1; s.Position = 3;
var b = Server.CreateObject("ADODB.Stream");
b.Type = 1; b.Open(); s.CopyTo(b);
b.Position = 0; b.Type = 2; b.Charset = "iso-8859-1";
out("copied", b.Size + "," + b.ReadText(2));
try { b.Read(1); } catch (e) { out("read-text", e.number + " " + e.description); }
try { s.SaveToFile(Server.MapPath("/up/text.txt")); } catch (e) { out("exists", e.number + " " + e.description); }
var l = Server.CreateObject("ADODB.Stream");
l.Open();
l.LoadFromFile(Server.MapPath("/up/text.txt"));
l.Charset = "utf-8";
out("loaded", l.ReadText());
s.Close();
try { s.Size; } catch (e) { out("closed", e.number); }
%>
P

start_host
for f in data.bin empty.bin; do
  curl -sS -o "$WORK/got.$f" -w '%{http_code}' "$BASE/dl.asp?f=$f" >"$WORK/code"
  expect_eq "download of $f: status" "$(cat "$WORK/code")" 200
  expect_eq "download of $f: same bytes" "$(cmp "$WORK/got.$f" "$SITE/files/$f" 2>&1)" ""
done
expect_eq "download of a missing file" "$(curl -sS "$BASE/dl.asp?f=none.bin")" \
  "ERR -2146825286 File could not be opened."

expect_eq "request body saved" "$(curl -sS --data-binary @"$SITE/files/data.bin" "$BASE/save.asp?mode=1")" \
  "saved 300013"
expect_eq "saved body: same bytes" "$(cmp "$SITE/up/body.bin" "$SITE/files/data.bin" 2>&1)" ""
expect_eq "adSaveCreateNotExist onto an existing file" \
  "$(curl -sS --data-binary "other" "$BASE/save.asp?mode=1")" "ERR -2146825284 Write to file failed."
expect_eq "the existing file is untouched" "$(cmp "$SITE/up/body.bin" "$SITE/files/data.bin" 2>&1)" ""
expect_eq "adSaveCreateOverWrite replaces it" \
  "$(curl -sS --data-binary "other" "$BASE/save.asp?mode=2")$(cat "$SITE/up/body.bin")" "saved 5other"
expect_eq "no temporary file left beside the target" "$(ls "$SITE/up")" "body.bin"

got=$(curl -sS "$BASE/text.asp")
line() { grep "^$1=" <<<"$got" | cut -d= -f2-; }
expect_eq "UTF-8 text with its mark: size" "$(line size)" 17
expect_eq "saved UTF-8 text: bytes" "$(od -An -tx1 "$SITE/up/text.txt" | tr -d ' \n')" \
  "efbbbf68c3a96c6c6f0d0a7365636f6e64"
expect_eq "ReadText by lines steps over the mark" "$(line lines)" "héllo|second|true"
expect_eq "CopyTo from after the mark, read as Latin-1" "$(line copied)" "14,hÃ"
expect_eq "Read on a text stream" "$(line read-text)" "-2146825069 Operation is not allowed in this context."
expect_eq "SaveToFile defaults to adSaveCreateNotExist" "$(line exists)" \
  "-2146825284 Write to file failed."
expect_eq "LoadFromFile then ReadText in UTF-8" "$(line loaded)" "héllo"$'\r'
expect_eq "a closed stream" "$(line closed)" "-2146824584"
finish
