<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><!-- #include file="db.inc" --><%
// Rows left in the BLOB table; the clients delete every row they store.
var conn = OpenSoakDb();
Response.Write("ROWS " + conn.Execute("SELECT count(*) FROM blobs")(0).Value);
conn.Close();
%>