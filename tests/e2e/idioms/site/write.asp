<!-- #include file="idioms.inc" --><%
// Writes "name: " and then what write() writes; an error writes its text.
function written(name, write) {
  Response.Write(name + ": ");
  try { write(); } catch (e) { Response.Write("error " + (e.description || e.message)); }
  Response.Write("\n");
}
var conn = Server.CreateObject("ADODB.Connection");
conn.Open("Provider=SQLite;Data Source=" + Server.MapPath("/db/write.db"));
var rs = conn.Execute("SELECT NULL AS empty");
var d = new Date(2024, 0, 2, 10, 30, 0);
%>sum: <%= 0.1 + 0.2 %>
third: <% Response.Write(1 / 3) %>
<%
written("null field", function () { %>[<%= rs("empty") %>]<% });
written("null field encoded", function () { Response.Write("[" + Server.HTMLEncode(rs("empty")) + "]"); });
written("null encoded", function () { Response.Write("[" + Server.HTMLEncode(null) + "]"); });
written("date written", function () { Response.Write(d); });
show("date as text", function () { return String(d); });
rs.Close();
conn.Close();
%>
