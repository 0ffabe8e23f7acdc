<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><!-- #include file="db.inc" --><%
var conn = OpenSiteDb();
var rs = Server.CreateObject("ADODB.Recordset");
rs.Open("SELECT name, body FROM files WHERE id = " + (parseInt(String(Request.QueryString("id")), 10) || 0), conn, 1, 1);
if (rs.EOF) {
  Response.Status = "404 Not Found";
  Response.Write("No such file.");
} else {
  var dl = Server.CreateObject("VANT.FileDownload");
  try {
    dl.DownloadBlob(rs("body"), String(rs("name").Value), Request.QueryString("attach").Count > 0);
  } catch (e) {
    // The component's message may name server paths: logged, not shown.
    Response.AppendToLog(String(e.source));
    Response.Write("The file could not be sent.");
  }
}
rs.Close();
conn.Close();
%>