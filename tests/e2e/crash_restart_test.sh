#!/usr/bin/env bash
# vant-host killed with SIGKILL while several large uploads are mid-body,
# then restarted on the same site and data folder: it serves pages, uploads
# and progress again, and exactly the crash's temporary files are left for
# the operator (docs/operations.md).
. "$(dirname "$0")/lib.sh"

mkdir -p "$SITE/uploads"
page up.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %><%
var up = Server.CreateObject("VANT.FileUpload");
try {
  up.DefaultPath = Server.MapPath("/uploads");
  if (Request.QueryString("pid").Count > 0) up.SetProgress(Number(Request.QueryString("pid")));
  var f = up.Form("f");
  f.Save("", true);
  Response.Write("SAVED " + f.LastSavedFileName + " " + f.FileLen);
} catch (e) {
  Response.Write("ERR " + e.source);
}
%>
P
page newid.asp <<'P'
<%@ ENABLESESSIONSTATE=False %><% var p = Server.CreateObject("VANT.Progress"); Response.Write(p.GetProgressID()); %>
P
page progress.asp <<'P'
<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><%
var p = Server.CreateObject("VANT.Progress");
p.SetProgressID(Number(Request.QueryString("id")));
Response.Write('{"total":' + p.TotalSize + ',"transfer":' + p.TransferSize +
               ',"working":' + (p.Working ? "true" : "false") + '}');
%>
P
page session.asp <<'P'
<%@ LANGUAGE=JScript %><% Session("n") = (Session("n") || 0) + 1; Response.Write("visit " + Session("n")); %>
P

F=$WORK/files
mkdir -p "$F"
head -c 4000000 /dev/urandom >"$F/big.bin"
head -c 300000 /dev/urandom >"$F/mid.bin"

start_host
expect_eq "session page before the crash" "$(curl -s -c "$WORK/jar" "$BASE/session.asp")" "visit 1"

# Three slow uploads, each well inside its body when the host dies.
pids=()
for i in 1 2 3; do
  curl -s --limit-rate 300k -F "f=@$F/big.bin;filename=big$i.bin" "$BASE/up.asp" >/dev/null &
  pids+=($!)
done
for _ in $(seq 1 50); do
  [ "$(ls -A "$SITE/uploads" | grep -c '\.tm#$')" -eq 3 ] && break
  sleep 0.1
done
sleep 1
expect_eq "three temporary files while the uploads run" \
  "$(ls -A "$SITE/uploads" | grep -c '^KWZ\$[0-9]*\.tm#$')" "3"
kill -KILL "$HOST_PID"
wait "$HOST_PID" 2>/dev/null
HOST_PID=""
for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done

# What the crash leaves: the three temporary files, partly written, and
# nothing else in the upload folder.
left=$(ls -A "$SITE/uploads")
expect_eq "crash leaves the temporary files" "$(echo "$left" | grep -c '^KWZ\$[0-9]*\.tm#$')" "3"
expect_eq "crash leaves nothing else in the upload folder" "$(echo "$left" | grep -vc '\.tm#$')" "0"
sizes_ok=yes
for t in "$SITE/uploads/"*.tm#; do
  s=$(stat -c %s "$t")
  [ "$s" -gt 0 ] && [ "$s" -lt 4000000 ] || sizes_ok="$t: $s bytes"
done
expect_eq "temporary files hold part of a body" "$sizes_ok" "yes"
orphans=$(ls -A "$SITE/uploads" | sort)

start_host
expect_eq "restarted host serves pages" "$(curl -s "$BASE/newid.asp" | grep -c '^[0-9]*$')" "1"
expect_eq "sessions start afresh after the restart" \
  "$(curl -s -b "$WORK/jar" "$BASE/session.asp")" "visit 1"

# A whole upload, with progress polled while it runs.
id=$(curl -s "$BASE/newid.asp")
curl -s --limit-rate 400k -F "f=@$F/big.bin" "$BASE/up.asp?pid=$id" >"$WORK/slow.out" &
CURL=$!
sleep 1.5
p=$(curl -s --max-time 5 "$BASE/progress.asp?id=$id")
wait "$CURL"
expect_has "progress works after the restart" "$p" '"working":true'
expect_eq "upload after the restart completes" "$(cat "$WORK/slow.out")" "SAVED big.bin 4000000"
cmp -s "$F/big.bin" "$SITE/uploads/big.bin"
expect_eq "upload after the restart is whole" "$?" "0"
expect_eq "a second upload too" "$(curl -s -F "f=@$F/mid.bin" "$BASE/up.asp")" "SAVED mid.bin 300000"

# The orphans are still there (no sweep at start) and the documented clean-up
# command finds exactly them and nothing else.
expect_eq "orphans untouched by the restart" \
  "$(ls -A "$SITE/uploads" | grep '\.tm#$' | sort)" "$orphans"
touch -d '2 hours ago' "$SITE/uploads/"*.tm#
found=$(find "$SITE" -name 'KWZ$*.tm#' -type f -mmin +60 | wc -l)
expect_eq "clean-up find matches the three orphans" "$found" "3"
find "$SITE" -name 'KWZ$*.tm#' -type f -mmin +60 -delete
expect_eq "after clean-up only the saved files stay" "$(ls -A "$SITE/uploads" | sort | tr '\n' ' ')" \
  "big.bin mid.bin "

finish
