#!/bin/bash
# Two hosts on one Redis (--state): a session made on one is served by the
# other, Application and its lock are shared, objects are refused, and a
# stopped Redis fails only the pages that use Session or Application until
# it is back, without restarting the hosts.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/redis_lib.sh"
drain_pages
page global.asa <<'P'
<script language=JScript runat=server>
function Session_OnStart() {
  Application.Lock(); Application("starts") = (Application("starts") || 0) + 1; Application.Unlock();
}
</script>
P
page set.asp <<'P'
<% Session("user") = String(Request.QueryString("v")); Response.Write(Session.SessionID) %>
P
page get.asp <<'P'
<%= Session("user") + "|" + Session.SessionID %>
P
page abandon.asp <<'P'
<% Session.Abandon() %>
P
page object.asp <<'P'
<% try { Session("d") = Server.CreateObject("Scripting.Dictionary"); Response.Write("kept") }
   catch (e) { Response.Write("refused: " + e.description) } %>
P
page forget.asp <<'P'
<% Session.Contents.Remove("user"); Session.Timeout = 5 %>
P
page plain.asp <<'P'
plain
P
page incr.asp <<'P'
<%@ ENABLESESSIONSTATE=False %><% Application.Lock(); var n = Application("n") || 0;
Application("n") = n + 1; Application.Unlock(); %>
P
page app.asp <<'P'
<%@ ENABLESESSIONSTATE=False %><%= Application(Request.QueryString("k")) %>
P

start_redis
start_host --state "$REDIS_URL"
A=$BASE
start_host_b --state "$REDIS_URL"
B=$BASE_B

# cookie_of HEADERS: the session cookie "NAME=VALUE" a response set.
cookie_of() { grep -i '^set-cookie: ASPSESSIONID' <<<"$1" | head -1 | sed 's/^[^:]*: //; s/;.*//'; }

made=$(curl -si "$A/set.asp?v=alice")
cookie=$(cookie_of "$made")
id=$(tail -1 <<<"$made")
expect_eq "session made on A is read on B" "$(curl -s -b "$cookie" "$B/get.asp")" "alice|$id"
curl -s -b "$cookie" "$B/set.asp?v=bob" >/dev/null
expect_eq "session changed on B is read on A" "$(curl -s -b "$cookie" "$A/get.asp")" "bob|$id"
expect_eq "Session_OnStart ran once for the session" "$(curl -s "$B/app.asp?k=starts")" "1"
other=$(tail -1 <<<"$(curl -si "$B/set.asp?v=carol")")
[ "$other" != "$id" ] && pass "a session made on B has its own SessionID" ||
  fail "a session made on B has its own SessionID" "$other"
expect_has "an object is refused from a shared session" \
  "$(curl -s -b "$cookie" "$A/object.asp")" "refused: Only strings, numbers"

curl -s -b "$cookie" "$B/forget.asp" >/dev/null
expect_eq "a value removed on B is gone on A" "$(curl -s -b "$cookie" "$A/get.asp")" "undefined|$id"
ttl=$(rcli PTTL "vant:session:${cookie#*=}")
[ "$ttl" -gt 200000 ] && [ "$ttl" -le 300000 ] && pass "Session.Timeout sets the store's timer" ||
  fail "Session.Timeout sets the store's timer" "$ttl"

curl -s -b "$cookie" "$A/abandon.asp" >/dev/null
after=$(curl -si -b "$cookie" "$B/get.asp")
expect_has "an abandoned session is gone on the other host" "$after" "undefined|"
[ -n "$(cookie_of "$after")" ] && [ "$(cookie_of "$after")" != "$cookie" ] &&
  pass "the next request gets a new session cookie" ||
  fail "the next request gets a new session cookie" "$(cookie_of "$after")"

# 2 x 100 increments through each host at once, each under Application.Lock.
loops=()
for base in "$A" "$A" "$B" "$B"; do
  curl -s "$base/incr.asp?[1-100]" >/dev/null &
  loops+=($!)
done
wait "${loops[@]}"
expect_eq "Application.Lock orders increments across hosts" "$(curl -s "$A/app.asp?k=n")" "400"
# A lock left by a host that died holds until its lease ends, then frees.
rcli SET vant:app:lock dead-host PX 1500 >/dev/null
waited=$(curl -s -o /dev/null -w '%{time_total}' "$B/incr.asp")
expect_eq "a dead host's lock is waited for, then taken" \
  "$(awk -v t="$waited" 'BEGIN { print (t >= 1.0) }'):$(curl -s "$A/app.asp?k=n")" "1:401"

stop_redis
down=$(curl -s -w ' %{http_code}' -b "$cookie" "$A/get.asp")
expect_has "a Session page names the unreachable store" "$down" "$REDIS_URL"
expect_has "and fails" "$down" " 500"
expect_has "an Application page names it too" "$(curl -s "$B/app.asp?k=n")" "$REDIS_URL"
expect_eq "a page without session state still runs" "$(curl -s "$A/hello.asp")" "hello"
plain=$(curl -si "$B/plain.asp")
expect_has "a session page that does not use Session still runs" "$plain" "plain"
expect_eq "and gets no cookie of a session that was not made" "$(cookie_of "$plain")" ""
expect_has "the host logs the store going away" "$(cat "$WORK/host.err")" "/0 unreachable"

# status_when_back URL: the status of URL once it is 200, or after 5 s.
status_when_back() {
  local status=""
  for _ in $(seq 1 50); do
    status=$(curl -s "$1" -o /dev/null -w '%{http_code}')
    [ "$status" = 200 ] && break
    sleep 0.1
  done
  echo "$status"
}
restart_redis
expect_eq "the host reconnects once Redis is back" "$(status_when_back "$A/set.asp?v=dave")" "200"
expect_eq "and so does the other one" "$(status_when_back "$B/get.asp")" "200"
curl -s "$B/incr.asp" >/dev/null
expect_eq "Application works again" "$(curl -s "$A/app.asp?k=n")" "1"
finish
