#!/usr/bin/env bash
# Scripting.Dictionary through a real vant-host: a round trip with Keys and
# Items read through VBArray, the enumerator, insertion order, compare
# modes and the runtime's error numbers.
. "$(dirname "$0")/lib.sh"

page dict.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %><%
function out(name, value) { Response.Write(name + "=" + value + "\n"); }
function keys(d) { return new VBArray(d.Keys()).toArray().join(","); }
var d = Server.CreateObject("Scripting.Dictionary");
d.Add("b", 2); d.Add("a", "one"); d.Item("c") = 3; d("d") = "four";
out("count", d.Count);
out("keys", keys(d));
out("items", new VBArray(d.Items()).toArray().join(","));
out("bounds", new VBArray(d.Keys()).lbound() + ".." + new VBArray(d.Keys()).ubound());
var names = [];
for (var e = new Enumerator(d); !e.atEnd(); e.moveNext()) names.push(e.item() + ":" + d(e.item()));
out("enum", names.join(","));
try { d.Add("a", 9); out("dup", "none"); } catch (x) { out("dup", x.number + " " + x.description); }
try { d.Remove("zz"); out("remove", "none"); } catch (x) { out("remove", x.number + " " + x.description); }
out("exists", d.Exists("a") + "," + d.Exists("A"));
out("missing", typeof d("nokey") + "," + d.Count);
d.Key("a") = "z"; d.Remove("b"); d.Add("b", 22);
out("order", keys(d));
d.Add(1, "n"); out("numeric", d.Exists(1.0) + "," + d.Exists("1"));
var t = Server.CreateObject("scripting.dictionary");
t.CompareMode = 1; t.Add("Key", "v");
out("text", t.Exists("KEY") + "," + t("kEy") + "," + t.CompareMode);
try { t.CompareMode = 0; out("mode", "none"); } catch (x) { out("mode", x.number); }
d.RemoveAll(); out("cleared", d.Count + "," + keys(d));
%>
P

start_host
got=$(curl -sS "$BASE/dict.asp")
line() { grep "^$1=" <<<"$got" | cut -d= -f2-; }
expect_eq "Count after Add, Item put and default put" "$(line count)" 4
expect_eq "Keys() through VBArray in insertion order" "$(line keys)" "b,a,c,d"
expect_eq "Items() through VBArray" "$(line items)" "2,one,3,four"
expect_eq "Keys() is zero-based" "$(line bounds)" "0..3"
expect_eq "Enumerator walks the keys" "$(line enum)" "b:2,a:one,c:3,d:four"
expect_eq "duplicate Add: number and text" "$(line dup)" \
  "-2146827831 This key is already associated with an element of this collection"
expect_eq "Remove of a missing key" "$(line remove)" "-2146795477 Element not found"
expect_eq "binary compare tells case apart" "$(line exists)" "true,false"
expect_eq "reading a missing key adds it empty" "$(line missing)" "undefined,5"
expect_eq "Key rename keeps the place, re-added keys go last" "$(line order)" "z,c,d,nokey,b"
expect_eq "numeric keys by value, not text" "$(line numeric)" "true,false"
expect_eq "text compare ignores case" "$(line text)" "true,v,1"
expect_eq "CompareMode of a filled dictionary" "$(line mode)" "-2146828283"
expect_eq "RemoveAll" "$(line cleared)" "0,"
finish
