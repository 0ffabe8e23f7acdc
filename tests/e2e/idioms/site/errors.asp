<%@ LANGUAGE=JScript %>
<%
function show(name, value) { Response.Write(name + ": " + value + "\n"); }
try { noSuchVariable + 1; } catch (e) {
  show("undefined name", e.number + " " + e.description);
}
try { var o = {}; o.noSuchMethod(); } catch (e) {
  show("missing method", e.number + " " + e.description);
}
try { var n = null; n.x = 1; } catch (e) {
  show("null object", e.number);
}
try { Server.NoSuchMember(); } catch (e) {
  show("missing automation member", e.number + " " + e.description);
}
try { var s = "text"; s.length() = 1; } catch (e) {
  show("assignment to a call", e.number + " " + e.description);
}
try { throw new Error(-2147024809, "custom failure"); } catch (e) {
  show("new Error(number, description)", e.number + " " + e.description + " " + e.message);
}
var plain = new Error("plain text");
show("new Error(description)", plain.number + " " + plain.description + " " + plain.message);
try { o.noSuchMethod(); } catch (e) {
  show("engine error is an Error", e instanceof Error);
}
%>
