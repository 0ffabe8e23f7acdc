# Shared pieces of the benchmark scripts: messages, installing missing peer
# packages, and stopping the servers a script started.

die() { echo "run.sh: $*" >&2; exit 1; }
log() { echo "== $*" >&2; }

# install_missing PACKAGE...: installs the named Debian packages with
# apt-get (root only), saying so on stderr; services are not started.
install_missing() {
  (($#)) || return 0
  [[ "$(id -u)" = 0 ]] || die "missing packages: $* (run as root to install them)"
  log "installing Debian packages: $* (apt-get install)"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >&2
  apt-get install -y -qq --no-install-recommends "$@" >&2
}

# stop_pid PID: TERM, up to 5 s for it to go, then KILL; reaps it.
stop_pid() {
  local p=$1
  kill -0 "$p" 2>/dev/null || return 0
  kill -TERM "$p" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$p" 2>/dev/null && kill -KILL "$p" 2>/dev/null || true
  wait "$p" 2>/dev/null || true
}
