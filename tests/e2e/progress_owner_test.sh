#!/usr/bin/env bash
# Upload progress belongs to the session of the upload: while one browser
# uploads, a client of another session, or one without cookies, polling the
# same progress id reads "no upload"; the uploading browser sees its progress.
. "$(dirname "$0")/lib.sh"

mkdir -p "$SITE/uploads"
# The form page: a session, and a progress id in the monitor cookie.
page issue.asp <<'P'
<%@ LANGUAGE=JScript %><% Server.CreateObject("VANT.FileUploadMonitor").UseMonitor(true); %>ok
P
page up.asp <<'P'
<%@ LANGUAGE=JScript %><%
var up = Server.CreateObject("VANT.FileUpload");
up.DefaultPath = Server.MapPath("/uploads");
Response.Write("names=" + up.Form.Count);
%>
P
page progress.asp <<'P'
<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><%
var p = Server.CreateObject("VANT.Progress");
p.SetProgressID(Number(Request.QueryString("id")));
Response.Write("total=" + p.TotalSize + " name=" + p.FileName);
%>
P
page monitor.asp <<'P'
<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><% Server.CreateObject("VANT.FileUploadMonitor").ShowMonitor(); %>
P
start_host

head -c 3000000 /dev/urandom >"$WORK/plans.bin"
owner=$WORK/owner.jar
other=$WORK/other.jar
curl -s -c "$owner" "$BASE/issue.asp" >/dev/null
curl -s -c "$other" "$BASE/issue.asp" >/dev/null
id=$(awk '$6 == "VANTUpload" { sub("ProgressID=", "", $7); print $7 }' "$owner")
other_session=$(awk '$6 ~ /^ASPSESSIONID/ { print $6 "=" $7 }' "$other")
expect_eq "the form page issued a progress id" "$([[ "$id" =~ ^[0-9]+$ ]] && echo yes || echo "$id")" "yes"

curl -s -b "$owner" --limit-rate 600k -F "f=@$WORK/plans.bin" "$BASE/up.asp" >"$WORK/up.out" &
UPLOAD=$!
sleep 1.5
# Each reader: name, curl cookie options, what it must (or must not) see.
while IFS='|' read -r name how want; do
  case $how in
    owner) got=$(curl -s -b "$owner" "$BASE/progress.asp?id=$id") ;;
    other) got=$(curl -s -b "$other" "$BASE/progress.asp?id=$id") ;;
    none) got=$(curl -s "$BASE/progress.asp?id=$id") ;;
    forged) got=$(curl -s -b "VANTUpload=ProgressID=$id; ASPSESSIONIDAAAAAAAA=ZZZZ" "$BASE/progress.asp?id=$id") ;;
    owner-monitor) got=$(curl -s -b "$owner" "$BASE/monitor.asp") ;;
    other-monitor) got=$(curl -s -b "$other_session; VANTUpload=ProgressID=$id" "$BASE/monitor.asp") ;;
    none-monitor) got=$(curl -s -b "VANTUpload=ProgressID=$id" "$BASE/monitor.asp") ;;
  esac
  if [[ $want == !* ]]; then expect_lacks "$name" "$got" "${want:1}"; else expect_has "$name" "$got" "$want"; fi
done <<'T'
the owner reads its upload|owner|name=plans.bin
the owner reads the body length|owner|total=30
another session reads no upload|other|total=0 name=
a client without cookies reads no upload|none|total=0 name=
a forged session cookie reads no upload|forged|total=0 name=
the owner's monitor keeps polling|owner-monitor|bgcolor=#d4d0c8 topmargin=0
the owner's monitor shows the sizes|owner-monitor|M / 2.9M
another session's monitor closes|other-monitor|top.window.close()
another session's monitor shows no sizes|other-monitor|!M / 2.9M
a cookie-less monitor closes|none-monitor|top.window.close()
T
wait "$UPLOAD"
expect_has "the upload completes" "$(cat "$WORK/up.out")" "names=1"
finish
