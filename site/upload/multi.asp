<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include virtual="/inc/layout.inc" -->
<!-- #include file="save.inc" -->
<!-- #include virtual="/inc/form_token.inc" -->
<%
RefuseForeignPost();
PageHead("Several files, fields in several languages");
if (Request.ServerVariables("REQUEST_METHOD") == "POST") {
  var up = Server.CreateObject("VANT.FileUpload");
  try {
    up.CodePage = 65001;
    up.DefaultPath = Server.MapPath("/uploads");
    SetUploadLimits(up);
    Response.Write("<p>The form held " + up.Form.Count + " distinct field names.</p>\n");
    Response.Write(SaveAllFiles(up, false));
    Response.Write("<p>Existing files were kept: a file whose name was taken got a free name.</p>");
  } catch (e) {
    Response.Write("<p class=\"error\">" + Server.HTMLEncode(HidePaths(e.source)) + "</p>");
  }
}
%>
<form method="post" action="multi.asp?<%= FormTokenQuery() %>" enctype="multipart/form-data">
  <p><input type="file" name="files" multiple> (choose several)</p>
  <p><input type="file" name="ファイル"></p>
  <p>English <input name="english" value="Hello"></p>
  <p>日本語 <input name="日本語" value="こんにちは、世界"></p>
  <p>한국어 <input name="한국어" value="안녕하세요"></p>
  <p>Ελληνικά <input name="greek" value="Καλημέρα"></p>
  <p>Русский <input name="русский" value="Здравствуйте"></p>
  <button>Upload</button>
</form>
<% PageFoot(); %>
