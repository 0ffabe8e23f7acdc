<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><%
// Makes a w x h thumbnail of /img/<src> as /thumbs/<t>.jpg and answers the
// size the written file reads back with.
try {
  var src = String(Request.QueryString("src")), t = String(Request.QueryString("t"));
  if (!/^[A-Za-z0-9_.-]+$/.test(src) || !/^[A-Za-z0-9_]+$/.test(t)) throw { number: 0, source: "bad name" };
  var img = Server.CreateObject("VANT.ImageProc");
  if (!img.SetSourceFile(Server.MapPath("/img/" + src))) throw { number: 0, source: "not an image: " + src };
  var target = Server.MapPath("/thumbs/" + t + ".jpg");
  img.SaveAsThumbnail(target, Number(Request.QueryString("w")), Number(Request.QueryString("h")), true);
  var back = Server.CreateObject("VANT.ImageProc");
  if (!back.SetSourceFile(target)) throw { number: 0, source: "thumbnail does not read back" };
  Response.Write("THUMB " + back.ImageWidth + " " + back.ImageHeight + " " + back.ImageFormat);
} catch (e) {
  Response.Write("ERR " + e.number + " " + e.source);
}
%>