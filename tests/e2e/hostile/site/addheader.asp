<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><%
// Adds a header, a status, a cookie (or its path or domain) or a redirect
// whose value comes from ?v=.
var v = String(Request.QueryString("v")), what = String(Request.QueryString("what"));
try {
  if (what == "header") Response.AddHeader("X-Echo", v);
  if (what == "name") Response.AddHeader(v, "1");
  if (what == "cookie") Response.Cookies("c") = v;
  if (what == "cookiekey") Response.Cookies("c")(v) = "1";
  if (what == "redirect") Response.Redirect(v);
  if (what == "status") Response.Status = v;
  if (what == "cookiepath") { Response.Cookies("c") = "1"; Response.Cookies("c").Path = v; }
  if (what == "cookiedomain") { Response.Cookies("c") = "1"; Response.Cookies("c").Domain = v; }
  Response.Write("DONE");
} catch (e) {
  Response.Write("ERR|" + e.description);
}
%>
