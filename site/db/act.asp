<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include file="db.inc" -->
<!-- #include virtual="/inc/form_token.inc" -->
<%
// Every action here changes the database or the disk: only the site's own
// forms may ask for one.
RefuseForeignPost();
var conn = OpenSiteDb();
var action = String(Request.Form("action"));
var note = "";
var blobs = Server.CreateObject("VANT.BLOBManager");
try {
  if (action == "store") {
    var name = String(Request.Form("file"));
    if (name != "readme.txt" && name != "sample.bin") throw { source: "Choose one of the offered files." };
    var path = Server.MapPath("/files/" + name);
    var rs = NewFileRow(conn, name, "application/octet-stream", 0);
    blobs.SaveFileAsBlob(path, rs("body"));
    rs.Update();
    conn.Execute("UPDATE files SET size = length(body) WHERE id = (SELECT max(id) FROM files)");
    rs.Close();
    note = "Stored " + name + " from /files.";
  } else if (action == "export" || action == "delete") {
    var id = parseInt(String(Request.Form("id")), 10) || 0;
    if (action == "delete") {
      conn.Execute("DELETE FROM files WHERE id = " + id);
      note = "Deleted file " + id + ".";
    } else {
      var row = Server.CreateObject("ADODB.Recordset");
      row.Open("SELECT name, body FROM files WHERE id = " + id, conn, 1, 1);
      if (row.EOF) throw { source: "No file " + id + " in the database." };
      var name = String(row("name").Value).replace(/[\\\/:*?"<>|]/g, "_");
      if (/\.(asp|asa|inc|cer|cdx)$/i.test(name)) name += ".txt";
      var written = blobs.SaveBlobAsFile(row("body"), Server.MapPath("/uploads") + "\\" + name, false);
      row.Close();
      note = "Written to " + written + ".";
    }
  }
} catch (e) {
  note = "Failed: " + e.source;
}
conn.Close();
Response.Redirect("default.asp?note=" + Server.URLEncode(note));
%>
