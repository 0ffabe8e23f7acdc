<!-- #include file="idioms.inc" --><%
show("cookie item", function () { return Request.Cookies.Item("plain"); });
show("cookie key item", function () { return Request.Cookies.Item("pref").Item("color"); });
show("missing cookie item", function () { return "[" + Request.Cookies.Item("none") + "]"; });
show("expires month name", function () {
  Response.Cookies("a") = "1";
  Response.Cookies("a").Expires = "January 1, 2030";
  return "set";
});
%>
