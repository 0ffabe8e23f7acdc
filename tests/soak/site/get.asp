<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><%
// Sends /<p> with resume on; with del=1 the file is deleted afterwards (the
// client fetches what it uploaded once and then removes it).
var rel = String(Request.QueryString("p"));
var dl = Server.CreateObject("VANT.FileDownload");
try {
  if (!/^(files|cache|up\/w[0-9]+|thumbs)\/[A-Za-z0-9_.-]+$/.test(rel) || /\.\./.test(rel))
    throw { number: 0, source: "not offered: " + rel };
  var path = Server.MapPath("/" + rel);
  dl.Download(path, rel.replace(/^.*\//, ""), true, true);
  if (Request.QueryString("del").Count > 0 && !Server.CreateObject("VANT.FileUpload").DeleteFile(path))
    Response.AppendToLog("soak: could not delete " + rel);
} catch (e) {
  Response.Status = "404 Not Found";
  Response.Write("ERR " + e.number + " " + e.source);
}
%>