#!/usr/bin/env bash
# A BLOB round trip through PostgreSQL: a file of SIZE_MB (default 100) MiB
# stored with BLOBManager.SaveFileAsBlob into a bytea column, then sent with
# FileDownload.DownloadBlob. Prints vant-host's RSS growth (peak VmHWM after
# the round trip less VmRSS after a 1 MiB warm-up) and the times; the goal
# is a growth of at most 32 MiB whatever the BLOB's size.
#   VANT_BUILD=build VANT_SOURCE=. bench/postgres/run.sh
set -u
export VANT_BUILD=${VANT_BUILD:-$PWD/build} VANT_SOURCE=${VANT_SOURCE:-$PWD}
. "$VANT_SOURCE/tests/e2e/lib.sh"
. "$VANT_SOURCE/tests/e2e/postgres_lib.sh"
SIZE_MB=${SIZE_MB:-100}

start_postgres
mkdir -p "$SITE/files"
page put.asp <<P
<%@ LANGUAGE=JScript %><%
var conn = Server.CreateObject("ADODB.Connection");
conn.Open("$PG_CONN");
conn.Execute("CREATE TABLE IF NOT EXISTS files (id serial PRIMARY KEY, name text, body bytea)");
var rs = Server.CreateObject("ADODB.Recordset");
rs.Open("SELECT id, name, body FROM files WHERE false", conn, 1, 3);
rs.AddNew();
rs("name") = String(Request.QueryString("f"));
Server.CreateObject("VANT.BLOBManager").SaveFileAsBlob(Server.MapPath("/files/" + Request.QueryString("f")), rs("body"));
rs.Update();
Response.Write(rs("id").Value);
%>
P
page get.asp <<P
<%@ LANGUAGE=JScript %><%
var conn = Server.CreateObject("ADODB.Connection");
conn.Open("$PG_CONN");
var rs = conn.Execute("SELECT name, body FROM files WHERE id = " + Number(Request.QueryString("id")));
Server.CreateObject("VANT.FileDownload").DownloadBlob(rs("body"), String(rs("name").Value), true);
%>
P
head -c 1048576 /dev/urandom >"$SITE/files/warm.bin"
head -c $((SIZE_MB * 1048576)) /dev/urandom >"$SITE/files/big.bin"
start_host
kb() { awk -v key="$1:" '$1 == key {print $2}' "/proc/$HOST_PID/status"; }
id=$(curl -s "$BASE/put.asp?f=warm.bin")
curl -s -o /dev/null "$BASE/get.asp?id=$id"
before=$(kb VmRSS)
start=$(date +%s.%N)
id=$(curl -s "$BASE/put.asp?f=big.bin")
stored=$(date +%s.%N)
curl -s -o "$WORK/big.out" "$BASE/get.asp?id=$id"
done_at=$(date +%s.%N)
peak=$(kb VmHWM)
same=$(cmp -s "$WORK/big.out" "$SITE/files/big.bin" && echo byte-exact || echo DIFFERENT)
echo "BLOB of $SIZE_MB MiB through PostgreSQL: $same"
echo "  store $(echo "$stored - $start" | bc) s, download $(echo "$done_at - $stored" | bc) s"
echo "  vant-host RSS growth: $(((peak - before) / 1024)) MiB (VmHWM $((peak / 1024)) MiB, VmRSS before $((before / 1024)) MiB)"
growth=$(((peak - before) / 1024))
printf 'bench-row|host RSS growth, %s MiB BLOB round trip through PostgreSQL (%s)|%s MiB|-|-|-|<= 32 MiB|%s\n' \
  "$SIZE_MB" "$same" "$growth" "$([ "$growth" -le 32 ] && [ "$same" = byte-exact ] && echo met || echo missed)"
