<!-- #include file="idioms.inc" --><%
function isObject(x) { return typeof x == "object"; }
show("request", function () { return typeof Request; });
show("collection", function () { return typeof Request.QueryString; });
show("collection value", function () { return typeof Request.QueryString("q"); });
show("created object", function () { return typeof Server.CreateObject("VANT.FileUpload"); });
show("object test", function () { return isObject(Request.Cookies); });
show("script function", function () { return typeof isObject; });
show("property called with empty parentheses", function () { return Response.IsClientConnected(); });
show("its typeof", function () { return typeof Response.IsClientConnected(); });
%>
