#!/usr/bin/env bash
# The page host in headless Chromium: cookies, sessions, forms, redirects,
# session serialization and unbuffered output as a browser experiences them.
. "$(dirname "$0")/lib.sh"

browser_dir=$SOURCE/tests/e2e/browser
if [ ! -x /usr/bin/chromium ]; then echo "chromium missing"; exit 1; fi
if [ ! -d "$browser_dir/node_modules/playwright-core" ]; then
  (cd "$browser_dir" && npm ci --no-audit --no-fund >/dev/null) || { echo "npm ci failed"; exit 1; }
fi

page cookies.asp <<'P'
<% Response.Cookies("pref")("color") = "blue"; Response.Cookies("pref")("size") = "L"; %>
got=<%= Request.Cookies("pref")("color") %>/<%= Request.Cookies("pref")("size") %>
P
page counter.asp <<'P'
<% Session("n") = (Session("n") || 0) + 1; %><%= Session("n") %>
P
page form.asp <<'P'
<%@ CODEPAGE=65001 %><% Response.CharSet = "utf-8";
if (Request.ServerVariables("REQUEST_METHOD") == "POST") { Response.Write("posted=" + Request.Form("t")); Response.End(); } %>
<form method="post" accept-charset="utf-8"><input name="t"><button>Send</button></form>
P
page redirect.asp <<'P'
<% Response.Redirect("counter.asp"); %>
P
page slow_session.asp <<'P'
<% var t = new Date().getTime(); while (new Date().getTime() - t < 1500) {} %>done
P
page nosession.asp <<'P'
<%@ ENABLESESSIONSTATE=False %>fast
P
page stream.asp <<'P'
<%@ ENABLESESSIONSTATE=False %><% Response.Buffer = false; Response.Write("first|");
var t = new Date().getTime(); while (new Date().getTime() - t < 1000) {}
Response.Write("last"); %>
P

start_host
json=$(node "$browser_dir/host.mjs" "$BASE" 2>&1 | tail -1)
echo "${json:0:600}"
field() { echo "$json" | grep -o "\"$1\":[^,}]*" | head -1 | cut -d: -f2- | tr -d '"'; }

expect_eq "keyed cookie kept by the browser and read back" "$(field cookieEcho)" "got=blue/L"
expect_has "session cookie accepted by the browser" "$json" "ASPSESSIONID"
expect_eq "session persists across navigations" "$(field counter)" "2"
expect_eq "browser form posted in UTF-8 decoded" "$(field posted)" "posted=한국어 テキスト"
expect_eq "redirect followed" "$(field redirectedTo)" "/counter.asp"

slow=$(field slow); fast=$(field fast); second=$(field second)
expect_eq "sessionless page of the same browser does not wait" \
  "$(awk -v f="$fast" -v s="$slow" 'BEGIN { print (f < s - 500) ? "yes" : "no (" f " vs " s ")" }')" "yes"
# The session is let go as the first page ends, so the second one may be
# answered within the same millisecond and read first; had it not waited it
# would end about 1.2 s earlier.
expect_eq "a second session page waits for the first" \
  "$(awk -v n="$second" -v s="$slow" 'BEGIN { print (n >= s - 100) ? "yes" : "no (" n " vs " s ")" }')" "yes"

first=$(field firstAt); end=$(field endAt)
expect_eq "unbuffered output reaches the browser before the page ends" \
  "$(awk -v a="$first" -v b="$end" 'BEGIN { print (a < b - 500) ? "yes" : "no (" a " vs " b ")" }')" "yes"
expect_has "streamed text complete" "$(field text)" "first|last"

finish
