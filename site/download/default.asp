<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include virtual="/inc/layout.inc" -->
<!-- #include file="files.inc" -->
<% PageHead("Downloads"); %>
<p>Each file is sent by <code>VANT.FileDownload</code> with resume on: an
interrupted download continues where it stopped (<code>Range</code>
requests get 206 and the rest of the file). Files held in the
<a href="cache.asp">memory cache</a> are sent from memory.</p>
<table><tr><th>File</th><th>Size</th><th>Open in the browser</th><th>Save to disk</th></tr>
<%
var probe = Server.CreateObject("VANT.FileUpload");
for (var i = 0; i < DOWNLOAD_FILES.length; i++) {
  var name = DOWNLOAD_FILES[i];
  var there = probe.FileExists(Server.MapPath("/files/" + name));
  Response.Write("<tr><td>" + Server.HTMLEncode(name) + "</td><td>" + (there ? "" : "missing") + "</td>" +
    "<td><a href=\"get.asp?f=" + Server.URLEncode(name) + "\">inline</a></td>" +
    "<td><a href=\"get.asp?f=" + Server.URLEncode(name) + "&amp;attach=1\">attachment</a></td></tr>\n");
}
%>
</table>
<p>With curl: <code>curl -C - -O "http://host/download/get.asp?f=sample.bin&amp;attach=1"</code>
resumes a partial download.</p>
<% PageFoot(); %>
