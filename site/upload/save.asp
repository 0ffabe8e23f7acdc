<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include virtual="/inc/layout.inc" -->
<!-- #include file="save.inc" -->
<!-- #include virtual="/inc/form_token.inc" -->
<%
// Only the site's own forms may upload: checked before the body is read.
RefuseForeignPost();
var up = Server.CreateObject("VANT.FileUpload");
var table = "", error = "";
try {
  up.CodePage = 65001;
  up.DefaultPath = Server.MapPath("/uploads");
  SetUploadLimits(up);
  if (Request.QueryString("pid").Count > 0) up.SetProgress(Number(Request.QueryString("pid")));
  // "keep" is a field of the form itself, so reading it parses the body.
  var keep = String(up.Form("keep").Value) == "1";
  table = SaveAllFiles(up, !keep);
} catch (e) {
  error = HidePaths(e.source);
}
if (Request.QueryString("fragment").Count > 0) {
  Response.Write(error ? "<p class=\"error\">" + Server.HTMLEncode(error) + "</p>" : table);
  Response.End();
}
PageHead("Upload result");
%>
<% if (error) { %><p class="error"><%= Server.HTMLEncode(error) %></p><% } %>
<%= table %>
<p><a href="default.asp">Upload more</a> · files are kept in <code>/uploads</code>.</p>
<%= UploadFolderListing() %>
<% PageFoot(); %>
