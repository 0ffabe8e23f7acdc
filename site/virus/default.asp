<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include virtual="/inc/layout.inc" -->
<%
// Virus-scan settings. The object holds the settings and counters a scanner
// would use; this build has no scanner, so nothing reads them and every
// uploaded file reads as not infected. The page keeps the chosen values in
// Application so that they survive between requests.
var info = Server.CreateObject("VANTUploaddll.IVirusInfo");
var error = "";
function Setting(name, fallback) {
  var v = Application("virus." + name);
  return (v === undefined || v === null) ? fallback : v;
}
function Num(text) { var n = parseInt(text, 10); return isNaN(n) ? 0 : n; }
try {
  if (Request.ServerVariables("REQUEST_METHOD") == "POST") {
    info.ScanMode = Num(String(Request.Form("scanMode")));
    info.ScanOption = Num(String(Request.Form("scanOption")));
    info.AutoRemovingInfectedFile = Request.Form("autoRemove").Count > 0;
    info.TempPath = String(Request.Form("tempPath"));
    Application.Lock();
    Application("virus.scanMode") = info.ScanMode;
    Application("virus.scanOption") = info.ScanOption;
    Application("virus.autoRemove") = info.AutoRemovingInfectedFile ? 1 : 0;
    Application("virus.tempPath") = info.TempPath;
    Application.Unlock();
  } else {
    info.ScanMode = Setting("scanMode", 0);
    info.ScanOption = Setting("scanOption", 0);
    info.AutoRemovingInfectedFile = Setting("autoRemove", 0) != 0;
    info.TempPath = Setting("tempPath", "/uploads");
  }
} catch (e) {
  error = HidePaths(e.source);
}
PageHead("Virus-scan settings");
%>
<p>These settings describe how uploads would be scanned. No scanning engine
is part of this build: the values are stored and read back, the counters
stay as set, and every form element reports <code>IsInfected</code> false and
an empty <code>VirusName</code>.</p>
<% if (error) { %><p class="error"><%= Server.HTMLEncode(error) %></p><% } %>
<form method="post" action="default.asp">
<table>
<tr><th>ScanMode</th><td><input name="scanMode" value="<%= info.ScanMode %>" size="6"></td></tr>
<tr><th>ScanOption</th><td><input name="scanOption" value="<%= info.ScanOption %>" size="6"></td></tr>
<tr><th>AutoRemovingInfectedFile</th><td><input type="checkbox" name="autoRemove" value="1"<%= info.AutoRemovingInfectedFile ? " checked" : "" %>></td></tr>
<tr><th>TempPath</th><td><input name="tempPath" value="<%= Server.HTMLEncode(String(Setting("tempPath", "/uploads"))) %>" size="40">
  (a virtual path such as <code>/uploads</code> is mapped; a missing folder is created)</td></tr>
</table>
<button>Save settings</button>
</form>
<h2>What the object reads back</h2>
<table>
<tr><th>TempPath</th><td><code><%= Server.HTMLEncode(String(info.TempPath)) %></code></td></tr>
<tr><th>ScannedCount</th><td><%= info.ScannedCount %></td></tr>
<tr><th>InfectedCount</th><td><%= info.InfectedCount %></td></tr>
<tr><th>RepairedCount</th><td><%= info.RepairedCount %></td></tr>
<tr><th>RemovedCount</th><td><%= info.RemovedCount %></td></tr>
</table>
<% PageFoot(); %>
