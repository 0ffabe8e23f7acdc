<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><%
// Parses the body and lists the form: FORM|<count>|name=value;... or ERR|<message>.
var up = Server.CreateObject("VANT.FileUpload");
try {
  up.DefaultPath = Server.MapPath("/up");
  var out = [];
  for (var names = new Enumerator(up.Form); !names.atEnd(); names.moveNext()) {
    var el = names.item()(1);
    out.push(el.Name + "=" + (el.IsFileItem() ? "file:" + el.FileLen : el.Value));
  }
  Response.Write("FORM|" + up.Form.Count + "|" + out.slice(0, 5).join(";"));
} catch (e) {
  Response.Write("ERR|" + e.source);
}
%>
