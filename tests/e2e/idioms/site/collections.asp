<!-- #include file="idioms.inc" --><%
show("value item lowercased", function () { return Request.QueryString("q").Item.toLowerCase(); });
show("value item typeof", function () { return typeof Request.QueryString("one").Item; });
show("servervariables item", function () { return Request.ServerVariables.Item("REQUEST_METHOD"); });
var up = Server.CreateObject("VANT.FileUpload");
up.DefaultPath = Server.MapPath("/db");
show("upload form item", function () { return up.Form.Item("note"); });
show("upload form item by position", function () { return up.Form.Item(2).Item(1).Name; });
show("upload form item without arguments", function () { return up.Form.Item().Count; });
%>
