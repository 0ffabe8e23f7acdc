<%@ LANGUAGE=JScript %>
<%
function show(name, value) { Response.Write(name + ": " + value + "\n"); }
show("method declared below", "  padded  ".trimBoth() + "|");
function String.prototype.trimBoth() { return this.replace(/^\s+|\s+$/g, ""); }
var Lib = {};
function Lib.twice(x) { return 2 * x; }
show("dotted declaration", Lib.twice(21));

/(\d+)-(\d+)/.exec("call 555-1234 now");
show("RegExp.$1", RegExp.$1);
show("RegExp.$2", RegExp.$2);
show("RegExp.lastMatch", RegExp.lastMatch);
show("RegExp.index", RegExp.index);
show("RegExp.lastIndex", RegExp.lastIndex);
show("RegExp.input", RegExp.input);
"a1b22c".replace(/(\d)+/g, "#");
show("after global replace", RegExp.lastMatch + " " + RegExp.$1);
show("inside a replace callback", "a1b22".replace(/(\d)+/g, function () { return "<" + RegExp.lastMatch + ">"; }));
if (/^(\w+)@(\w+)\.com$/.test("ann@example.com")) show("after test", RegExp.$2);

var connection = new ActiveXObject("ADODB.Connection");
show("ActiveXObject", connection.State);
try { new ActiveXObject("No.Such.Class"); } catch (e) {
  show("ActiveXObject unknown", e.number + " " + e.description);
}
try { Server.Execute("vbscript_block.asp"); } catch (e) {
  show("VBScript block", e.description.indexOf("VBScript is not supported") >= 0);
}
try { Server.Execute("vbscript_page.asp"); } catch (e) {
  show("VBScript page", e.description.indexOf("VBScript is not supported") >= 0);
}
%>
