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

# start_sample_host: a second host on a copy of the sample site (upload, db,
# download, virus pages) in $SAMPLE, with the upload folders make run marks;
# sets SAMPLE_BASE and SAMPLE_PID.
start_sample_host() {
  SAMPLE=$WORK/sample-site
  mkdir -p "$SAMPLE"
  cp -r "$SOURCE/site/." "$SAMPLE/"
  rm -rf "$SAMPLE/uploads" && mkdir -p "$SAMPLE/uploads"
  "$BUILD/vant-host" --site "$SAMPLE" --listen 127.0.0.1:0 --registry "$VANT_REGISTRY" \
    --data "$WORK/data-sample" --upload-folder /uploads --upload-folder /gallery/photos \
    >"$WORK/sample.out" 2>"$WORK/sample.err" &
  SAMPLE_PID=$!
  SAMPLE_BASE=$(host_address "$WORK/sample.out")
  expect_like "sample site host started" "$SAMPLE_BASE" "http://*"
}

stop_sample_host() {
  kill "$SAMPLE_PID" 2>/dev/null
  wait "$SAMPLE_PID" 2>/dev/null
}

# sample_token JAR PAGE: opens PAGE of the sample site with the cookie jar
# JAR (a new session when JAR is empty) and prints the form token it shows.
sample_token() {
  curl -s -b "$1" -c "$1" "$SAMPLE_BASE/$2" |
    grep -o 'token=[0-9a-f]\{32\}\|name="token" value="[0-9a-f]\{32\}"' | head -1 | grep -o '[0-9a-f]\{32\}'
}

# sample_session LABEL JAR PAGE: a new session on the sample host (cookies
# in JAR) that opened PAGE; sets JAR and TOKEN and checks PAGE gave a token.
sample_session() {
  JAR=$2
  : >"$JAR"
  TOKEN=$(sample_token "$JAR" "$3")
  expect_like "$1" "$TOKEN" "????????????????????????????????"
}
