#!/usr/bin/env bash
# Every object a page creates is released when the page ends, on every path:
# a FileUpload that parsed a file but never saved it deletes its temporary
# file on release, so an empty upload folder proves the release ran. Also:
# unbuffered output reaches the client while the page still runs.
. "$(dirname "$0")/lib.sh"

mkdir -p "$SITE/up"
parse='var up = Server.CreateObject("VANT.FileUpload");
   up.DefaultPath = Server.MapPath("/up"); var name = up.Form("f").FileName;'
page normal.asp <<P
<% $parse Response.Write("parsed " + name); %>
P
page end.asp <<P
<% $parse Response.End(); %>
P
page error.asp <<P
<% $parse throw new Error("page failed on purpose"); %>
P
page timeout.asp <<P
<% $parse Server.ScriptTimeout = 1; while (true) {} %>
P
page stream.asp <<'P'
<% Response.Buffer = false; Response.Write("first|");
   var t = new Date().getTime(); while (new Date().getTime() - t < 1500) {}
   Response.Write("second"); %>
P

start_host
head -c 200000 /dev/urandom >"$WORK/file.bin"

for path in normal end error timeout; do
  curl -s --max-time 20 -F "f=@$WORK/file.bin;filename=a.bin" "$BASE/$path.asp" >"$WORK/out.txt"
  left=$(find "$SITE/up" -name '*.tm#' | wc -l)
  expect_eq "temporary file released after a page that ends by $path" "$left" "0"
done
expect_has "the error path really failed" "$(curl -s -F "f=@$WORK/file.bin" "$BASE/error.asp")" "page failed on purpose"

first=$(curl -s -N -o "$WORK/stream.txt" -w '%{time_starttransfer}' "$BASE/stream.asp")
expect_eq "unbuffered output starts before the page ends" \
  "$(awk -v t="$first" 'BEGIN{print (t < 1.2) ? "early" : "late"}')" "early"
expect_eq "unbuffered output complete" "$(cat "$WORK/stream.txt" | tr -d '\n ')" "first|second"

finish
