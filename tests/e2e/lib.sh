# Shared helpers of the end-to-end tests: a temporary site, a registered
# component module, a vant-host on a free port, and named assertions.
set -u
BUILD=${VANT_BUILD:?}
SOURCE=${VANT_SOURCE:?}
WORK=$(mktemp -d /tmp/vant-e2e.XXXXXX)
SITE=$WORK/site
mkdir -p "$SITE"
export VANT_REGISTRY=$WORK/registry.reg
PASSED=0
FAILED=0
HOST_PID=""

cleanup() {
  [ -n "$HOST_PID" ] && kill "$HOST_PID" 2>/dev/null && wait "$HOST_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

# start_host [extra vant-host options...]: registers the module and starts
# the host on the site; sets BASE (http://127.0.0.1:PORT).
start_host() {
  "$BUILD/vant-regsvr" --registry "$VANT_REGISTRY" "$BUILD/libvantupload.so" >/dev/null || {
    echo "registration failed"; exit 1; }
  "$BUILD/vant-host" --site "$SITE" --listen 127.0.0.1:0 --registry "$VANT_REGISTRY" \
    --data "$WORK/data" "$@" >"$WORK/host.out" 2>"$WORK/host.err" &
  HOST_PID=$!
  BASE=$(host_address "$WORK/host.out")
  [ -n "$BASE" ] && return 0
  echo "vant-host did not start:"; cat "$WORK/host.err"; exit 1
}

# host_address OUT: the address a host started with --listen 127.0.0.1:0
# prints on OUT once it listens ("http://127.0.0.1:PORT"); empty after 10 s.
host_address() {
  local address=""
  for _ in $(seq 1 100); do
    address=$(grep -o 'http://127.0.0.1:[0-9]*' "$1" 2>/dev/null | head -1)
    [ -n "$address" ] && break
    sleep 0.1
  done
  printf '%s' "$address"
}

# stop_host: ends the host started last (SIGTERM, as an operator would).
stop_host() {
  kill "$HOST_PID" 2>/dev/null && wait "$HOST_PID" 2>/dev/null
  HOST_PID=""
  rm -f "$WORK/host.out"
}

# fd_count: descriptors the running host holds. fds_back WANT [TENTHS]: the
# count once back at WANT (a failed connection may take a moment to close),
# or the last count after TENTHS tenths of a second (default 30, 3 s).
fd_count() { ls "/proc/$HOST_PID/fd" | wc -l; }
fds_back() {
  local n
  for _ in $(seq 1 "${2:-30}"); do n=$(fd_count); [ "$n" -le "$1" ] && break; sleep 0.1; done
  echo "$n"
}

page() { mkdir -p "$(dirname "$SITE/$1")"; cat >"$SITE/$1"; }

# drain_pages: read.asp, which reads the whole body and prints its length,
# and hello.asp; neither takes the session.
drain_pages() {
  page read.asp <<'P'
<%@ ENABLESESSIONSTATE=False %><% var n = 0, c;
while ((c = Request.BinaryRead(65536)) && new VBArray(c).ubound() >= 0) n += new VBArray(c).ubound() + 1;
Response.Write(n); %>
P
  page hello.asp <<'P'
<%@ ENABLESESSIONSTATE=False %>hello
P
}

pass() { PASSED=$((PASSED + 1)); echo "ok: $1"; }
fail() { FAILED=$((FAILED + 1)); echo "FAIL: $1"; [ $# -gt 1 ] && echo "  got: $2"; }

# expect_eq NAME GOT WANT
expect_eq() { if [ "$2" == "$3" ]; then pass "$1"; else fail "$1" "$2 (wanted $3)"; fi; }
# expect_has NAME TEXT NEEDLE
expect_has() { if [[ "$2" == *"$3"* ]]; then pass "$1"; else fail "$1" "${2:0:400}"; fi; }
expect_lacks() { if [[ "$2" != *"$3"* ]]; then pass "$1"; else fail "$1" "${2:0:400}"; fi; }

finish() {
  echo "$PASSED passed, $FAILED failed"
  if [ "$FAILED" -ne 0 ]; then
    echo "--- host stderr"; tail -30 "$WORK/host.err"
    exit 1
  fi
  exit 0
}
