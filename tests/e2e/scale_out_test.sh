#!/usr/bin/env bash
# Two hosts on one site behind a round-robin nginx, sharing state through a
# Redis and databases through a PostgreSQL of the test's own: progress,
# sessions, Application, BLOBs and file-cache removals reach every host, and
# each keeps working when Redis, PostgreSQL or the other host goes away.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/postgres_lib.sh"
. "$(dirname "$0")/redis_lib.sh"
. "$(dirname "$0")/balancer_lib.sh"
# Each library's exit handler replaces the one before; stop everything.
trap 'stop_balanced; stop_postgres; rm -rf "$PG_DIR"; redis_cleanup' EXIT
[ -x "$NGINX" ] || { echo "nginx missing: skipped"; echo "0 passed, 0 failed"; exit 0; }

mkdir -p "$SITE/uploads" "$SITE/files"
page issue.asp <<'P'
<%@ LANGUAGE=JScript %><% Server.CreateObject("VANT.FileUploadMonitor").UseMonitor(true); %>ok
P
# Sessionless, so polls and other pages of the browser never wait for it.
page up.asp <<'P'
<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><%
var up = Server.CreateObject("VANT.FileUpload");
up.DefaultPath = Server.MapPath("/uploads");
up.Form("f").Save();
Response.Write("saved");
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
page session.asp <<'P'
<%@ LANGUAGE=JScript %><%
if (Request.QueryString("set").Count > 0) Session("v") = String(Request.QueryString("set"));
Response.Write("v=" + Session("v"));
%>
P
# n increments of Application("hits"), each under its own Lock.
page count.asp <<'P'
<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><%
for (var i = Number(Request.QueryString("n")); i > 0; i--) {
  Application.Lock();
  Application("hits") = (Application("hits") || 0) + 1;
  Application.Unlock();
}
Response.Write(Application("hits"));
%>
P
page cache.asp <<'P'
<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><%
var m = Server.CreateObject("VANT.Manager"), path = Server.MapPath("/files/c.bin");
if (Request.QueryString("op") == "add") m.AddCacheFile(path);
if (Request.QueryString("op") == "remove") m.RemoveCacheFile(path);
var n = 0;
for (var e = new Enumerator(m); !e.atEnd(); e.moveNext()) n++;
Response.Write("cached=" + n);
%>
P
page blobput.asp <<'P'
<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><!-- #include file="pg.inc" --><%
var conn = Server.CreateObject("ADODB.Connection");
conn.Open(PG);
conn.Execute("CREATE TABLE IF NOT EXISTS files (id SERIAL PRIMARY KEY, name TEXT, body BYTEA)");
var up = Server.CreateObject("VANT.FileUpload");
up.DefaultPath = Server.MapPath("/uploads");
var rs = Server.CreateObject("ADODB.Recordset");
rs.Open("SELECT id, name, body FROM files WHERE false", conn, 1, 3);
rs.AddNew();
rs("name") = "blob.bin";
up.Form("f").SaveAsBlob(rs("body"));
rs.Update();
rs.Close();
Response.Write(conn.Execute("SELECT max(id) FROM files")(0).Value);
conn.Close();
%>
P
page blobget.asp <<'P'
<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><!-- #include file="pg.inc" --><%
var conn = Server.CreateObject("ADODB.Connection");
conn.Open(PG);
var rs = Server.CreateObject("ADODB.Recordset");
rs.Open("SELECT name, body FROM files WHERE id = " + Number(Request.QueryString("id")), conn, 0, 1);
Server.CreateObject("VANT.FileDownload").DownloadBlob(rs("body"), String(rs("name").Value), true);
rs.Close();
conn.Close();
%>
P

start_redis
start_postgres
printf '<%% var PG = "%s"; %%>' "$PG_CONN" >"$SITE/pg.inc"
start_hosts 2 --state "$REDIS_URL" --progress-lease 3
start_balancer "${HOST_URLS[@]}"
H1=${HOST_URLS[1]}
H2=${HOST_URLS[2]}
head -c 3000000 /dev/urandom >"$WORK/plans.bin"

# progress_id JAR: the id the form page put in JAR's monitor cookie.
progress_id() { awk '$6 == "VANTUpload" { sub("ProgressID=", "", $7); print $7 }' "$1"; }
# each_host PATH [curl options...]: both hosts' answers to PATH, each
# followed by a space.
each_host() {
  local path=$1
  shift
  printf '%s ' "$(curl -s "$@" "$H1$path")" "$(curl -s "$@" "$H2$path")"
}
# poll_until SECONDS CMD NEEDLE: runs CMD every 0.2 s until its output holds
# NEEDLE; prints the last output.
poll_until() {
  local out
  for _ in $(seq 1 $(($1 * 5))); do
    out=$(eval "$2")
    [[ "$out" == *"$3"* ]] && break
    sleep 0.2
  done
  printf '%s' "$out"
}

# An upload through the balancer while its monitor is polled through it too:
# the polls, answered by both hosts in turn, show the percentage rising, and
# none closes the window (C) before the upload ends.
jar=$WORK/jar
curl -s -c "$jar" -b "$jar" "$BALANCER/issue.asp" >/dev/null
curl -s -b "$jar" --limit-rate 500k -F "f=@$WORK/plans.bin" "$BALANCER/up.asp" >"$WORK/up.out" &
upload=$!
polls=""
while kill -0 "$upload" 2>/dev/null; do
  got=$(curl -s -b "$jar" "$BALANCER/monitor.asp")
  if [[ "$got" == *'top.window.close()'* ]]; then polls+="C "; else
    polls+="$(grep -o '([0-9]*%)' <<<"$got" | tr -dc 0-9) "; fi
  sleep 0.4
done
wait "$upload"
rises=0 last=0
for now in $polls; do
  if [[ "$now" =~ ^[0-9]+$ ]] && [ "$now" -gt "$last" ] && [ "$now" -lt 100 ]; then rises=$((rises + 1)); last=$now; fi
done
expect_eq "monitor through the balancer: the percentage rises" \
  "$([ "$rises" -ge 3 ] && echo yes || echo "$rises rises: $polls")" "yes"
expect_lacks "monitor through the balancer: no poll closes the window early" \
  "$(sed -E 's/(C )+$//' <<<"$polls")" "C"
expect_eq "monitor polls were answered by both hosts" \
  "$(grep 'monitor.asp' "$BALANCER_LOG" | cut -d' ' -f1 | sort -u | wc -l)" "2"
expect_eq "the upload through the balancer is saved byte-exact" \
  "$(cat "$WORK/up.out")$(cmp -s "$WORK/plans.bin" "$SITE/uploads/plans.bin" && echo " same")" "saved same"
expect_has "the monitor closes once the upload ended" \
  "$(poll_until 5 'curl -s -b "$jar" "$BALANCER/monitor.asp"' 'top.window.close()')" 'top.window.close()'

# A session set through the balancer is read on each host.
expect_eq "session: set through the balancer" "$(curl -s -b "$jar" "$BALANCER/session.asp?set=blue")" "v=blue"
expect_eq "session: read on each host" "$(each_host /session.asp -b "$jar")" "v=blue v=blue "

# Application: 20 pages of 50 locked increments, 10 at a time through the
# balancer, so both hosts contend for the lock, count exactly 1,000.
seq 1 20 | xargs -P 10 -I{} curl -s -o /dev/null "$BALANCER/count.asp?n=50"
expect_eq "Application: 1,000 locked increments through both hosts" "$(curl -s "$H1/count.asp?n=0")" "1000"

# File cache: each host caches the file; one removal through the balancer
# empties both.
head -c 100000 /dev/urandom >"$SITE/files/c.bin"
expect_eq "cache: each host holds the file" "$(each_host "/cache.asp?op=add")" "cached=1 cached=1 "
curl -s -o /dev/null "$BALANCER/cache.asp?op=remove"
expect_eq "cache: a removal through the balancer empties both hosts" \
  "$(poll_until 5 'each_host /cache.asp' "cached=0 cached=0 ")" "cached=0 cached=0 "

# A BLOB stored through the balancer comes back byte-exact from each host,
# also after PostgreSQL restarted between two pages.
head -c 5000000 /dev/urandom >"$WORK/blob.bin"
id=$(curl -s -F "f=@$WORK/blob.bin" "$BALANCER/blobput.asp")
expect_eq "BLOB stored in PostgreSQL" "$([[ "$id" =~ ^[0-9]+$ ]] && echo stored || echo "$id")" "stored"
same_blob() {
  for h in "$H1" "$H2"; do
    curl -s -o "$WORK/back.bin" "$h/blobget.asp?id=$id"
    cmp -s "$WORK/blob.bin" "$WORK/back.bin" && echo -n "same "
  done
}
expect_eq "BLOB read back byte-exact on each host" "$(same_blob)" "same same "
restart_postgres
expect_eq "after a PostgreSQL restart both hosts reconnect" "$(same_blob)" "same same "

# Redis stopped mid-upload: the upload is still saved, the monitor reads no
# upload and closes, and both hosts are back once Redis is.
rm -f "$SITE/uploads/plans.bin"
curl -s -c "$jar" -b "$jar" "$BALANCER/issue.asp" >/dev/null
curl -s -b "$jar" --limit-rate 500k -F "f=@$WORK/plans.bin" "$BALANCER/up.asp" >"$WORK/up.out" &
upload=$!
sleep 1.5
stop_redis
expect_has "Redis down: the monitor through the balancer closes" \
  "$(curl -s -b "$jar" "$BALANCER/monitor.asp")" 'top.window.close()'
wait "$upload"
expect_eq "Redis down: the upload is still saved byte-exact" \
  "$(cat "$WORK/up.out")$(cmp -s "$WORK/plans.bin" "$SITE/uploads/plans.bin" && echo " same")" "saved same"
restart_redis
expect_eq "Redis back: both hosts reconnect" \
  "$(poll_until 10 'each_host "/session.asp?set=back"' "v=back v=back ")" "v=back v=back "

# A host killed mid-upload: its progress record expires, and the balancer's
# pages go on on the other host.
rm -f "$SITE/uploads/plans.bin"
curl -s -c "$jar" -b "$jar" "$H2/issue.asp" >/dev/null
pid=$(progress_id "$jar")
curl -s -b "$jar" --limit-rate 200k -F "f=@$WORK/plans.bin" "$H2/up.asp" >/dev/null &
upload=$!
poll_until 5 'curl -s -b "$jar" "$H2/progress.asp?id=$pid"' name=plans.bin >/dev/null
expect_eq "host 2's upload shows on both hosts" \
  "$(each_host "/progress.asp?id=$pid" -b "$jar" | grep -o 'name=plans.bin' | wc -l)" "2"
kill_host 2
wait "$upload"
expect_has "the killed host's progress record expires" \
  "$(poll_until 20 'curl -s -b "$jar" "$BALANCER/progress.asp?id=$pid"' 'total=0 ')" "total=0 "
codes=""
for _ in 1 2 3; do codes+="$(curl -s -o /dev/null -w '%{http_code} ' "$BALANCER/session.asp")"; done
expect_eq "the other host answers every request" "$codes" "200 200 200 "

[ "$FAILED" -eq 0 ] || for n in 1 2; do echo "--- host $n stderr"; tail -20 "$WORK/host$n.err"; done
finish
