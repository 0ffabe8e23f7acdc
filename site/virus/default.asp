<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include virtual="/inc/layout.inc" -->
<!-- #include virtual="/inc/form_token.inc" -->
<%
// Virus-scan settings. The object holds the settings and counters a scanner
// would use; this build has no scanner, so nothing reads them and every
// uploaded file reads as not infected. The page keeps the chosen values in
// the visitor's Session, so one visitor's choice never changes another's,
// and the temporary folder is one of a few fixed folders under the site's
// data folder: a visitor picks a name, never a path, and setting TempPath
// (which creates the folder) can make nothing anywhere else.
RefuseForeignPost();
var TEMP_ROOT = "/data/.private/scan";
var TEMP_FOLDERS = ["incoming", "quarantine", "scratch"];
var info = Server.CreateObject("VANTUploaddll.IVirusInfo");
var error = "";
function Setting(name, fallback) {
  var v = Session("virus." + name);
  return (v === undefined || v === null) ? fallback : v;
}
function Num(text) { var n = parseInt(text, 10); return isNaN(n) ? 0 : n; }
// One of TEMP_FOLDERS, or the first when `name` is none of them.
function TempFolder(name) {
  for (var i = 0; i < TEMP_FOLDERS.length; i++) if (TEMP_FOLDERS[i] == name) return name;
  return TEMP_FOLDERS[0];
}
try {
  if (Request.ServerVariables("REQUEST_METHOD") == "POST") {
    Session("virus.scanMode") = Num(String(Request.Form("scanMode")));
    Session("virus.scanOption") = Num(String(Request.Form("scanOption")));
    Session("virus.autoRemove") = Request.Form("autoRemove").Count > 0 ? 1 : 0;
    Session("virus.tempFolder") = TempFolder(String(Request.Form("tempFolder")));
  }
  info.ScanMode = Setting("scanMode", 0);
  info.ScanOption = Setting("scanOption", 0);
  info.AutoRemovingInfectedFile = Setting("autoRemove", 0) != 0;
  info.TempPath = TEMP_ROOT + "/" + TempFolder(String(Setting("tempFolder", "")));
} catch (e) {
  error = HidePaths(e.source);
}
PageHead("Virus-scan settings");
%>
<p>These settings describe how uploads would be scanned. No scanning engine
is part of this build: the values are stored and read back, the counters
stay as set, and every form element reports <code>IsInfected</code> false and
an empty <code>VirusName</code>. Your choices are kept for your session only.</p>
<% if (error) { %><p class="error"><%= Server.HTMLEncode(error) %></p><% } %>
<form method="post" action="default.asp">
<%= FormTokenField() %>
<table>
<tr><th>ScanMode</th><td><input name="scanMode" value="<%= info.ScanMode %>" size="6"></td></tr>
<tr><th>ScanOption</th><td><input name="scanOption" value="<%= info.ScanOption %>" size="6"></td></tr>
<tr><th>AutoRemovingInfectedFile</th><td><input type="checkbox" name="autoRemove" value="1"<%= info.AutoRemovingInfectedFile ? " checked" : "" %>></td></tr>
<tr><th>TempPath</th><td><select name="tempFolder">
<% var chosen = TempFolder(String(Setting("tempFolder", "")));
   for (var i = 0; i < TEMP_FOLDERS.length; i++) { %>
  <option<%= TEMP_FOLDERS[i] == chosen ? " selected" : "" %>><%= TEMP_FOLDERS[i] %></option>
<% } %></select>
  (a folder under the site's data folder, <code><%= TEMP_ROOT %></code>; it is created when missing)</td></tr>
</table>
<button>Save settings</button>
</form>
<h2>What the object reads back</h2>
<table>
<tr><th>TempPath</th><td><code><%= Server.HTMLEncode(TEMP_ROOT + "/" + chosen) %></code> (the object holds it mapped to the server's folder)</td></tr>
<tr><th>ScannedCount</th><td><%= info.ScannedCount %></td></tr>
<tr><th>InfectedCount</th><td><%= info.InfectedCount %></td></tr>
<tr><th>RepairedCount</th><td><%= info.RepairedCount %></td></tr>
<tr><th>RemovedCount</th><td><%= info.RemovedCount %></td></tr>
</table>
<% PageFoot(); %>
