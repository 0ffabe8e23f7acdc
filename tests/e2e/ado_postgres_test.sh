#!/usr/bin/env bash
# The database objects over a PostgreSQL server the test starts: tables and
# parameters, field types, writing through a recordset, transactions, a
# BLOB stored with BLOBManager and downloaded byte-exact, a server restart
# between two pages, and the errors a page sees when the server is away.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/postgres_lib.sh"

start_postgres
mkdir -p "$SITE/files"
ODBC="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$PG_PORT;Database=$PG_DB;Uid=$PG_USER;Pwd={$PG_PASSWORD}"

# Every page opens the connection the query string names (odbc=1: the
# ODBC form) and prints "name=value" lines; a failure prints its text.
open_conn() {
  cat <<P
<%@ LANGUAGE=JScript CODEPAGE=65001 %><%
var conn = Server.CreateObject("ADODB.Connection");
conn.Open(Request.QueryString("odbc").Count ? "$ODBC" : "$PG_CONN");
function out(name, value) { Response.Write(name + "=" + value + "\n"); }
try {
P
}
close_conn() { printf '%s\n' '} catch (e) { out("error", e.description); }' 'conn.Close(); %>'; }

{ open_conn; cat <<'P'
conn.Execute("DROP TABLE IF EXISTS items");
conn.Execute("CREATE TABLE items (id serial PRIMARY KEY, name varchar(40), qty int2, big int8, " +
  "price numeric(8,2), ratio float8, ok boolean, born date, seen timestamptz, tag uuid, note text)");
function run(sql, values) {
  var cmd = Server.CreateObject("ADODB.Command");
  cmd.ActiveConnection = conn;
  cmd.CommandText = sql;
  for (var i = 0; i < values.length; i++) cmd.Parameters.Append(cmd.CreateParameter("p" + i, 12, 1, 0, values[i]));
  return cmd.Execute();
}
var insert = "INSERT INTO items (name, qty, big, price, ratio, ok, born, seen, tag, note) " +
  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
run(insert, ["O'Brien; --", 7, 9007199254740, 12.5, 0.25, true, "2024-02-29",
  "2024-02-29 13:14:15+00", "6f1c2d3e-0000-4000-8000-00000000abcd", null]);
run(insert, ["second", 1, 2, 3, 4, false, "2000-01-01", "2000-01-01 00:00:00+00",
  "6f1c2d3e-0000-4000-8000-00000000abce", "x"]);
conn.Execute("UPDATE items SET qty = qty + 1");
var rs = run("SELECT * FROM items WHERE name = ? ORDER BY id", ["O'Brien; --"]);
var types = [];
for (var i = 0; i < rs.Fields.Count; i++) types.push(rs.Fields(i).Name + ":" + rs.Fields(i).Type);
out("types", types.join(","));
out("values", [rs("name"), rs("qty"), rs("price"), rs("ratio"), rs("ok"), rs("tag"), rs("note")].join("|"));
out("born", new Date(rs("born").Value).getUTCFullYear() + "/" + (new Date(rs("born").Value).getUTCMonth() + 1));
out("seen", new Date(rs("seen").Value).getUTCHours() + ":" + new Date(rs("seen").Value).getUTCSeconds());
var refresh = Server.CreateObject("ADODB.Command");
refresh.ActiveConnection = conn;
refresh.CommandText = "SELECT * FROM items WHERE name = ? AND note <> '?'";
refresh.Parameters.Refresh();
out("refresh", refresh.Parameters.Count);
try { run("SELECT ?::text", ["a\u0000b"]); } catch (e) { out("nul", e.description); }
var sorted = Server.CreateObject("ADODB.Recordset");
sorted.CursorLocation = 3;
sorted.Open("SELECT name, seen FROM items ORDER BY id", conn, 3, 1);
sorted.Sort = "seen";
out("sorted", sorted("name").Value);
var schema = conn.OpenSchema(4);
schema.Filter = "TABLE_NAME = 'items'";
var list = [];
for (; !schema.EOF && list.length < 3; schema.MoveNext())
  list.push(schema("COLUMN_NAME") + ":" + schema("DATA_TYPE") + ":" + schema("CHARACTER_MAXIMUM_LENGTH"));
var tables = conn.OpenSchema(20);
out("schema", list.join(",") + " " + tables("TABLE_NAME") + ":" + tables("TABLE_TYPE"));
var count = conn.Execute("SELECT count(*) AS c FROM items");
out("count", count("c").Value);
P
close_conn; } | page types.asp

{ open_conn; cat <<'P'
var rs = Server.CreateObject("ADODB.Recordset");
rs.Open("SELECT id, name, qty FROM items ORDER BY id", conn, 1, 3);
rs("qty") = 40; rs.Update();
rs.MoveNext(); rs.Delete();
rs.AddNew(); rs("name") = "added"; rs("qty") = 5; rs.Update();
out("newid", rs("id").Value > 2);
rs.Close();
var back = conn.Execute("SELECT string_agg(name || ':' || qty, ',' ORDER BY id) AS s FROM items");
out("rows", back("s").Value);
conn.BeginTrans(); conn.Execute("DELETE FROM items"); conn.RollbackTrans();
conn.BeginTrans(); conn.Execute("UPDATE items SET qty = 1 WHERE name = 'added'"); conn.CommitTrans();
conn.BeginTrans();
try { conn.Execute("INSERT INTO missing VALUES (1)"); } catch (e) { out("bad", e.description); }
conn.RollbackTrans();
conn.CommandTimeout = 1;
conn.BeginTrans(); conn.Execute("SELECT 1"); conn.RollbackTrans();
try { conn.Execute("SELECT pg_sleep(20)"); } catch (e) { out("timeout", e.number + " " + e.description); }
back = conn.Execute("SELECT string_agg(name || ':' || qty, ',' ORDER BY id) AS s FROM items");
out("after", back("s").Value);
P
close_conn; } | page write.asp

{ open_conn; cat <<'P'
conn.Execute("CREATE TABLE IF NOT EXISTS files (id bigserial PRIMARY KEY, name text, body bytea)");
var rs = Server.CreateObject("ADODB.Recordset");
rs.Open("SELECT id, name, body FROM files WHERE false", conn, 1, 3);
rs.AddNew();
rs("name") = String(Request.QueryString("f"));
Server.CreateObject("VANT.BLOBManager").SaveFileAsBlob(Server.MapPath("/files/" + Request.QueryString("f")), rs("body"));
rs.Update();
out("id", rs("id").Value);
rs.Close();
P
close_conn; } | page blobput.asp

page blobget.asp <<P
<%@ LANGUAGE=JScript CODEPAGE=65001 %><%
var conn = Server.CreateObject("ADODB.Connection");
conn.Open("$PG_CONN");
var rs = conn.Execute("SELECT name, body FROM files WHERE id = " + Number(Request.QueryString("id")));
Server.CreateObject("VANT.FileDownload").DownloadBlob(rs("body"), String(rs("name").Value), true);
%>
P

page fail.asp <<P
<%@ LANGUAGE=JScript %><%
var conn = Server.CreateObject("ADODB.Connection");
var which = String(Request.QueryString("c"));
var text = which == "pw" ? "$PG_CONN".replace("Password='", "Password='wrong-") : which == "nodb"
  ? "Provider=PostgreSQL;Host=127.0.0.1;Port=$PG_PORT" : "$PG_CONN";
try { conn.Open(text); conn.Execute("SELECT 1"); Response.Write("open"); }
catch (e) { Response.Write(e.number + " " + e.description); }
%>
P

start_host
got=$(curl -s "$BASE/types.asp")
expect_has "field types map from the server's types" "$got" \
  "types=id:3,name:202,qty:2,big:20,price:131,ratio:5,ok:11,born:133,seen:135,tag:203,note:203"
expect_has "values read back as written, parameters never pasted" "$got" \
  "values=O'Brien; --|8|12.5|0.25|true|6f1c2d3e-0000-4000-8000-00000000abcd|null"
expect_has "dates read as dates" "$got" "born=2024/2"
expect_has "OpenSchema lists tables and typed columns" "$got" "schema=id:3:null,name:202:40,qty:2:null items:TABLE"
expect_has "rows sort by a timestamp" "$got" "sorted=second"
expect_has "Refresh counts the ? outside quotes" "$got" "refresh=1"
expect_has "a NUL in text is refused, not cut" "$got" "nul=A PostgreSQL text value cannot hold a NUL"
expect_has "timestamps read in UTC" "$got" "seen=13:15"
expect_has "the ODBC form opens the same database" "$(curl -s "$BASE/types.asp?odbc=1")" "count=2"

got=$(curl -s "$BASE/write.asp")
expect_has "update, delete and add through a recordset" "$got" "rows=O'Brien; --:40,added:5"
expect_has "a recordset insert gives the new key" "$got" "newid=true"
expect_has "the server's message reaches the page" "$got" 'bad=relation "missing" does not exist'
expect_has "CommandTimeout bounds a statement, also after a rollback" "$got" \
  "timeout=-2147217871 Query timeout expired"
expect_has "rollback undoes, commit keeps" "$got" "after=O'Brien; --:40,added:1"

head -c 3000000 /dev/urandom >"$SITE/files/blob.bin"
id=$(curl -s "$BASE/blobput.asp?f=blob.bin" | sed -n 's/^id=//p')
curl -s -o "$WORK/blob.out" "$BASE/blobget.asp?id=$id"
expect_eq "a BLOB stored in chunks downloads byte-exact" \
  "$(md5sum <"$WORK/blob.out" | cut -c1-32)" "$(md5sum <"$SITE/files/blob.bin" | cut -c1-32)"

restart_postgres
expect_has "the page after a server restart reconnects" "$(curl -s "$BASE/types.asp")" "count=2"

got=$(curl -s "$BASE/fail.asp?c=pw")
expect_has "a wrong password is a clear error" "$got" "password authentication failed"
expect_lacks "the password stays out of the error" "$got" "$PG_PASSWORD"
expect_has "a string without a database is refused" "$(curl -s "$BASE/fail.asp?c=nodb")" "names no database"
stop_postgres
got=$(curl -s "$BASE/fail.asp")
expect_has "a server that is down is a clear error" "$got" "Cannot connect to the PostgreSQL server"
expect_lacks "the password stays out of the down error" "$got" "$PG_PASSWORD"
finish
