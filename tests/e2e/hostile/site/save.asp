<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><%
// Saves file element "f" under its sent name into /up: Save() with no
// arguments, or Save("", false) with ?keep=1. Prints one line:
// SAVED|<name>|<inside or OUTSIDE the folder>, NOFILE|<length> when the
// element counts as an empty file input, or ERR|<message>.
var up = Server.CreateObject("VANT.FileUpload");
var folder = Server.MapPath("/up");
try {
  up.DefaultPath = folder;
  var el = up.Form("f");
  var path = String(Request.QueryString("keep")) == "1" ? el.Save("", false) : el.Save();
  if (path == "") { Response.Write("NOFILE|" + el.FileLen); Response.End(); }
  var inside = path.indexOf(folder + "\\") == 0 && path.substring(folder.length + 1).indexOf("\\") < 0;
  Response.Write("SAVED|" + el.LastSavedFileName + "|" + (inside ? "inside" : "OUTSIDE " + path));
} catch (e) {
  Response.Write("ERR|" + e.source);
}
%>
