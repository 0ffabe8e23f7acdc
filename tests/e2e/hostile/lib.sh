# shellcheck shell=bash
# Helpers shared by the hostile-input case files (sourced after
# tests/e2e/lib.sh and once the host runs).

# expect_like NAME GOT PATTERN: GOT matches the bash glob PATTERN.
expect_like() {
  # shellcheck disable=SC2053  # the pattern is a glob on purpose
  if [[ "$2" == $3 ]]; then pass "$1"; else fail "$1" "$(printf '%q' "${2:0:300}") (wanted $3)"; fi
}

# still_serving GROUP: the host process lives and answers a plain page.
still_serving() {
  local body
  body=$(curl -s --max-time 10 "$BASE/hello.asp")
  if kill -0 "$HOST_PID" 2>/dev/null && [ "$body" == "hello" ]; then
    pass "host still serves after $1"
  else
    fail "host still serves after $1" "$body"
    finish
  fi
}

# raw_send FILE [SECONDS]: sends FILE's bytes as they are on a new
# connection and prints what came back within SECONDS (default 5).
raw_send() {
  local out
  exec 3<>"/dev/tcp/127.0.0.1/$PORT" || return 1
  cat "$1" >&3 2>/dev/null
  out=$(timeout "${2:-5}" cat <&3 | tr -d '\0' | head -c 200000)
  exec 3<&-
  printf '%s' "$out"
}

# raw_request PRINTF-TEXT [SECONDS]: raw_send of the bytes that printf %b
# makes of PRINTF-TEXT (so \r\n, \0 and \xHH may be written in it).
raw_request() {
  printf '%b' "$1" >"$WORK/raw.req"
  raw_send "$WORK/raw.req" "${2:-5}"
}

# status_line TEXT: the first line of a raw response without its CR.
status_line() { printf '%s' "$1" | head -1 | tr -d '\r'; }

# header_lines TEXT: the header block of a raw response, CRs removed.
header_lines() { printf '%s' "$1" | tr -d '\r' | sed '/^$/q'; }

# host_hwm_kb: the host's peak resident memory in kB.
host_hwm_kb() { awk '/^VmHWM/ { print $2 }' "/proc/$HOST_PID/status"; }

# listing_outside_uploads: every path under the work folder except the
# upload folder and the host's own data, for before/after comparisons.
listing_outside_uploads() {
  (cd "$WORK" && find . \( -path ./site/up -o -path ./data -o -path ./cases \) -prune -o \
    ! -name raw.req ! -name "host.*" -print | sort)
}

# temp_files: upload temporaries left anywhere in the work folder or /tmp.
temp_files() { { find "$WORK" -name '*.tm#'; find /tmp -maxdepth 1 -name '*.tm#'; } 2>/dev/null | grep -c .; }
