<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><%
// Reports what the request objects make of the query string, form and
// cookies: Q|<keys>|<a, its length>|F|<keys>|C|<names>|<length of c>.
function Count(c) { var n = 0; for (var e = new Enumerator(c); !e.atEnd(); e.moveNext()) n++; return n; }
try {
  var a = Request.QueryString("a").Count > 0 ? String(Request.QueryString("a")) : "";
  Response.Write("Q|" + Count(Request.QueryString) + "|" + a.replace(/[^ -~]/g, "?") + "," + a.length +
                 "|F|" + Count(Request.Form) + "|C|" + Count(Request.Cookies) + "|" +
                 String(Request.Cookies("c")).length);
} catch (e) {
  Response.Write("ERR|" + e.description);
}
%>
