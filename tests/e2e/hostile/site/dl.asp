<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><%
// Sends /files/data.bin with resume on; ?name= sets the display name.
var dl = Server.CreateObject("VANT.FileDownload");
var name = Request.QueryString("name").Count > 0 ? String(Request.QueryString("name")) : "data.bin";
try {
  dl.Download(Server.MapPath("/files/data.bin"), name, true, true);
} catch (e) {
  Response.Status = "500 Download failed";
  Response.Write("ERR|" + e.source);
}
%>
