<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><!-- #include file="db.inc" --><%
// Stores the uploaded file "f" in a new row named by the query's n
// (FormElement.SaveAsBlob) and answers its length.
var up = Server.CreateObject("VANT.FileUpload");
var conn = OpenSoakDb();
try {
  var name = SafeName(String(Request.QueryString("n")));
  up.AutoMakeFolder = true;
  up.DefaultPath = Server.MapPath("/up/blob");
  var el = up.Form("f");
  var rs = Server.CreateObject("ADODB.Recordset");
  rs.Open("SELECT name, body FROM blobs WHERE 0", conn, 1, 3);
  rs.AddNew();
  rs("name") = name;
  el.SaveAsBlob(rs("body"));
  rs.Update();
  rs.Close();
  Response.Write("STORED " + el.FileLen);
} catch (e) {
  Response.Write("ERR " + e.number + " " + e.source + " " + e.description);
}
conn.Close();
%>