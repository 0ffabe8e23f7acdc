#!/usr/bin/env bash
# Pages: directives, includes, script blocks, query and form decoding,
# cookies, sessions, errors, ScriptTimeout and Response.End.
. "$(dirname "$0")/lib.sh"

page inc/head.inc <<'P'
<% function Title(t) { return "<h1>" + t + "</h1>"; } %>
P
page inc/nested.inc <<'P'
<!-- #include file="head.inc" -->
P
page basic.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include virtual="/inc/nested.inc" -->
<%= Title("hello") %>
<% Response.Write("late=" + Late()); %>
<script language="JScript" runat="server">
function Late() { return "yes"; }
</script>
P
page query.asp <<'P'
<%@ CODEPAGE=65001 %><%= Request.QueryString("q") %>|<%= Request.QueryString("n").Count %>|<%= Request.QueryString("n") %>
P
page form.asp <<'P'
<%@ CODEPAGE=65001 %><%= Request.Form("a") %>|<%= Request("b") %>
P
# Objects used as values while the page holds many others: a default
# value that is itself an object is read twice, the table of held objects
# growing in between.
page coerce.asp <<'P'
<% var keep = [], text = [];
for (var i = 0; i < 40; i++) { keep.push(Request.Form); text.push("" + Request.Cookies); }
Response.Write(text[39] + "|" + String(Request.Cookies) + "|" + (Request.Cookies == "") + "|");
Response.Write("/" + Request.QueryString("d") + "/" + String(Request.QueryString("f")) + "|");
Response.Write(Request.QueryString("f").Count + "|" + Request.querystring("f")(2) + "|" + Request.Form("x")); %>
P
page legacy.asp <<'P'
<%@ CODEPAGE=949 %><%= Request.QueryString("k").Count %>
P
page cookies.asp <<'P'
<% Response.Cookies("pref")("color") = "blue"; Response.Cookies("pref")("size") = "L"; %>
got=<%= Request.Cookies("pref")("color") %>
P
page counter.asp <<'P'
<% Session("n") = (Session("n") || 0) + 1; %><%= Session("n") %>
P
page slow_session.asp <<'P'
<% var t = new Date().getTime(); while (new Date().getTime() - t < 1500) {} %>done
P
page nosession.asp <<'P'
<%@ ENABLESESSIONSTATE=False %>fast
P
page vb.asp <<'P'
<%@ LANGUAGE=VBScript %>
<% Response.Write "x" %>
P
page loop.asp <<'P'
<% Server.ScriptTimeout = 1; try { while (true) {} } catch (e) { Response.Write("caught"); } %>
P
page end.asp <<'P'
<% try { Response.Write("before|"); Response.End(); Response.Write("after"); } finally { Response.Write("finally"); } %>
P
page comperr.asp <<'P'
<% var up = Server.CreateObject("VANT.FileUpload");
   try { var p = up.DefaultPath; Response.Write("no error"); }
   catch (e) { Response.Write("number=" + e.number + "|source=" + e.source + "|description=" + e.description); } %>
P
page uncaught.asp <<'P'
<% var x = 1;
   undefinedFunction(); %>
P
page binread.asp <<'P'
<% var total = 0, chunk; while ((chunk = Request.BinaryRead(65536)) && new VBArray(chunk).ubound() >= 0) { total += new VBArray(chunk).ubound() + 1; } Response.Write(total); %>
P

# The application file's text is never output, not even to the request
# that starts the application (a download would begin with it).
page global.asa <<'P'
stray text
<script language="JScript" runat="server">
function Application_OnStart() { Application("started") = 1; }
</script>
P

start_host --max-body 10000000

body=$(curl -s "$BASE/basic.asp")
expect_lacks "global.asa text is not sent" "$body" "stray text"
expect_has "nested include defines a function" "$body" "<h1>hello</h1>"
expect_has "script block functions visible" "$body" "late=yes"

body=$(curl -s "$BASE/query.asp?q=%ED%95%9C+%EA%B8%80&n=1&n=2")
expect_eq "UTF-8 query decoding, Count and join" "$(echo "$body" | tr -d '\n')" "한 글|2|1, 2"

body=$(curl -s --data-urlencode "a=日本語" --data "b=x%2By" "$BASE/form.asp")
expect_eq "urlencoded form, Request(name)" "$(echo "$body" | tr -d '\n')" "日本語|x+y"

body=$(curl -s -b "c=v" "$BASE/coerce.asp?d=files&f=a&f=b")
expect_eq "objects coerced to text, collections read with arguments" "$body" "||true|/files/a, b|2|b|undefined"

body=$(curl -s "$BASE/legacy.asp?k=%C7%D1")
expect_eq "CP949 query value counted" "$(echo "$body" | tr -d '\n')" "1"

jar=$WORK/jar
body=$(curl -s -c "$jar" -b "$jar" "$BASE/cookies.asp")
body=$(curl -s -c "$jar" -b "$jar" "$BASE/cookies.asp")
expect_has "keyed cookie round trip" "$body" "got=blue"

curl -s -c "$jar" -b "$jar" "$BASE/counter.asp" >/dev/null
body=$(curl -s -c "$jar" -b "$jar" "$BASE/counter.asp" | tr -d '\n ')
expect_eq "session keeps state between requests" "$body" "2"

start=$(date +%s%N)
curl -s -c "$jar" -b "$jar" "$BASE/slow_session.asp" >/dev/null &
slow_pid=$!
sleep 0.3
fast=$(curl -s -b "$jar" -w '%{time_total}' -o /dev/null "$BASE/nosession.asp")
expect_eq "sessionless page does not wait" "$(awk -v t="$fast" 'BEGIN{print (t < 1.0) ? "fast" : "slow"}')" "fast"
curl -s -b "$jar" "$BASE/counter.asp" >/dev/null
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
wait "$slow_pid"
expect_eq "two session pages run one after the other" "$([ "$elapsed" -ge 1400 ] && echo serial || echo overlap)" "serial"

body=$(curl -s -w '%{http_code}' "$BASE/vb.asp")
expect_has "VBScript page refused" "$body" "JScript pages only"
expect_has "VBScript page status" "$body" "500"

body=$(curl -s -w '%{http_code}' --max-time 20 "$BASE/loop.asp")
expect_lacks "timeout cannot be caught" "$body" "caught"
expect_has "timeout status" "$body" "500"

body=$(curl -s "$BASE/end.asp")
expect_eq "Response.End stops the page, finally does not write" "$(echo "$body" | tr -d '\n')" "before|"

body=$(curl -s "$BASE/comperr.asp")
expect_has "component error number" "$body" "number=-2147467259"
expect_has "component error description" "$body" "description=VANTUpload Professional"
expect_lacks "component error source is the message" "$body" "source=|"

body=$(curl -s -w '%{http_code}' "$BASE/uncaught.asp")
expect_has "uncaught error page names the line" "$body" "line 2"
expect_has "uncaught error status" "$body" "500"

head -c 3000000 /dev/urandom >"$WORK/body.bin"
body=$(curl -s --data-binary @"$WORK/body.bin" -H 'Content-Type: application/octet-stream' "$BASE/binread.asp")
expect_eq "BinaryRead drains a Content-Length body" "$body" "3000000"
body=$(curl -s --data-binary @"$WORK/body.bin" -H 'Transfer-Encoding: chunked' -H 'Content-Type: application/octet-stream' "$BASE/binread.asp")
expect_eq "BinaryRead drains a chunked body" "$body" "3000000"

head -c 11000000 /dev/zero >"$WORK/big.bin"
code=$(curl -s -o /dev/null -w '%{http_code}' --data-binary @"$WORK/big.bin" "$BASE/binread.asp")
expect_eq "body over --max-body answered 413" "$code" "413"

# A page rewritten at once shows its new text at its own path and as its
# folder's default document (the lookup's view of the file decides).
mkdir -p "$SITE/edit"
for target in edit/default.asp edit/; do
  printf '<%%= "v1" %%>' >"$SITE/edit/default.asp"
  first=$(curl -s "$BASE/$target")
  printf '<%%= "v22" %%>' >"$SITE/edit/default.asp"
  expect_eq "rewritten page served anew ($target)" "$first $(curl -s "$BASE/$target")" "v1 v22"
done

finish
