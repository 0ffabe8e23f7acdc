<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><!-- #include file="db.inc" --><%
// Run once before the load: creates the BLOB table.
var conn = OpenSoakDb();
conn.Execute("CREATE TABLE IF NOT EXISTS blobs (id INTEGER PRIMARY KEY, name TEXT UNIQUE, body BLOB)");
conn.Close();
Response.Write("READY");
%>