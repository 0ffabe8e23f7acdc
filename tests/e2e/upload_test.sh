#!/usr/bin/env bash
# Uploads through a real vant-host: several files and fields, UTF-8 names and
# values, empty file inputs, MaxFileLen and TotalLen, an upload cut off
# mid-body, and progress read from a sessionless page while a slow upload runs.
. "$(dirname "$0")/lib.sh"

mkdir -p "$SITE/uploads"

# Saves every file element into /uploads (overwrite on) and lists the form.
page up.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<%
var up = Server.CreateObject("VANT.FileUpload");
try {
  up.DefaultPath = Server.MapPath("/uploads");
  if (Request.QueryString("max").Count > 0) up.MaxFileLen = Number(Request.QueryString("max"));
  if (Request.QueryString("total").Count > 0) up.TotalLen = Number(Request.QueryString("total"));
  if (Request.QueryString("pid").Count > 0) up.SetProgress(Number(Request.QueryString("pid")));
  Response.Write("parsing\n");
  var names = new Enumerator(up.Form);
  Response.Write("names=" + up.Form.Count + "\n");
  for (; !names.atEnd(); names.moveNext()) {
    var items = new Enumerator(names.item());
    for (; !items.atEnd(); items.moveNext()) {
      var el = items.item();
      if (el.IsFileItem()) {
        var path = el.Save("", true);
        Response.Write("FILE " + el.Name + "|" + el.FileName + "|" + el.FileLen + "|" +
                       (path == "" ? "(not saved)" : el.LastSavedFileName) + "\n");
      } else {
        Response.Write("FIELD " + el.Name + "=" + el.Value + "\n");
      }
    }
  }
  Response.Write("note=" + up.Form("note").Value + "\n");
} catch (e) {
  Response.Write("ERR " + e.source + "\n");
}
%>
P
# Saves with overwrite off: a second upload of the same name gets a new one.
page unique.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<%
var up = Server.CreateObject("VANT.FileUpload");
up.DefaultPath = Server.MapPath("/uploads");
try { up.Form("f").Save("", false); Response.Write("saved=" + up.Form("f").LastSavedFileName); }
catch (e) { Response.Write("ERR " + e.source); }
%>
P
page newid.asp <<'P'
<%@ ENABLESESSIONSTATE=False %><% var p = Server.CreateObject("VANT.Progress"); Response.Write(p.GetProgressID()); %>
P
page progress.asp <<'P'
<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><%
var p = Server.CreateObject("VANT.Progress");
p.SetProgressID(Number(Request.QueryString("id")));
Response.ContentType = "application/json";
Response.Write('{"total":' + p.TotalSize + ',"transfer":' + p.TransferSize + ',"percent":' + p.Percent +
               ',"working":' + (p.Working ? "true" : "false") + '}');
%>
P

start_host

F=$WORK/files
mkdir -p "$F"
printf 'plain text\n' >"$F/a.txt"
head -c 100000 /dev/urandom >"$F/b.bin"
head -c 65536 /dev/urandom >"$F/c.bin"
: >"$F/empty.txt"
clear_uploads() { rm -f "$SITE/uploads/"* "$SITE/uploads/".[!.]* 2>/dev/null; }

# Several files and fields in one form.
body=$(curl -s -F "f1=@$F/a.txt" -F "f2=@$F/b.bin" -F "f2=@$F/c.bin" -F "title=plain" \
  -F "note=日本語 한국어 Ελληνικά" "$BASE/up.asp")
expect_has "four names in the form" "$body" "names=4"
expect_has "text field listed" "$body" "FIELD title=plain"
expect_has "file length reported" "$body" "FILE f1|a.txt|11|a.txt"
expect_has "second file under one name kept" "$body" "FILE f2|c.bin|65536|c.bin"
cmp -s "$F/a.txt" "$SITE/uploads/a.txt"; expect_eq "small text file saved byte-identical" "$?" "0"
cmp -s "$F/b.bin" "$SITE/uploads/b.bin"; expect_eq "100000-byte file saved byte-identical" "$?" "0"
cmp -s "$F/c.bin" "$SITE/uploads/c.bin"; expect_eq "65536-byte file saved byte-identical" "$?" "0"
expect_has "UTF-8 field value decoded" "$body" "note=日本語 한국어 Ελληνικά"
clear_uploads

# Non-ASCII file and field names.
cp "$F/b.bin" "$F/データ.bin"
body=$(curl -s -F "파일=@$F/データ.bin" -F "名前=値" "$BASE/up.asp")
expect_has "UTF-8 file name and field name" "$body" "FILE 파일|データ.bin|100000|データ.bin"
expect_has "UTF-8 field name with value" "$body" "FIELD 名前=値"
cmp -s "$F/b.bin" "$SITE/uploads/データ.bin"; expect_eq "file saved under its UTF-8 name" "$?" "0"
clear_uploads

# An empty file input (no file chosen): listed, nothing saved.
body=$(curl -s -F "f1=@$F/a.txt" -F "none=@$F/empty.txt;filename=" "$BASE/up.asp")
expect_has "empty file input is a file element with no name" "$body" "FILE none||0|(not saved)"
expect_eq "empty file input leaves no file" "$(ls -A "$SITE/uploads" | sort | tr '\n' ' ')" "a.txt "
clear_uploads

# Overwrite off: the second save of a.txt takes a free name.
curl -s -F "f=@$F/a.txt" "$BASE/unique.asp" >/dev/null
body=$(curl -s -F "f=@$F/a.txt" "$BASE/unique.asp" | tr -d '\n')
expect_eq "overwrite off picks a(0).txt" "$body" "saved=a(0).txt"
clear_uploads

# A file larger than MaxFileLen: the message reaches the page.
body=$(curl -s -F "f1=@$F/b.bin" "$BASE/up.asp?max=1000")
expect_has "MaxFileLen message in e.source" "$body" "ERR "
expect_has "MaxFileLen message names the limit" "$body" "1000"
expect_eq "file over MaxFileLen not saved" "$(ls -A "$SITE/uploads" | grep -v '\.tm#$' | wc -l)" "0"

# A body over TotalLen ends the response before any part is read.
code=$(curl -s -o "$WORK/out" -w '%{http_code}' -F "f1=@$F/b.bin" "$BASE/up.asp?total=1000")
body=$(cat "$WORK/out")
expect_has "page ran up to the form access" "$body" "parsing"
expect_lacks "nothing after the form access over TotalLen" "$body" "names="
expect_eq "body over TotalLen saves nothing" "$(ls -A "$SITE/uploads" | wc -l)" "0"
clear_uploads

# An upload cut off mid-body leaves no temporary file behind.
head -c 3000000 /dev/urandom >"$F/big.bin"
curl -s --limit-rate 100k -F "f1=@$F/big.bin" "$BASE/up.asp" >/dev/null &
CURL=$!
sleep 1.5
tmp_during=$(ls -A "$SITE/uploads" | grep -c '\.tm#$')
kill "$CURL" 2>/dev/null; wait "$CURL" 2>/dev/null
expect_eq "a temporary file exists while the upload runs" "$tmp_during" "1"
for _ in 1 2 3 4 5 6; do
  [ "$(ls -A "$SITE/uploads" | wc -l)" -eq 0 ] && break
  sleep 1
done
expect_eq "aborted upload leaves no *.tm# file" "$(ls -A "$SITE/uploads" | grep -c '\.tm#$')" "0"
expect_eq "aborted upload leaves the folder empty" "$(ls -A "$SITE/uploads" | wc -l)" "0"

# Progress from a sessionless page while a slow upload runs.
id=$(curl -s "$BASE/newid.asp")
expect_eq "progress id is a number" "$([[ "$id" =~ ^[0-9]+$ ]] && echo yes || echo "$id")" "yes"
curl -s --limit-rate 500k -F "f1=@$F/big.bin" "$BASE/up.asp?pid=$id" >"$WORK/slow.out" &
CURL=$!
sleep 1.5
p1=$(curl -s --max-time 5 "$BASE/progress.asp?id=$id")
sleep 1.5
p2=$(curl -s --max-time 5 "$BASE/progress.asp?id=$id")
t1=$(echo "$p1" | sed -n 's/.*"transfer":\([0-9]*\).*/\1/p')
t2=$(echo "$p2" | sed -n 's/.*"transfer":\([0-9]*\).*/\1/p')
total=$(echo "$p2" | sed -n 's/.*"total":\([0-9]*\).*/\1/p')
expect_has "progress JSON while uploading" "$p1" '"working":true'
expect_eq "progress total is the body length" "$([ "${total:-0}" -gt 3000000 ] && echo yes || echo "$p2")" "yes"
expect_eq "TransferSize grows" "$([ "${t1:-0}" -gt 0 ] && [ "${t2:-0}" -gt "${t1:-0}" ] && echo yes || echo "$p1 then $p2")" "yes"
expect_eq "TransferSize below the total mid-upload" "$([ "${t2:-0}" -lt "${total:-0}" ] && echo yes || echo "$p2")" "yes"
wait "$CURL"
expect_has "slow upload completes" "$(cat "$WORK/slow.out")" "FILE f1|big.bin|3000000|big.bin"
cmp -s "$F/big.bin" "$SITE/uploads/big.bin"; expect_eq "slow upload saved byte-identical" "$?" "0"

finish
