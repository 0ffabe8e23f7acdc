<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include virtual="/inc/layout.inc" -->
<!-- #include file="files.inc" -->
<!-- #include virtual="/inc/form_token.inc" -->
<%
RefuseForeignPost();
var manager = Server.CreateObject("VANT.Manager");
var message = "", error = "";
if (Request.ServerVariables("REQUEST_METHOD") == "POST") {
  var name = DownloadFileName(String(Request.Form("f")));
  try {
    if (name == "") throw { source: "Choose one of the offered files." };
    if (String(Request.Form("action")) == "add") {
      manager.AddCacheFile(Server.MapPath("/files/" + name));
      message = name + " is now sent from memory.";
    } else {
      manager.RemoveCacheFile(Server.MapPath("/files/" + name));
      message = name + " is read from disk again.";
    }
  } catch (e) {
    error = HidePaths(e.source);
  }
}
PageHead("File cache");
%>
<p>Files in the cache are read once and then sent from memory by every
download. The cache lives as long as the host process.</p>
<% if (message) { %><p><%= Server.HTMLEncode(message) %></p><% } %>
<% if (error) { %><p class="error"><%= Server.HTMLEncode(error) %></p><% } %>
<h2>Cached now</h2>
<ul>
<%
var count = 0;
for (var en = new Enumerator(manager); !en.atEnd(); en.moveNext()) {
  Response.Write("<li><code>" + Server.HTMLEncode(HidePaths(en.item())) + "</code></li>\n");
  count++;
}
if (count == 0) Response.Write("<li><i>nothing</i></li>\n");
%>
</ul>
<h2>Change</h2>
<% for (var i = 0; i < DOWNLOAD_FILES.length; i++) { var n = Server.HTMLEncode(DOWNLOAD_FILES[i]); %>
<form method="post" action="cache.asp" style="display:inline">
  <%= FormTokenField() %>
  <input type="hidden" name="f" value="<%= n %>">
  <button name="action" value="add">Add <%= n %></button>
  <button name="action" value="remove">Remove <%= n %></button>
</form><br>
<% } %>
<p><a href="default.asp">Back to the downloads</a></p>
<% PageFoot(); %>
