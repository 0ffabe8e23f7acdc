# shellcheck shell=bash
# The site the fault-injection tests run against (sourced after lib.sh):
# pages that upload and save, download, and move a BLOB into and out of
# SQLite, each reporting the component's message; and the files they send
# ($F/big.bin, $F/small.bin for uploads; /files/blob.bin, /files/dl.bin).
mkdir -p "$SITE/uploads" "$SITE/files" "$SITE/db"

# Saves file element "f" into /uploads, overwriting; the outcome is also
# kept in Application("last") for cases where the client never sees it.
page up.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %><%
var up = Server.CreateObject("VANT.FileUpload");
var outcome;
try {
  up.DefaultPath = Server.MapPath("/uploads");
  var f = up.Form("f");
  f.Save("", true);
  outcome = "SAVED " + f.LastSavedFileName + " " + f.FileLen;
} catch (e) {
  outcome = "ERR " + e.source + "|" + e.description;
}
Application("last") = outcome;
Response.Write(outcome);
%>
P
page last.asp <<'P'
<%@ LANGUAGE=JScript %><% Response.Write(Application("last")); %>
P
page hello.asp <<'P'
<%@ LANGUAGE=JScript %><% Response.Write("alive " + (1 + 1)); %>
P
page dl.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %><%
var dl = Server.CreateObject("VANT.FileDownload");
Application("last") = "STARTED";
try {
  dl.Download(Server.MapPath("/files/" + Request.QueryString("f")), "x.bin", true, false);
  Application("last") = "SENT";
} catch (e) {
  Application("last") = "ERR " + e.source + "|" + e.description;
}
%>
P
page blobput.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %><%
var conn = Server.CreateObject("ADODB.Connection");
conn.Open("Provider=SQLite;Data Source=" + Server.MapPath("/db/blobs.db"));
conn.Execute("CREATE TABLE IF NOT EXISTS files (id INTEGER PRIMARY KEY, body BLOB)");
var rs = Server.CreateObject("ADODB.Recordset");
rs.Open("SELECT id, body FROM files WHERE 0", conn, 1, 3);
rs.AddNew();
var bm = Server.CreateObject("VANT.BLOBManager");
try {
  bm.SaveFileAsBlob(Server.MapPath("/files/blob.bin"), rs("body"));
  rs.Update();
  Response.Write("ID " + conn.Execute("SELECT max(id) FROM files")(0).Value);
} catch (e) {
  Response.Write("ERR " + e.source);
}
rs.Close(); conn.Close();
%>
P
# Writes BLOB 1 to /uploads/out.bin, overwriting.
page blobout.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %><%
var conn = Server.CreateObject("ADODB.Connection");
conn.Open("Provider=SQLite;Data Source=" + Server.MapPath("/db/blobs.db"));
var rs = Server.CreateObject("ADODB.Recordset");
rs.Open("SELECT body FROM files WHERE id = 1", conn, 1, 1);
var bm = Server.CreateObject("VANT.BLOBManager");
try {
  Response.Write("WROTE " + bm.SaveBlobAsFile(rs("body"), Server.MapPath("/uploads") + "\\out.bin", true));
} catch (e) {
  Response.Write("ERR " + e.source + "|" + e.description);
}
rs.Close(); conn.Close();
%>
P

F=$WORK/files
mkdir -p "$F"
head -c 3000000 /dev/urandom >"$F/big.bin"
head -c 5000 /dev/urandom >"$F/small.bin"
head -c 400000 /dev/urandom >"$SITE/files/blob.bin"
head -c 2000000 /dev/urandom >"$SITE/files/dl.bin"
