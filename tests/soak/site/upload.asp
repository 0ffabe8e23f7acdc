<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><%
// Saves every file of the form into /up/<w> (overwrite on) under the name the
// client sent, and lists each element so the client can check what arrived.
var up = Server.CreateObject("VANT.FileUpload");
try {
  var folder = String(Request.QueryString("w"));
  if (!/^w[0-9]+$/.test(folder)) throw { source: "bad folder" };
  up.CodePage = 65001;
  up.AutoMakeFolder = true;
  up.DefaultPath = Server.MapPath("/up/" + folder);
  if (Request.QueryString("pid").Count > 0) up.SetProgress(Number(Request.QueryString("pid")));
  for (var names = new Enumerator(up.Form); !names.atEnd(); names.moveNext()) {
    for (var items = new Enumerator(names.item()); !items.atEnd(); items.moveNext()) {
      var el = items.item();
      if (!el.IsFileItem()) { Response.Write("FIELD " + el.Name + "=" + el.Value + "\n"); continue; }
      el.Save("", true);
      Response.Write("FILE " + el.Name + "|" + el.FileLen + "|" + el.LastSavedFileName + "\n");
    }
  }
  Response.Write("DONE\n");
} catch (e) {
  Response.Write("ERR " + e.number + " " + e.source + "\n");
}
%>