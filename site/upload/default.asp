<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include virtual="/inc/layout.inc" -->
<!-- #include virtual="/inc/form_token.inc" -->
<!-- #include file="save.inc" -->
<%
// Issues a progress id and hands it to the browser in a cookie; the upload
// request and the monitor window both send that cookie back.
var monitor = Server.CreateObject("VANT.FileUploadMonitor");
monitor.UseMonitor(true);
PageHead("Upload with a monitor window");
%>
<p>Choose one or more files and send them. A small window shows the
progress, refreshed once a second, and closes itself when the upload is
done. Up to <%= UPLOAD_MAX_FILE / 1048576 %> MB per file and
<%= Math.floor(UPLOAD_MAX_TOTAL / 1048576) %> MB in all; a larger upload is refused before it
starts, and the window says so.</p>
<form method="post" action="save.asp?<%= FormTokenQuery() %>" enctype="multipart/form-data" onsubmit="return openMonitor();">
  <p><input type="file" name="file1"></p>
  <p><input type="file" name="file2"></p>
  <p><label><input type="checkbox" name="keep" value="1"> keep existing files
     (a file of the same name gets a new name such as <code>photo(0).jpg</code>)</label></p>
  <p><input name="comment" size="40" placeholder="comment"> <button>Upload</button></p>
</form>
<p>Other upload demos: <a href="multi.asp">several files, fields in several languages</a>,
<a href="modern.asp">progress bar in the page</a>.</p>
<h2>Files uploaded so far</h2>
<%= UploadFolderListing() %>
<script>
function openMonitor() {
  window.open("monitor.asp", "vantmonitor",
              "width=380,height=120,resizable=no,scrollbars=no,status=no,toolbar=no,menubar=no");
  return true;
}
</script>
<% PageFoot(); %>
