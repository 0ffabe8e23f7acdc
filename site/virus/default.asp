<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include virtual="/inc/layout.inc" -->
<!-- #include virtual="/inc/form_token.inc" -->
<%
// Virus-scan settings. The object holds settings and counters that the scan
// does not use: scanning is the host's (vant-host --clamd), explained below.
// The page keeps the chosen values in
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
<h2>Scanning uploads</h2>
<p>Uploaded files are scanned when <code>vant-host</code> is started with
<code>--clamd unix:/run/clamav/clamd.ctl</code> (or <code>tcp:HOST:PORT</code>),
the socket of a running ClamAV daemon. Each file is streamed to the daemon
while it arrives, in the same pieces that are written to disk, so the verdict
is ready when the form is: every form element then reports
<code>IsInfected</code> and, for an infected file, the signature name in
<code>VirusName</code>. The upload pages of this site show the verdict and do
not save infected files. Without <code>--clamd</code> nothing is scanned and
every file reads as not infected.</p>
<ul>
<li><code>--clamd-on-error infected|clean</code>: what a file counts as when the
daemon cannot be reached, takes longer than <code>--clamd-timeout</code>
(seconds, default 120) or refuses the stream. The default,
<code>infected</code>, names the failure in <code>VirusName</code>
(<code>ScanFailed.Unreachable</code>, <code>.Timeout</code>,
<code>.TooLarge</code>, <code>.Error</code>); the host log says why. The upload
itself never fails because of the scanner.</li>
<li><code>--clamd-max-stream BYTES</code>: the daemon's
<code>StreamMaxLength</code> (default 25M); a larger file counts as a failed
scan.</li>
<li><code>--refuse-infected</code>: saving an infected file fails with an error
and deletes its temporary file, whatever the page does, so an infected file
never reaches a folder.</li>
</ul>
<h2>The settings object</h2>
<p>The values below are stored in the <code>IVirusInfo</code> object and read
back; the scan does not use them, and the counters stay as set. Your choices
are kept for your session only.</p>
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
