<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><!-- #include file="db.inc" --><!--METADATA TYPE="typelib" UUID="{00000205-0000-0010-8000-00AA006D2EA4}" --><%
var conn = OpenSiteDb();
// The id goes to the database as a parameter, never into the SQL text.
var cmd = Server.CreateObject("ADODB.Command");
cmd.ActiveConnection = conn;
cmd.CommandText = "SELECT name, body FROM files WHERE id = ?";
cmd.Parameters.Append(cmd.CreateParameter("id", adInteger, adParamInput, 4,
                                          parseInt(String(Request.QueryString("id")), 10) || 0));
var rs = Server.CreateObject("ADODB.Recordset");
rs.Open(cmd, null, adOpenForwardOnly, adLockReadOnly);
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