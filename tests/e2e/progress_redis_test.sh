#!/usr/bin/env bash
# Two hosts on one Redis: upload progress written by one host is read on the
# other, ids are unique across both, a cache removal on one empties the
# other's entry; Redis stopped mid-upload and a host killed mid-upload.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/redis_lib.sh"

mkdir -p "$SITE/uploads" "$SITE/files"
page issue.asp <<'P'
<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><%= Server.CreateObject("VANT.Progress").GetProgressID() %>
P
page up.asp <<'P'
<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><%
var up = Server.CreateObject("VANT.FileUpload");
up.DefaultPath = Server.MapPath("/uploads");
up.SetProgress(Number(Request.QueryString("pid")));
var f = up.Form("f");
f.Save("", true);
Response.Write("saved=" + f.FileLen);
%>
P
page owner.asp <<'P'
<%@ LANGUAGE=JScript %><% Server.CreateObject("VANT.FileUploadMonitor").UseMonitor(true); %>ok
P
page progress.asp <<'P'
<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><%
var p = Server.CreateObject("VANT.Progress");
p.SetProgressID(Number(Request.QueryString("id")));
Response.Write("pct=" + p.Percent + " total=" + p.TotalSize + " working=" + p.Working +
               " name=" + p.FileName);
%>
P
page cache.asp <<'P'
<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><%
var m = Server.CreateObject("VANT.Manager"), op = String(Request.QueryString("op"));
if (op == "add") m.AddCacheFile("/files/a.bin");
if (op == "remove") m.RemoveCacheFile("/files/a.bin");
for (var e = new Enumerator(m); !e.atEnd(); e.moveNext()) Response.Write(e.item() + ";");
%>
P
head -c 3000000 /dev/urandom >"$WORK/big.bin"
head -c 1000 /dev/urandom >"$SITE/files/a.bin"

start_redis
# Host A through lib.sh; host B beside it, on its own port and data folder.
start_host --state "$REDIS_URL" --progress-lease 2
A=$BASE
B_PID=""
start_b() {
  "$BUILD/vant-host" --site "$SITE" --listen 127.0.0.1:0 --registry "$VANT_REGISTRY" \
    --data "$WORK/data-b" --state "$REDIS_URL" --progress-lease 2 \
    >"$WORK/b.out" 2>"$WORK/b.err" &
  B_PID=$!
  B=$(host_address "$WORK/b.out")
  [ -n "$B" ] || { echo "host B did not start:"; cat "$WORK/b.err"; exit 1; }
}
start_b
trap '[ -n "$B_PID" ] && kill "$B_PID" 2>/dev/null; redis_cleanup' EXIT

progress() { curl -s "$B/progress.asp?id=$1"; }
# upload ID [OUT]: a 3 MB file through host A at 600 KB/s, in the background.
upload() {
  curl -s --limit-rate 600k -F "f=@$WORK/big.bin" "$A/up.asp?pid=$1" >"$WORK/${2:-up}.out" &
  UPLOAD=$!
}

ids=$(for _ in 1 2 3; do curl -s "$A/issue.asp"; echo; curl -s "$B/issue.asp"; echo; done)
expect_eq "six ids from two hosts are six different ids" "$(sort -u <<<"$ids" | grep -c '^[0-9]')" 6

# Progress of an upload through A, polled on B until it is released.
id=$(curl -s "$B/issue.asp")
upload "$id"
rising=""
ended=no
for _ in $(seq 1 200); do
  got=$(progress "$id")
  pct=$(sed -n 's/^pct=\([0-9]*\) .*/\1/p' <<<"$got")
  [ -n "$pct" ] && [ "$pct" -gt 0 ] && [[ " $rising " != *" $pct "* ]] && rising="$rising $pct"
  if [[ $got == *working=false* ]]; then ended=yes; break; fi
  sleep 0.1
done
wait "$UPLOAD"
expect_has "the upload through A is saved" "$(cat "$WORK/up.out")" "saved=3000000"
expect_eq "B reads rising percentages" "$(tr ' ' '\n' <<<"$rising" | grep -c . | awk '$1 >= 3 { print "yes" }')" yes
expect_eq "the percentages only rise" "$(tr ' ' '\n' <<<"$rising" | grep . | sort -n -c 2>&1 && echo sorted)" sorted
expect_eq "B reads the released upload as no longer working" "$ended" yes

# The cache: a removal on A empties B's entry, and A's own at once.
curl -s "$A/cache.asp?op=add" >/dev/null
expect_has "B caches the file" "$(curl -s "$B/cache.asp?op=add")" "A.BIN;"
curl -s "$A/cache.asp?op=remove" >/dev/null
for _ in $(seq 1 30); do
  [[ $(curl -s "$B/cache.asp") != *A.BIN* ]] && break
  sleep 0.1
done
expect_lacks "A's removal empties B's entry" "$(curl -s "$B/cache.asp")" "A.BIN"

# A session's upload through A is read through B by that session only.
jar=$WORK/owner.jar
curl -s -c "$jar" "$A/owner.asp" >/dev/null
id=$(awk '$6 == "VANTUpload" { sub("ProgressID=", "", $7); print $7 }' "$jar")
curl -s -b "$jar" --limit-rate 600k -F "f=@$WORK/big.bin" "$A/up.asp?pid=$id" >/dev/null &
UPLOAD=$!
sleep 1
expect_has "the session reads its upload through B" "$(curl -s -b "$jar" "$B/progress.asp?id=$id")" "name=big.bin"
expect_has "a client without it reads no upload through B" "$(progress "$id")|" "total=0 working=true name=|"
wait "$UPLOAD"

# Redis stopped mid-upload: the upload is saved whole, progress reads as no
# upload, and both hosts work again once Redis is back.
id=$(curl -s "$B/issue.asp")
upload "$id"
sleep 1
expect_has "before the stop B reads the upload" "$(progress "$id")" "name=big.bin"
stop_redis
expect_has "without Redis B reads no upload" "$(progress "$id")|" "total=0 working=true name=|"
wait "$UPLOAD"
expect_has "without Redis the upload is saved" "$(cat "$WORK/up.out")" "saved=3000000"
expect_eq "the saved file is byte-exact" "$(cmp "$WORK/big.bin" "$SITE/uploads/big.bin" && echo same)" same
restart_redis
sleep 1.5
id=$(curl -s "$B/issue.asp")
upload "$id"
sleep 1.5
expect_has "after Redis returns B reads a new upload" "$(progress "$id")" "name=big.bin"
wait "$UPLOAD"

# Host A killed mid-upload: its record expires after the lease; B goes on.
id=$(curl -s "$B/issue.asp")
upload "$id" killed
sleep 1
expect_has "B reads the upload before A dies" "$(progress "$id")" "name=big.bin"
{ kill -9 "$HOST_PID" && wait "$HOST_PID"; } 2>/dev/null
HOST_PID=""
for _ in $(seq 1 60); do
  [ "$(rcli EXISTS "vant:progress:$id")" = 0 ] && break
  sleep 0.1
done
expect_eq "the dead host's record expires" "$(rcli EXISTS "vant:progress:$id")" 0
expect_has "B then reads no upload" "$(progress "$id")|" "total=0 working=true name=|"
expect_has "B goes on issuing ids" "$(curl -s "$B/issue.asp")" "$((id + 1))"
finish
