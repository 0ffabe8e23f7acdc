#!/usr/bin/env bash
# Pages on one worker share a script heap between requests: after any page,
# however hostile, the next page must meet a pristine engine. Each row runs a
# hostile page on every worker of a multi-threaded host (requests in
# parallel), then the probe page on every worker; the probe names every
# deviation it finds and otherwise writes "pristine".
. "$(dirname "$0")/lib.sh"

page hello.asp <<<'hello'
# The probe loads the preludes too (it names RegExp and Enumerator).
page probe.asp <<'P'
<% var bad = [];
function check(label, ok) { try { if (!ok()) bad.push(label); } catch (e) { bad.push(label + " threw " + e.message); } }
check("global", function () { return typeof leaked == "undefined" && !("leaked" in this); });
check("var global", function () { return typeof leakedVar == "undefined"; });
check("push", function () { var a = []; a.push(7); return a.length == 1 && a[0] == 7; });
check("stringify", function () { return typeof JSON.stringify == "function" && JSON.stringify([1]) == "[1]"; });
check("prototype getter", function () { return !("spy" in {}) && ({}).spy === undefined; });
check("prototype index", function () { return ({})[0] === undefined && [][0] === undefined && [].length == 0; });
check("math", function () { return Object.isExtensible(Math) && !Object.isFrozen(Math) && Math.PI > 3.14 && Math.max(1, 2) == 2; });
check("closure", function () { return "".stash === undefined && Math.cache === undefined && [].resp === undefined; });
check("function prototype", function () { return (function () {}).call.length == 1 && Function.prototype.extra === undefined; });
check("regexp statics", function () { return RegExp.$1 === "" && RegExp.lastMatch === ""; });
check("prototype chain", function () { return Object.getPrototypeOf(Math) === Object.prototype && Object.getPrototypeOf([]) === Array.prototype; });
check("array prototype length", function () { return Array.prototype.length === 0; });
check("error", function () { return Error.prototype.message === "" && typeof Error.captureStackTrace == "undefined"; });
check("builtin global", function () { return typeof JSON == "object" && typeof parseInt == "function" && parseInt("12") == 12; });
check("string", function () { return "abc".toUpperCase() == "ABC" && "a-b".split("-").length == 2; });
check("date", function () { return typeof Date.prototype.getVarDate == "function" && new Date(0).getTime() == 0; });
check("intrinsics", function () { return Object.getOwnPropertyDescriptor(Request, "spy") === undefined && Object.getOwnPropertyDescriptor(Server, "spy") === undefined; });
check("enumerator", function () { return typeof Enumerator == "function" && Enumerator.prototype.spy === undefined; });
Response.Write(bad.length ? "dirty: " + bad.join(", ") : "pristine"); %>
P

start_host --threads 3

# parallel N PAGE: N requests at once (so every worker takes some); prints
# each response's status and body on one line.
parallel() {
  seq 1 "$1" | xargs -P 6 -I{} sh -c 'echo "$(curl -s --max-time 60 -w " %{http_code}" "$0" | tr -d "\n")"' "$BASE/$2"
}

# Each row: label | requests | hostile page body (server script)
while IFS='|' read -r label count source; do
  printf '<%% %s %%>' "$source" >"$SITE/hostile.asp"
  parallel "$count" hostile.asp >/dev/null
  got=$(parallel 12 probe.asp | sort | uniq -c | tr -s ' ')
  expect_eq "next page pristine after: $label" "$got" " 12 pristine 200"
done <<'ROWS'
adds globals|12|leaked = 1; var leakedVar = 2; this.leaked2 = 3;
replaces Array.prototype.push|12|Array.prototype.push = function () { return "hacked"; };
deletes JSON.stringify|12|delete JSON.stringify;
adds a getter to Object.prototype|12|Object.defineProperty(Object.prototype, "spy", { get: function () { return Response; }, enumerable: false, configurable: false });
writes indexes on prototypes|12|Object.prototype[0] = "x"; Array.prototype.push.call(Array.prototype, "y");
freezes Math|12|Object.freeze(Math);
makes Math non-extensible|12|Object.preventExtensions(Math);
leaves closures in built-ins|12|var secret = "s"; String.prototype.stash = function () { return secret; }; Math.cache = { f: function () { return Request; } }; Array.prototype.resp = Response;
changes Function.prototype|12|Function.prototype.extra = 1; Object.defineProperty(Function.prototype.call, "length", { value: 9 });
leaves RegExp statics|12|/(sec)ret/.exec("secret"); "xsecretx".replace(/(s)ecret/, "$1");
lengthens Array.prototype|12|Array.prototype.length = 5;
only swaps a prototype|12|Object.setPrototypeOf(Math, null);
swaps prototypes|12|Object.setPrototypeOf(Math, Array.prototype); Object.setPrototypeOf(Array.prototype, null);
changes Error|12|Error.prototype.message = "leak"; Error.captureStackTrace = 1;
replaces global built-ins|12|JSON = 1; parseInt = function () { return 0; }; var Enumerator = 5;
re-adds a deleted built-in after the others|12|delete JSON.stringify; JSON.stringify = function () { return "leak"; };
adds enough globals to move the global table|12|for (var i = 0; i < 300; i++) this["leaked" + (i ? i : "")] = i;
changes String.prototype|12|String.prototype.toUpperCase = String.prototype.toLowerCase; delete String.prototype.split;
changes the preludes|12|Enumerator.prototype.spy = 1; delete Date.prototype.getVarDate; Date.prototype.getTime = function () { return 1; };
defines properties on the intrinsics|12|Object.defineProperty(Request, "spy", { value: 1 }); Object.defineProperty(Server, "spy", { get: function () { return Response; } });
throws mid-page|12|leaked = 1; Math.cache = 2; throw new Error("boom");
ends the response mid-page|12|leaked = 1; Array.prototype.push = null; Response.End();
times out|4|leaked = 1; Math.cache = 3; Server.ScriptTimeout = 1; while (true) {}
runs out of memory|4|leaked = 1; Math.cache = 4; Server.ScriptTimeout = 60; var s = "x"; for (;;) s += s;
ROWS

# A heap keeps a page's compiled function from run to run; a run reaches it
# (Duktape.act) but cannot leave anything on it for the next.
page own.asp <<<'<% var f = Duktape.act(-2).function; var seen = f.leak; try { f.leak = Request.QueryString("v") + ""; } catch (e) {} Response.Write(seen === undefined ? "clean" : "leak") %>'
got=$(parallel 24 "own.asp?v=secret" | sort | uniq -c | tr -s ' ')
expect_eq "a page leaves nothing on its own function" "$got" " 24 clean 200"

# The limits hold on a reused heap: after many small pages, each worker still
# stops an endless page and a page that exhausts memory, and a page's error
# text never shows in the next page.
page loop.asp <<<'<% Server.ScriptTimeout = 1; while (true) {} %>'
page oom.asp <<<'<% Server.ScriptTimeout = 60; try { var s = "x"; for (;;) s += s; } catch (e) { Response.Write(e.number); } %>'
page fails.asp <<<'<% throw new Error("secret failure"); %>'
parallel 24 hello.asp >/dev/null
got=$(parallel 6 loop.asp | awk '{ print $NF }' | sort | uniq -c | tr -s ' ')
expect_eq "endless page stops on every worker" "$got" " 6 500"
got=$(parallel 6 oom.asp | sort | uniq -c | tr -s ' ')
expect_eq "memory cap holds on every worker" "$got" " 6 -2147024882 200"
got=$( { parallel 6 fails.asp >/dev/null; parallel 12 hello.asp; } | sort | uniq -c | tr -s ' ')
expect_eq "an error stays in its page" "$got" " 12 hello 200"

finish
