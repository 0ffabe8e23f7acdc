<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><%
// op=add|remove puts /cache/<f> into the file cache or takes it out;
// op=clear removes every entry. Answers OK; DUP when the file was already
// cached, ABSENT when it was not (other clients change the same entries);
// ERR with the message for anything else.
var m = Server.CreateObject("VANT.Manager");
var op = String(Request.QueryString("op"));
try {
  if (op == "clear") {
    var keys = [];
    for (var en = new Enumerator(m); !en.atEnd(); en.moveNext()) keys.push(String(en.item()));
    for (var i = 0; i < keys.length; i++) m.RemoveCacheFile(keys[i]);
    Response.Write("OK " + keys.length);
  } else {
    var f = String(Request.QueryString("f"));
    if (!/^[A-Za-z0-9_.-]+$/.test(f)) throw { number: 0, source: "bad name" };
    if (op == "add") m.AddCacheFile("/cache/" + f); else m.RemoveCacheFile("/cache/" + f);
    Response.Write("OK");
  }
} catch (e) {
  var text = String(e.source);
  if (op == "add" && / is already in the cache/.test(text)) Response.Write("DUP");
  else if (op == "remove" && / is not in the cache/.test(text)) Response.Write("ABSENT");
  else Response.Write("ERR " + e.number + " " + text);
}
%>