<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!--METADATA TYPE="typelib" UUID="{00000205-0000-0010-8000-00AA006D2EA4}" -->
<!-- #include virtual="/inc/layout.inc" -->
<!-- #include file="db.inc" -->
<!-- #include virtual="/inc/form_token.inc" -->
<%
RefuseForeignPost();
var conn = OpenSiteDb();
var notes = [];
if (Request.ServerVariables("REQUEST_METHOD") == "POST") {
  var up = Server.CreateObject("VANT.FileUpload");
  try {
    up.CodePage = 65001;
    up.DefaultPath = Server.MapPath("/uploads");  // temporary files only
    up.MaxFileLen = 20 * 1024 * 1024;
    up.TotalLen = 60 * 1024 * 1024;  // refused before the body is read
    for (var items = new Enumerator(up.Form("file")); !items.atEnd(); items.moveNext()) {
      var el = items.item();
      if (!el.IsFileItem() || String(el.FileName) == "") continue;
      var rs = NewFileRow(conn, String(el.FileName), String(el.MimeType), el.FileLen);
      el.SaveAsBlob(rs("body"));  // streams the temporary file into the row
      rs.Update();
      rs.Close();
      notes.push("Stored " + el.FileName + " (" + el.FileLen + " bytes).");
    }
  } catch (e) {
    notes.push("Upload failed: " + e.source);
  }
}
if (Request.QueryString("note").Count > 0) notes.push(String(Request.QueryString("note")));
PageHead("Files in a database");
%>
<p>Uploaded files go straight into a BLOB column of a SQLite table
(<code>FormElement.SaveAsBlob</code>) and come back with
<code>FileDownload.DownloadBlob</code>. The files of <code>/files</code> can be
stored with <code>BLOBManager.SaveFileAsBlob</code>, and a stored file can be
written back to <code>/uploads</code> with <code>BLOBManager.SaveBlobAsFile</code>.</p>
<% for (var i = 0; i < notes.length; i++) { %><p><%= Server.HTMLEncode(HidePaths(notes[i])) %></p><% } %>
<form method="post" action="default.asp?<%= FormTokenQuery() %>" enctype="multipart/form-data">
  <input type="file" name="file" multiple> <button>Store in the database</button>
</form>
<form method="post" action="act.asp">
  <%= FormTokenField() %>
  <select name="file"><option>readme.txt</option><option>sample.bin</option></select>
  <button name="action" value="store">Store from /files</button>
</form>
<table><tr><th>Id</th><th>Name</th><th>Type</th><th>Size</th><th>Added</th><th></th></tr>
<%
// Twenty rows a page: a client cursor knows its RecordCount and PageCount.
var list = Server.CreateObject("ADODB.Recordset");
list.CursorLocation = adUseClient;
list.Open("SELECT id, name, mime, size, added FROM files ORDER BY id", conn, adOpenStatic, adLockReadOnly);
list.PageSize = 20;
var pageNumber = Math.min(Math.max(parseInt(String(Request.QueryString("page")), 10) || 1, 1), Math.max(list.PageCount, 1));
if (!list.EOF) list.AbsolutePage = pageNumber;
for (var shown = 0; shown < list.PageSize && !list.EOF; shown++, list.MoveNext()) {
  var id = list("id").Value;
  Response.Write("<tr><td>" + id + "</td><td>" + Server.HTMLEncode(String(list("name").Value)) +
    "</td><td>" + Server.HTMLEncode(String(list("mime").Value)) + "</td><td>" + list("size").Value +
    "</td><td>" + Server.HTMLEncode(String(list("added").Value)) + "</td><td>" +
    "<a href=\"get.asp?id=" + id + "\">open</a> · <a href=\"get.asp?id=" + id + "&amp;attach=1\">save</a> · " +
    "<form method=\"post\" action=\"act.asp\" style=\"display:inline\">" + FormTokenField() +
    "<input type=\"hidden\" name=\"id\" value=\"" + id + "\">" +
    "<button name=\"action\" value=\"export\">copy to /uploads</button> " +
    "<button name=\"action\" value=\"delete\">delete</button></form></td></tr>\n");
}
var pageCount = list.PageCount;
list.Close();
conn.Close();
%>
</table>
<% if (pageCount > 1) { %><p>Page <%= pageNumber %> of <%= pageCount %>:
<% for (var p = 1; p <= pageCount; p++) { %><a href="default.asp?page=<%= p %>"><%= p %></a> <% } %></p><% } %>
<% PageFoot(); %>
