<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><!-- #include file="db.inc" --><%
// Sends the BLOB named n (FileDownload.DownloadBlob); with del=1 the row is
// deleted afterwards.
var conn = OpenSoakDb();
try {
  var name = SafeName(String(Request.QueryString("n")));
  var rs = Server.CreateObject("ADODB.Recordset");
  rs.Open("SELECT name, body FROM blobs WHERE name = '" + name + "'", conn, 1, 1);
  if (rs.EOF) throw { number: 0, source: "no row " + name };
  Server.CreateObject("VANT.FileDownload").DownloadBlob(rs("body"), name + ".bin", true);
  rs.Close();
  if (Request.QueryString("del").Count > 0) conn.Execute("DELETE FROM blobs WHERE name = '" + name + "'");
} catch (e) {
  Response.Status = "404 Not Found";
  Response.Write("ERR " + e.number + " " + e.source + " " + e.description);
}
conn.Close();
%>