#!/usr/bin/env bash
# The database objects as real pages use them: a paging page written the
# way page generators write it, a Command insert whose value holds a quote
# and a NUL, and the recordset, connection and type-library idioms, each a
# named assertion. Pages print "name=value" lines.
. "$(dirname "$0")/lib.sh"

mkdir -p "$SITE/db" "$SITE/inc"
DB='Provider=SQLite;Data Source=" + Server.MapPath("/db/site.db") + "'

page setup.asp <<P
<%@ LANGUAGE=JScript %><%
var conn = Server.CreateObject("ADODB.Connection");
conn.Open("$DB");
conn.Execute("DROP TABLE IF EXISTS items");
conn.Execute("CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(40), price REAL, note TEXT)");
for (var i = 1; i <= 23; i++)
  conn.Execute("INSERT INTO items (name, price, note) VALUES ('item" + (i < 10 ? "0" : "") + i + "', " + (i * 1.5) + ", " + (i % 5 == 0 ? "NULL" : "'n" + i + "'") + ")");
Response.Write("ready");
%>
P

# The generated-page idiom: properties first, then Open() without arguments.
page paging.asp <<P
<!--METADATA TYPE="typelib" UUID="{00000205-0000-0010-8000-00AA006D2EA4}" -->
<%@ LANGUAGE=JScript %><%
var rs = Server.CreateObject("ADODB.Recordset");
rs.ActiveConnection = "$DB";
rs.Source = "SELECT id, name FROM items ORDER BY id";
rs.CursorType = adOpenStatic;
rs.CursorLocation = adUseClient;
rs.LockType = adLockReadOnly;
rs.CacheSize = 5;
rs.Open();
rs.PageSize = 5;
var page = Number(Request.QueryString("page")) || 1;
rs.AbsolutePage = page;
Response.Write("count=" + rs.RecordCount + "\n");
Response.Write("pages=" + rs.PageCount + "\n");
Response.Write("page=" + rs.AbsolutePage + "\n");
Response.Write("position=" + rs.AbsolutePosition + "\n");
var names = [];
for (var n = 0; n < rs.PageSize && !rs.EOF; n++) { names.push(String(rs("name"))); rs.MoveNext(); }
Response.Write("rows=" + names.join(",") + "\n");
Response.Write("eof=" + rs.EOF + "\n");
try { rs.AbsolutePage = 6; } catch (e) { Response.Write("beyond=" + e.number + "\n"); }
rs.Close();
%>
P

# A Command insert with ? parameters; the value holds a quote and a NUL.
page command.asp <<P
<!--METADATA TYPE="typelib" FILE="C:\\Program Files\\Common Files\\System\\ado\\msado15.dll" -->
<%@ LANGUAGE=JScript %><!-- #include file="inc/adojavas.inc" --><%
var conn = Server.CreateObject("ADODB.Connection");
conn.Open("$DB");
conn.Execute("CREATE TABLE IF NOT EXISTS notes (id INTEGER PRIMARY KEY, body TEXT, n INTEGER)");
var value = "O'Brien\u0000tail; DROP TABLE notes; --";
var cmd = Server.CreateObject("ADODB.Command");
cmd.ActiveConnection = conn;
cmd.CommandText = "INSERT INTO notes (body, n) VALUES (?, ?)";
cmd.CommandType = adCmdText;
cmd.Prepared = true;
cmd.Parameters.Append(cmd.CreateParameter("body", adVarWChar, adParamInput, 255, value));
cmd.Parameters.Append(cmd.CreateParameter("n", adInteger, adParamInput, 4, "42"));
cmd.Execute(null, null, adExecuteNoRecords);
var read = Server.CreateObject("ADODB.Command");
read.ActiveConnection = conn;
read.CommandText = "SELECT body, n, typeof(n) AS t FROM notes WHERE body = ?";
read.Parameters.Append(read.CreateParameter("b", adVarWChar, adParamInput, 255));
read(0) = value;
var rs = read.Execute();
var body = String(rs("body"));
Response.Write("found=" + !rs.EOF + "\n");
Response.Write("same=" + (body === value) + "\n");
Response.Write("length=" + body.length + "\n");
Response.Write("nul=" + body.charCodeAt(7) + "\n");
Response.Write("number=" + rs("n") + " " + rs("t") + "\n");
Response.Write("tables=" + conn.Execute("SELECT count(*) FROM sqlite_master WHERE name = 'notes'")(0) + "\n");
var refresh = Server.CreateObject("ADODB.Command");
refresh.ActiveConnection = conn;
refresh.CommandText = "SELECT * FROM notes WHERE id = :id AND n > ?";
refresh.Parameters.Refresh();
Response.Write("refreshed=" + refresh.Parameters.Count + " " + refresh.Parameters(0).Name + "\n");
var open = Server.CreateObject("ADODB.Recordset");
read(0) = value;
open.Open(read);
Response.Write("opened=" + open.Fields.Count + " " + (String(open(0)) === value) + "\n");
try { var none = Server.CreateObject("ADODB.Command"); none.CommandText = "SELECT 1"; none.Execute(); }
catch (e) { Response.Write("noconn=" + e.number + "\n"); }
try { var missing = Server.CreateObject("ADODB.Command"); missing.ActiveConnection = conn;
  missing.CommandText = "SELECT ?, ?"; missing.Parameters.Append(missing.CreateParameter("a", adInteger, adParamInput, 4, 1)); missing.Execute(); }
catch (e) { Response.Write("missing=" + e.number + "\n"); }
try { var slow = Server.CreateObject("ADODB.Command"); slow.ActiveConnection = conn; slow.CommandTimeout = 1;
  slow.CommandText = "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) FROM c"; slow.Execute(); }
catch (e) { Response.Write("timeout=" + e.number + " " + e.description + "\n"); }
try { var bad = Server.CreateObject("ADODB.Command"); bad.ActiveConnection = conn;
  bad.CommandText = "SELECT ?"; bad.Parameters.Append(bad.CreateParameter("a", adInteger, adParamInput, 4, "many")); bad.Execute(); }
catch (e) { Response.Write("conversion=" + e.number + "\n"); }
%>
P

cat >"$SITE/inc/adojavas.inc" <<'P'
<%
var adOpenForwardOnly = 0, adOpenKeyset = 1, adOpenStatic = 3;
var adLockReadOnly = 1, adLockOptimistic = 3, adUseClient = 3;
var adFilterNone = 0, adCmdText = 1;
%>
P

page idioms.asp <<P
<%@ LANGUAGE=JScript %><!-- #include file="inc/adojavas.inc" --><%
function out(name, value) { Response.Write(name + "=" + value + "\n"); }
function fails(name, f) { try { f(); out(name, "none"); } catch (e) { out(name, e.number); } }
var conn = Server.CreateObject("ADODB.Connection");
conn.Open("$DB");
out("version", conn.Version);
out("timeouts", conn.CommandTimeout + " " + conn.ConnectionTimeout + " " + conn.CursorLocation + " " + conn.Mode);
out("execute-count", conn.Execute("SELECT id FROM items").RecordCount);
out("field-outlives", conn.Execute("SELECT name FROM items WHERE id = 7")(0));
Response.Write("field-written=");
Response.Write(conn.Execute("SELECT name FROM items WHERE id = 9")(0));
Response.Write("\n");
var f = conn.Execute("SELECT name FROM items WHERE id = 8")("name");
Duktape.gc();
out("field-after-gc", f.Value);
fails("backward", function () { var r = conn.Execute("SELECT id FROM items"); r.MoveNext(); r.MovePrevious(); });
fails("bad-sql", function () { conn.Execute("SELECT nope FROM items"); });
out("errors", conn.Errors.Count + " " + conn.Errors(0).Number + " " + conn.Errors(0).SQLState + " " + conn.Errors(0).Description);
fails("constraint", function () { conn.Execute("INSERT INTO items (id, name) VALUES (1, 'dup')"); });
out("native", conn.Errors(0).NativeError + " " + conn.Errors(0).SQLState + " " + conn.Errors(0).Source);

var rs = Server.CreateObject("ADODB.Recordset");
rs.Open("SELECT id, name, price, note FROM items ORDER BY id", conn, adOpenStatic, adLockOptimistic);
out("state", rs.State + " " + rs.CursorType + " " + rs.LockType);
var a = rs.GetRows(3, 1, "name");
var v = new VBArray(a);
out("getrows-one", v.dimensions() + " " + v.ubound(1) + " " + v.ubound(2) + " " + v.toArray().join(","));
rs.MoveFirst();
var all = new VBArray(rs.GetRows());
out("getrows-all", all.ubound(1) + " " + all.ubound(2) + " " + all.getItem(1, 22) + " " + all.getItem(3, 4) + " " + rs.EOF);
rs.MoveFirst();
out("getstring", rs.GetString(2, 2, "|", ";", "-"));
rs.MoveFirst();
out("getstring-null", rs.GetString(2, 5, ",", "/", "(null)").split("/")[4]);
rs.MoveLast();
rs.MoveNext();
fails("getrows-eof", function () { rs.GetRows(); });
rs.Filter = "price > 30 AND note LIKE 'n2*'";
out("filter", rs.RecordCount + " " + rs("name") + " " + rs.Filter);
rs.Filter = "name = 'item03' OR (id >= 22 AND note <> NULL)";
out("filter-or", rs.RecordCount);
rs.Filter = "note = NULL";
out("filter-null", rs.RecordCount + " " + rs("id"));
fails("filter-bad", function () { rs.Filter = "name = 'x"; });
fails("filter-unknown", function () { rs.Filter = "nope = 1"; });
rs.Filter = adFilterNone;
out("filter-none", rs.RecordCount);
rs.Sort = "price DESC";
out("sort", rs("name") + " " + rs.Sort);
rs.Sort = "";
out("sort-cleared", rs("name"));
rs.Find("name = 'item10'");
out("find", rs("id") + " " + rs.AbsolutePosition);
var mark = rs.Bookmark;
rs.Find("name LIKE 'item1*'", 1);
out("find-next", rs("id"));
rs.Find("name = 'none'");
out("find-missing", rs.EOF);
rs.Bookmark = mark;
out("bookmark", rs("id"));
rs.Move(3);
out("move", rs("id"));
rs.Move(-2, mark);
out("move-from", rs("id"));
rs.Move(100);
out("move-past", rs.EOF + " " + rs.AbsolutePosition);
rs.MoveLast();
out("movelast", rs("id") + " " + rs.AbsolutePage);
out("supports", rs.Supports(8192) + " " + rs.Supports(16778240) + " " + conn.Execute("SELECT 1").Supports(512));
out("next", rs.NextRecordset() === null);
rs.AddNew();
out("editmode", rs.EditMode);
rs.CancelUpdate();
out("cancel", rs.RecordCount + " " + rs.EditMode);
conn.Execute("INSERT INTO items (name, price) VALUES ('late', 1)");
rs.Requery();
out("requery", rs.RecordCount);
rs.MoveLast();
rs.Delete();
rs.MoveFirst();
out("delete", rs.RecordCount + " " + conn.Execute("SELECT count(*) FROM items")(0));
rs.Close();
out("closed", rs.State);
fails("closed-eof", function () { return rs.EOF; });
var max = Server.CreateObject("ADODB.Recordset");
max.MaxRecords = 4;
max.Open("items", conn, adOpenKeyset);
out("maxrecords", max.RecordCount);
fails("open-twice", function () { max.Open("items", conn); });
fails("set-while-open", function () { max.CursorType = adOpenStatic; });
var tables = conn.OpenSchema(20);
var names = [];
while (!tables.EOF) { names.push(tables("TABLE_NAME") + ":" + tables("TABLE_TYPE")); tables.MoveNext(); }
out("schema-tables", names.join(","));
var cols = conn.OpenSchema(4);
cols.Filter = "TABLE_NAME = 'items'";
var list = [];
while (!cols.EOF) { list.push(cols("COLUMN_NAME") + ":" + cols("DATA_TYPE") + ":" + cols("ORDINAL_POSITION")); cols.MoveNext(); }
out("schema-columns", list.join(","));
out("no-typelib", typeof adUseServer);
%>
P

start_host
expect_eq "setup" "$(curl -s "$BASE/setup.asp")" "ready"

OUT=$(curl -s "$BASE/paging.asp?page=3")
line() { printf '%s\n' "$OUT" | grep -m1 "^$1=" | cut -d= -f2-; }
expect_eq "paging: RecordCount of a static client cursor" "$(line count)" "23"
expect_eq "paging: PageCount rounds up" "$(line pages)" "5"
expect_eq "paging: AbsolutePage reads back" "$(line page)" "3"
expect_eq "paging: AbsolutePage moves to the page's first row" "$(line position)" "11"
expect_eq "paging: the third page's rows" "$(line rows)" "item11,item12,item13,item14,item15"
expect_eq "paging: a full page leaves the next row current" "$(line eof)" "false"
expect_eq "paging: a page past the last is refused" "$(line beyond)" "-2146825287"
expect_lacks "paging: the METADATA comment is not sent" "$OUT" "METADATA"
OUT=$(curl -s "$BASE/paging.asp?page=5")
expect_eq "paging: the last page is short" "$(line rows)" "item21,item22,item23"
expect_eq "paging: the short page ends at EOF" "$(line eof)" "true"

OUT=$(curl -s --max-time 60 "$BASE/command.asp")
expect_eq "command: the inserted row is found by a parameter" "$(line found)" "true"
expect_eq "command: a quote and a NUL store intact" "$(line same)" "true"
expect_eq "command: the stored length counts the NUL" "$(line length)" "34"
expect_eq "command: the NUL is a NUL" "$(line nul)" "0"
expect_eq "command: adInteger converts the text it is given" "$(line number)" "42 integer"
expect_eq "command: the value is never run as SQL" "$(line tables)" "1"
expect_eq "command: Refresh answers the statement's parameters" "$(line refreshed)" "2 :id"
expect_eq "command: Recordset.Open takes a Command" "$(line opened)" "3 true"
expect_eq "command: no connection" "$(line noconn)" "-2146824579"
expect_eq "command: fewer values than parameters" "$(line missing)" "-2147217904"
expect_eq "command: a value that does not convert" "$(line conversion)" "-2146824867"
expect_eq "command: CommandTimeout stops an endless query" "$(line timeout)" "-2147217871 Query timeout expired"

OUT=$(curl -s "$BASE/idioms.asp")
expect_eq "connection: Version" "$(line version)" "2.8"
expect_eq "connection: timeouts, cursor location and mode" "$(line timeouts)" "30 15 2 0"
expect_eq "recordset: RecordCount is -1 on a forward-only cursor" "$(line execute-count)" "-1"
expect_eq "field: conn.Execute(sql)(0) outlives its recordset" "$(line field-outlives)" "item07"
expect_eq "field: a Field read after the collector ran" "$(line field-after-gc)" "item08"
expect_eq "field: Response.Write(conn.Execute(sql)(0))" "$(line field-written)" "item09"
expect_eq "recordset: forward-only refuses MovePrevious" "$(line backward)" "-2147217884"
expect_eq "connection: a failed Execute raises" "$(line bad-sql)" "-2147467259"
expect_eq "connection: Errors holds the failure" "$(line errors)" "1 -2147467259 HY000 no such column: nope"
expect_eq "connection: a constraint's native error and SQLSTATE" "$(line native)" "1555 23000 ADODB.Connection"
expect_eq "recordset: State, CursorType and LockType" "$(line state)" "1 3 3"
expect_eq "recordset: GetRows(rows, start, field) is (field, row)" "$(line getrows-one)" "2 0 2 item01,item02,item03"
expect_eq "recordset: GetRows() reads every row to EOF" "$(line getrows-all)" "3 22 item23 null true"
expect_eq "recordset: GetString with delimiters" "$(line getstring)" "1|item01|1.5|n1;2|item02|3|n2;"
expect_eq "recordset: GetString writes Null as the null expression" "$(line getstring-null)" "5,item05,7.5,(null)"
expect_eq "recordset: GetRows at EOF" "$(line getrows-eof)" "-2146825267"
expect_eq "recordset: Filter with AND and LIKE" "$(line filter)" "3 item21 price > 30 AND note LIKE 'n2*'"
expect_eq "recordset: Filter with OR and parentheses" "$(line filter-or)" "3"
expect_eq "recordset: Filter on NULL" "$(line filter-null)" "4 5"
expect_eq "recordset: a malformed Filter" "$(line filter-bad)" "-2146825287"
expect_eq "recordset: a Filter on an unknown field" "$(line filter-unknown)" "-2146825023"
expect_eq "recordset: adFilterNone shows every row" "$(line filter-none)" "23"
expect_eq "recordset: Sort descending" "$(line sort)" "item23 price DESC"
expect_eq "recordset: an empty Sort restores the order" "$(line sort-cleared)" "item01"
expect_eq "recordset: Find" "$(line find)" "10 10"
expect_eq "recordset: Find skipping the current row" "$(line find-next)" "11"
expect_eq "recordset: Find without a match ends at EOF" "$(line find-missing)" "true"
expect_eq "recordset: Bookmark returns to the row" "$(line bookmark)" "10"
expect_eq "recordset: Move" "$(line move)" "13"
expect_eq "recordset: Move from a bookmark" "$(line move-from)" "8"
expect_eq "recordset: Move past the end" "$(line move-past)" "true -3"
expect_eq "recordset: MoveLast and its page" "$(line movelast)" "23 3"
expect_eq "recordset: Supports" "$(line supports)" "true true false"
expect_eq "recordset: NextRecordset is null" "$(line next)" "true"
expect_eq "recordset: EditMode after AddNew" "$(line editmode)" "2"
expect_eq "recordset: CancelUpdate drops the added row" "$(line cancel)" "23 0"
expect_eq "recordset: Requery reads new rows" "$(line requery)" "24"
expect_eq "recordset: Delete" "$(line delete)" "23 23"
expect_eq "recordset: Close" "$(line closed)" "0"
expect_eq "recordset: a closed recordset" "$(line closed-eof)" "-2146824584"
expect_eq "recordset: MaxRecords" "$(line maxrecords)" "4"
expect_eq "recordset: Open on an open recordset" "$(line open-twice)" "-2146824583"
expect_eq "recordset: cursor type of an open recordset" "$(line set-while-open)" "-2146824583"
expect_eq "connection: OpenSchema tables" "$(line schema-tables)" "items:TABLE,notes:TABLE"
expect_eq "connection: OpenSchema columns" "$(line schema-columns)" "id:3:1,name:202:2,price:5:3,note:203:4"
expect_eq "typelib: an include of constants needs no METADATA" "$(line no-typelib)" "undefined"

# Declared once in global.asa, the constants serve every page of the site.
stop_host
cat >"$SITE/global.asa" <<'P'
<!--METADATA TYPE="typelib" UUID="{00000205-0000-0010-8000-00AA006D2EA4}" -->
<script language="JScript" runat="server">function Application_OnStart() {}</script>
P
page consts.asp <<'P'
<%@ LANGUAGE=JScript %><%= adOpenStatic + " " + adCmdText + " " + adUseClient %>
P
start_host
expect_eq "typelib: a METADATA comment in global.asa serves every page" "$(curl -s "$BASE/consts.asp" | tr -d "\n")" "3 1 3"
finish
