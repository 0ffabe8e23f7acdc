#!/usr/bin/env bash
# The sample upload with progress through nginx configured from the snippet
# in docs/deploy.md (TLS at the proxy, the host on loopback with the
# document's options): progress moves during the upload, the page sees the
# visitor's address and HTTPS, and the access log tells a cancelled upload
# from a completed one.
. "$(dirname "$0")/lib.sh"

NGINX=$(command -v nginx || echo /usr/sbin/nginx)
if [ ! -x "$NGINX" ] || ! command -v openssl >/dev/null; then
  echo "nginx or openssl missing: skipped"; echo "0 passed, 0 failed"; exit 0
fi
DOC=$SOURCE/docs/deploy.md

# The fenced block of LANG that follows the line HEADING in the document.
doc_block() {
  awk -v heading="$1" -v fence="\`\`\`$2" '
    $0 == heading { found = 1; next }
    found && $0 == fence { inside = 1; next }
    inside && $0 == "```" { exit }
    inside { print }' "$DOC"
}

cp -r "$SOURCE/site/." "$SITE/"
page upload/whoami.asp <<'P'
<%@ ENABLESESSIONSTATE=False %><%= Request.ServerVariables("REMOTE_ADDR") %>|<%= Request.ServerVariables("HTTPS") %>|<%= Request.ServerVariables("SERVER_PORT_SECURE") %>
P
# The host's options as the document gives them, but its own port and paths.
read -r -a doc_options <<<"$(doc_block '## Behind a reverse proxy' sh | tr -d '\\\n' |
  sed -e 's/^vant-host //' -e 's/--site [^ ]*//' -e 's/--listen [^ ]*//')"
start_host --upload-folder /uploads "${doc_options[@]}"
host_port=${BASE##*:}

NG=$WORK/nginx
mkdir -p "$NG/tmp"
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost \
  -keyout "$NG/key.pem" -out "$NG/cert.pem" 2>/dev/null
proxy_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
{
  echo "daemon off; master_process on; worker_processes 1; pid $NG/nginx.pid;"
  [ "$(id -u)" = 0 ] && echo "user root root;"
  echo "error_log $NG/error.log warn; events { worker_connections 256; }"
  echo "http { access_log off; client_body_temp_path $NG/tmp/body; proxy_temp_path $NG/tmp/proxy;"
  doc_block '### nginx' nginx | sed \
    -e "s|127.0.0.1:8080|127.0.0.1:$host_port|" \
    -e "s|listen 443 ssl;|listen 127.0.0.1:$proxy_port ssl;|" \
    -e "s|ssl_certificate .*|ssl_certificate $NG/cert.pem;|" \
    -e "s|ssl_certificate_key .*|ssl_certificate_key $NG/key.pem;|"
  echo "}"
} >"$NG/nginx.conf"
"$NGINX" -p "$NG" -c "$NG/nginx.conf" >"$NG/stdout" 2>&1 &
NGINX_PID=$!
trap 'kill "$NGINX_PID" 2>/dev/null; wait "$NGINX_PID" 2>/dev/null; cleanup' EXIT
PROXY=https://127.0.0.1:$proxy_port
for _ in $(seq 50); do curl -sk -o /dev/null "$PROXY/" && break; sleep 0.1; done
via() { curl -sk --max-time 60 --interface 127.0.0.3 "$@"; }

# A visitor on another loopback address: the page sees it, and HTTPS, even
# when the visitor sends its own forwarding headers.
expect_eq "through the proxy: the visitor's address and HTTPS" \
  "$(via -H 'X-Forwarded-For: 198.51.100.1' -H 'Forwarded: for=198.51.100.2' \
      "$PROXY/upload/whoami.asp")" "127.0.0.3|on|1"
expect_eq "directly: forwarding headers of an untrusted peer change nothing" \
  "$(curl -s --interface 127.0.0.3 -H 'X-Forwarded-For: 198.51.100.1' -H 'X-Forwarded-Proto: https' \
      "$BASE/upload/whoami.asp")" "127.0.0.3|off|0"
expect_eq "status: refused to a visitor the trusted proxy names" \
  "$(curl -s -o /dev/null -w '%{http_code}' -H 'X-Forwarded-For: 203.0.113.5' "$BASE/server-status")" "403"
expect_has "status: read on the host itself" "$(curl -s "$BASE/server-status?json")" '"uploads_in_progress":'
expect_eq "ping through the proxy" "$(via "$PROXY/ping")" "pong"

# The sample's form page gives the progress id and the form token.
jar=$WORK/jar
form=$(via -c "$jar" -b "$jar" "$PROXY/upload/modern.asp")
action=$(grep -o 'action="save.asp?pid=[^"]*"' <<<"$form" | sed -e 's/^action="save.asp?//' -e 's/"$//' -e 's/&amp;/\&/g')
pid=$(sed -e 's/^pid=//' -e 's/&.*//' <<<"$action")
expect_eq "the form page gives a progress id" "$([[ "$pid" =~ ^[0-9]+$ ]] && echo yes || echo "$form")" "yes"
head -c 3000000 /dev/urandom >"$WORK/plans.bin"
via -b "$jar" --limit-rate 400k -F "file1=@$WORK/plans.bin" \
  "$PROXY/upload/save.asp?$action&fragment=1" >"$WORK/up.out" &
upload=$!
# Progress read through the proxy while the upload runs: it must move
# between 0 and the total, not sit at 0 and jump to done.
moving=0
last=0
while kill -0 "$upload" 2>/dev/null; do
  now=$(via -b "$jar" "$PROXY/upload/progress.asp?id=$pid" | grep -o '"transferred":[0-9]*' | cut -d: -f2)
  if [ "${now:-0}" -gt "$last" ] && [ "$now" -lt 3000000 ]; then moving=$((moving + 1)); fi
  last=${now:-$last}
  sleep 0.5
done
wait "$upload"
expect_eq "progress rises during the upload" "$([ "$moving" -ge 3 ] && echo yes || echo "$moving rises")" "yes"
expect_has "the upload completes through the proxy" "$(cat "$WORK/up.out")" "plans.bin"
expect_eq "the saved file is byte-exact" "$(cmp "$WORK/plans.bin" "$SITE/uploads/plans.bin" && echo same)" "same"

# A visitor who cancels an upload: the access log says so, whatever the status.
via -b "$jar" --limit-rate 200k --max-time 2 -F "file1=@$WORK/plans.bin" \
  "$PROXY/upload/save.asp?$action&fragment=1" >/dev/null
sleep 1
log_line=$(grep 'POST /upload/save.asp' "$WORK/host.err" | tail -1)
expect_has "access log: the cancelled upload says cancelled" "$log_line" " cancelled"
expect_has "access log: the visitor's address" "$log_line" "127.0.0.3 - - ["
expect_has "access log: the completed upload says complete" \
  "$(grep 'POST /upload/save.asp' "$WORK/host.err" | head -1)" " complete"
finish
