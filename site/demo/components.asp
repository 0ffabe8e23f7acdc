<%@ LANGUAGE=JScript %>
<!-- #include virtual="/inc/layout.inc" -->
<% PageHead("Components"); %>
<table><tr><th>ProgID</th><th>Created</th></tr>
<%
var ids = ["VANT.FileUpload", "VANT.Progress", "VANT.FileUploadMonitor", "VANT.FileDownload",
           "VANT.Manager", "VANT.BLOBManager", "VANT.ImageProc", "VANTUploaddll.IVirusInfo"];
for (var i = 0; i < ids.length; i++) {
  var status;
  try { Server.CreateObject(ids[i]); status = "yes"; }
  catch (e) { status = "<span class=\"error\">" + Server.HTMLEncode(HidePaths(e.description)) + "</span>"; }
  Response.Write("<tr><td>" + ids[i] + "</td><td>" + status + "</td></tr>\n");
}
%>
</table>
<% PageFoot(); %>
