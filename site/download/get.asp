<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><!-- #include file="files.inc" --><%
var name = DownloadFileName(String(Request.QueryString("f")));
var dl = Server.CreateObject("VANT.FileDownload");
try {
  if (name == "") throw { source: "No such file is offered here." };
  dl.Download(Server.MapPath("/files/" + name), name, Request.QueryString("attach").Count > 0, true);
} catch (e) {
  Response.Status = "404 Not Found";
  Response.ContentType = "text/plain";
  // The component's message names the file's server path: logged, not shown.
  Response.AppendToLog(String(e.source));
  Response.Write(e.number ? "The file could not be sent." : e.source);
}
%>