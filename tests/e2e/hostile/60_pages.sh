# shellcheck shell=bash
# Page sources that abuse the translator and the engine. Each row writes a
# page and names what it must give: its output, or an error page (500); the
# host keeps serving after each.
# Each row: label | page source (printf %b text) | wanted status | wanted body glob.
mkdir -p "$WORK/cases"
while IFS='|' read -r label source want_code want_body; do
  printf '%b' "$source" >"$SITE/abuse.asp"
  code=$(curl -s -o "$WORK/cases/abuse.out" -w '%{http_code}' --max-time 30 "$BASE/abuse.asp")
  expect_like "page: $label" "$code $(tr -d '\0' <"$WORK/cases/abuse.out" | head -c 20000)" "$want_code $want_body"
  [ "$(curl -s --max-time 10 "$BASE/hello.asp")" == hello ] || fail "page: host serves after $label"
done <<'ROWS'
plain page, the control row|<%@ LANGUAGE=JScript %>a<%= 1 + 1 %>b|200|a2b
end marker inside a string|<% var s = "a%>b"; Response.Write(s.length); %>|200|4
end marker inside a single-quoted string|<% Response.Write('x%>y'.length); %>|200|4
end marker inside a line comment ends the block|<% // note %>text|200|text
end marker inside a block comment ends the block|<% /* note %> text */ %>|500|*
unterminated code block|before<% Response.Write(1)|500|*
unterminated expression|before<%= 1|500|*
empty expression writes nothing|a<%= %>b|200|ab
expression of blanks writes nothing|a<%=   %>b|200|ab
nested code blocks|<% <% Response.Write(1) %> %>|500|*
lone end marker is text|a %> b|200|a %> b
server script never closed|<script runat="server">function f() { return 1; }|500|*
server script closed inside a string|<script runat="server">var s = "</script>"; Response.Write(s.length);</script>|*|*
directive twice|<%@ LANGUAGE=JScript %><%@ LANGUAGE=JScript %>x|500|*
directive not first is ignored|x<%@ LANGUAGE=JScript %>|200|x
VBScript page|<%@ LANGUAGE=VBScript %><% Response.Write "x" %>|500|*
unknown code page|<%@ CODEPAGE=99999 %>x|*|*
NUL in the text|a\0b<%= 1 %>|200|a*b1
NUL in the code|<% var a = 1;\0 %>|500|*
invalid UTF-8 in the text is a compilation error|a\xff\xfeb|500|*not valid text in code page 65001 (line 1)*
assignment to a call in a string|<% var s = 'Session("x") = 1'; Response.Write(s); %>|200|Session("x") = 1
syntax error|<% var = ; %>|500|*
thrown string|<% throw "plain"; %>|500|*
thrown null|<% throw null; %>|500|*
endless loop under a short time-out|<% Server.ScriptTimeout = 1; while (true) {} %>|500|*
endless loop inside try|<% Server.ScriptTimeout = 1; while (true) { try { while (true) {} } catch (e) {} } %>|500|*
deep recursion|<% function f(n) { return f(n + 1) + 1; } f(0); %>|500|*
deep recursion caught|<% function f(n) { return f(n + 1) + 1; } try { f(0); } catch (e) { Response.Write("caught"); } %>|200|caught
huge allocation|<% Server.ScriptTimeout = 60; var a = [], s = "x"; for (var i = 0; i < 20; i++) s += s; for (;;) a.push(s + a.length); %>|500|*
doubling string|<% Server.ScriptTimeout = 60; var s = "x"; for (;;) s += s; %>|500|*
huge array index|<% var a = []; a[4294967294] = 1; Response.Write(a.length); %>|200|4294967295
out of memory caught shows its text|<% Server.ScriptTimeout = 60; try { var s = "x"; for (;;) s += s; } catch (e) { Response.Write(e.number + " " + e.source); } %>|200|-2147024882 Out of memory*limit of 256 MB.
page that executes itself|<% Server.Execute("abuse.asp"); %>|500|*at most 32 deep*
page that transfers to itself|<% Server.Transfer("abuse.asp"); %>|500|*at most 32 deep*
pages that execute themselves share one time limit|<% Server.ScriptTimeout = 1; var t = new Date().getTime(); while (new Date().getTime() - t < 400) {} Server.Execute("abuse.asp"); %>|500|*Script timed out*
nested pages share one heap cap|<% Server.ScriptTimeout = 60; var s = "x"; for (var i = 0; i < 26; i++) s += s; Server.Execute("abuse.asp"); %>|500|*Out of memory*
executes itself from deep native recursion|<% function f(n) { if (n == 0) Server.Execute("abuse.asp"); else [0].map(function () { f(n - 1); }); } f(450); %>|500|*
ROWS

# Huge pages: 5 MB of text, and 20,000 code blocks.
{ printf '<%%@ LANGUAGE=JScript %%>'; head -c 5000000 /dev/zero | tr '\0' 't'; printf '<%%= "end" %%>'; } >"$SITE/abuse.asp"
got=$(curl -s --max-time 60 "$BASE/abuse.asp" | wc -c)
expect_eq "page: 5 MB of text is sent whole" "$got" "5000003"
awk 'BEGIN { for (i = 0; i < 20000; i++) printf "<%% n = (typeof n == \"number\" ? n : 0) + 1; %%>."; printf "<%%= n %%>" }' >"$SITE/abuse.asp"
got=$(curl -s --max-time 60 "$BASE/abuse.asp" | tail -c 6)
expect_eq "page: 20,000 code blocks run" "$got" ".20000"
rm -f "$SITE/abuse.asp"

# A failed page's message may name server paths: loopback clients see it,
# a client behind a proxy gets the generic page, the log keeps the text.
printf '%s' '<% throw new Error("cannot open C:\\srv\\hz-secret\\site.db"); %>' >"$SITE/abuse.asp"
expect_has "error page: a local client sees the details" "$(curl -s "$BASE/abuse.asp")" 'hz-secret'
got=$(curl -s -w '|%{http_code}' -H 'X-Forwarded-For: 203.0.113.5' "$BASE/abuse.asp")
expect_like "error page: a client behind a proxy gets the generic page" "$got" "*An error occurred*|500"
expect_lacks "error page: the generic page names no path" "$got" 'hz-secret'
expect_has "error page: the log keeps the message" "$(cat "$WORK/host.err")" 'hz-secret'
rm -f "$SITE/abuse.asp"

# The session cookie is out of scripts' reach, and Secure behind HTTPS.
printf '%s' '<%@ LANGUAGE=JScript %><% Session("a") = 1; %>ok' >"$SITE/session.asp"
expect_like "session cookie: HttpOnly" \
  "$(curl -s -D - -o /dev/null "$BASE/session.asp" | grep -i '^set-cookie: ASPSESSIONID' | tr -d '\r')" "*; HttpOnly"
expect_like "session cookie: Secure when the proxy says HTTPS" \
  "$(curl -s -D - -o /dev/null -H 'X-Forwarded-Proto: https' "$BASE/session.asp" | grep -i '^set-cookie: ASPSESSIONID' | tr -d '\r')" \
  "*; HttpOnly; Secure"
rm -f "$SITE/session.asp"

# Eight pages at the heap cap at once: once they end, their memory goes back
# to the system rather than staying resident.
printf '%s' '<% Server.ScriptTimeout = 60; var a = [], s = "x"; for (var i = 0; i < 20; i++) s += s;
  try { for (;;) a.push(s + a.length); } catch (e) { a = null; Response.Write("full"); } %>' >"$SITE/greedy.asp"
host_rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$HOST_PID/status"; }
rss_before=$(host_rss_kb)
greedy=()
for _ in 1 2 3 4 5 6 7 8; do curl -s --max-time 60 -o /dev/null "$BASE/greedy.asp" & greedy+=($!); done
wait "${greedy[@]}"
grown_mb=$(( ($(host_rss_kb) - rss_before) / 1024 ))
expect_eq "page: heaps at the cap return their memory" \
  "$([ "$grown_mb" -lt 200 ] && echo returned || echo "$grown_mb MB kept")" "returned"
rm -f "$SITE/greedy.asp"
