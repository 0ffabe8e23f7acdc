# Shared pieces of the benchmark scripts: the build folder, messages,
# installing missing peer packages, and stopping the servers a script started.

# Sourcing sets root (the repository) and build (the build folder: $BUILD,
# default build, taken relative to the repository).
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD:-build}"
[[ "$build" = /* ]] || build="$root/$build"

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

# make_workdir NAME: a fresh temporary folder in $work, and an exit trap
# that stops every server whose pid the script appended to $pids and
# removes the folder.
make_workdir() {
  work="$(mktemp -d "${TMPDIR:-/tmp}/vant-$1-bench.XXXXXX")"
  pids=()
  trap remove_workdir EXIT
  trap 'exit 130' INT TERM
}

remove_workdir() {
  local p
  for p in "${pids[@]:-}"; do [[ -n "$p" ]] && stop_pid "$p"; done
  rm -rf "$work"
}

# free_port: prints a TCP port no socket uses at the moment. Any socket
# counts, not only listening ones: a load client's thousands of connections
# hold local ports a server then cannot bind.
free_port() {
  local p
  for _ in $(seq 200); do
    p=$((20000 + RANDOM % 40000))
    [[ -z "$(ss -Htan "sport = :$p" 2>/dev/null)" ]] && { echo "$p"; return; }
  done
  die "no free port found"
}

# find_fpm: prints the newest php-fpm binary under /usr/sbin, or nothing.
find_fpm() { ls /usr/sbin/php-fpm* 2>/dev/null | sort -V | tail -1; }

# need_php_peer: installs nginx, php-fpm and curl when missing (as root) and
# sets NGINX_BIN and FPM_BIN; returns 1, saying why on stderr, when they
# still cannot be found, so a caller may report "n/a" instead of failing.
need_php_peer() {
  local missing=()
  command -v nginx >/dev/null 2>&1 || [[ -x /usr/sbin/nginx ]] || missing+=(nginx)
  [[ -n "$(find_fpm)" ]] || missing+=(php-fpm)
  command -v curl >/dev/null 2>&1 || missing+=(curl)
  if ((${#missing[@]})); then
    if [[ "$(id -u)" = 0 ]]; then
      install_missing "${missing[@]}" || true
    else
      log "missing packages: ${missing[*]} (run as root to install them)"
    fi
  fi
  NGINX_BIN=$(command -v nginx || echo /usr/sbin/nginx)
  FPM_BIN=$(find_fpm)
  [[ -x "$NGINX_BIN" && -n "$FPM_BIN" && -x "$FPM_BIN" ]] && return 0
  log "nginx/php-fpm not available"
  return 1
}

# start_php_fpm DIR WORKERS [NAME=VALUE...]: php-fpm in the foreground with
# its config, socket and logs in DIR, one static pool of WORKERS children;
# each NAME=VALUE becomes a php_admin_value of the pool. Sets FPM_PID and
# FPM_SOCK; dies when the socket does not appear.
start_php_fpm() {
  local dir=$1 workers=$2 setting
  shift 2
  mkdir -p "$dir"
  FPM_SOCK="$dir/php.sock"
  {
    echo "[global]"
    echo "pid = $dir/fpm.pid"
    echo "error_log = $dir/error.log"
    echo "daemonize = no"
    echo "[bench]"
    [[ "$(id -u)" = 0 ]] && { echo "user = root"; echo "group = root"; }
    echo "listen = $FPM_SOCK"
    echo "listen.mode = 0666"
    echo "pm = static"
    echo "pm.max_children = $workers"
    echo "pm.max_requests = 0"
    for setting in "$@"; do echo "php_admin_value[${setting%%=*}] = ${setting#*=}"; done
  } >"$dir/php-fpm.conf"
  local args=(-F -p "$dir" -y "$dir/php-fpm.conf")
  [[ "$(id -u)" = 0 ]] && args+=(-R)
  "$FPM_BIN" "${args[@]}" >"$dir/stdout" 2>&1 &
  FPM_PID=$!
  for _ in $(seq 100); do
    [[ -S "$FPM_SOCK" ]] && break
    kill -0 "$FPM_PID" 2>/dev/null || break
    sleep 0.1
  done
  [[ -S "$FPM_SOCK" ]] && return 0
  cat "$dir/stdout" "$dir/error.log" >&2 2>/dev/null
  stop_pid "$FPM_PID"
  die "php-fpm did not start"
}

# nginx_conf_head DIR [WORKERS]: writes DIR/nginx.conf up to the open
# "http {" block, for a foreground nginx that keeps its pid, log and
# temporary files in DIR, with WORKERS worker processes (default auto); the
# caller appends its servers and the closing brace.
nginx_conf_head() {
  local dir=$1 workers=${2:-auto}
  mkdir -p "$dir/tmp"
  cat >"$dir/nginx.conf" <<NGX
daemon off;
master_process on;
worker_processes $workers;
$([[ "$(id -u)" = 0 ]] && echo "user root root;")
pid $dir/nginx.pid;
error_log $dir/error.log warn;
events { worker_connections 4096; }
http {
    access_log off;
    keepalive_requests 1000000;
    client_body_temp_path $dir/tmp/body;
    proxy_temp_path $dir/tmp/proxy;
    fastcgi_temp_path $dir/tmp/fastcgi;
    uwsgi_temp_path $dir/tmp/uwsgi;
    scgi_temp_path $dir/tmp/scgi;
NGX
}

# start_nginx_php DIR ROOT SOCK [DIRECTIVE...]: nginx in the foreground with
# its config, temp folders and logs in DIR, serving ROOT on a free loopback
# port and passing *.php to the php-fpm socket SOCK over kept-alive
# connections; each DIRECTIVE (e.g. "client_max_body_size 0;") is added to
# the server block. Sets NGINX_PID and NGINX_URL (ending in /).
start_nginx_php() {
  local dir=$1 root=$2 sock=$3 port
  shift 3
  port=$(free_port)
  nginx_conf_head "$dir"
  cat >>"$dir/nginx.conf" <<NGX
    upstream php { server unix:$sock; keepalive 32; }
    server {
        listen 127.0.0.1:$port;
        root $root;
$(printf '        %s\n' "$@")
        location ~ \.php\$ {
            fastcgi_pass php;
            fastcgi_keep_conn on;
            fastcgi_param SCRIPT_FILENAME   \$document_root\$fastcgi_script_name;
            fastcgi_param SCRIPT_NAME       \$fastcgi_script_name;
            fastcgi_param QUERY_STRING      \$query_string;
            fastcgi_param REQUEST_METHOD    \$request_method;
            fastcgi_param CONTENT_TYPE      \$content_type;
            fastcgi_param CONTENT_LENGTH    \$content_length;
            fastcgi_param REQUEST_URI       \$request_uri;
            fastcgi_param DOCUMENT_URI      \$document_uri;
            fastcgi_param DOCUMENT_ROOT     \$document_root;
            fastcgi_param SERVER_PROTOCOL   \$server_protocol;
            fastcgi_param GATEWAY_INTERFACE CGI/1.1;
            fastcgi_param REMOTE_ADDR       \$remote_addr;
            fastcgi_param REMOTE_PORT       \$remote_port;
            fastcgi_param SERVER_ADDR       \$server_addr;
            fastcgi_param SERVER_PORT       \$server_port;
            fastcgi_param SERVER_NAME       \$server_name;
        }
    }
}
NGX
  "$NGINX_BIN" -p "$dir" -e "$dir/error.log" -c "$dir/nginx.conf" >"$dir/stdout" 2>&1 &
  NGINX_PID=$!
  NGINX_URL="http://127.0.0.1:$port/"
  for _ in $(seq 100); do
    [[ -n "$(ss -Htln "sport = :$port" 2>/dev/null)" ]] && return 0
    kill -0 "$NGINX_PID" 2>/dev/null || break
    sleep 0.1
  done
  cat "$dir/stdout" "$dir/error.log" >&2 2>/dev/null
  stop_pid "$NGINX_PID"
  die "nginx did not start"
}

# children_peak_kb PID: the largest VmHWM (kB) among PID's child processes,
# e.g. the nginx or php-fpm worker that served a request; 0 when none.
children_peak_kb() {
  local best=0 kb child
  for child in $(ps --ppid "$1" -o pid= 2>/dev/null); do
    kb=$(awk '/^VmHWM:/ {print $2}' "/proc/$child/status" 2>/dev/null || echo 0)
    (( ${kb:-0} > best )) && best=$kb
  done
  echo "$best"
}

# bench_binary TARGET: $BENCH_BIN when set (a harness built elsewhere),
# otherwise TARGET built in $build; prints its path.
bench_binary() {
  if [[ -n "${BENCH_BIN:-}" ]]; then printf '%s' "$BENCH_BIN"; return; fi
  cmake --build "$build" --target "$1" >/dev/null
  printf '%s' "$build/$1"
}

# php_save_page FILE: the PHP peer's upload page, saving every file with
# move_uploaded_file into up/ beside it and printing how many it saved.
php_save_page() {
  cat >"$1" <<'P'
<?php
$n = 0;
foreach ($_FILES as $f) {
  if ($f['error'] === UPLOAD_ERR_OK &&
      move_uploaded_file($f['tmp_name'], __DIR__ . '/up/' . basename($f['name']))) $n++;
}
echo $n;
P
}

# need_state_servers: installs redis-server, PostgreSQL and php-redis (the
# PHP peer's Redis session handler) when missing, as root; returns 1, saying
# why on stderr, when they still cannot be found.
need_state_servers() {
  local missing=()
  command -v redis-server >/dev/null 2>&1 || missing+=(redis-server)
  ls /usr/lib/postgresql/*/bin/initdb >/dev/null 2>&1 || missing+=(postgresql)
  [[ -n "${FPM_BIN:-}" ]] && ! "$FPM_BIN" -m 2>/dev/null | grep -qx redis && missing+=(php-redis)
  if ((${#missing[@]})); then
    if [[ "$(id -u)" = 0 ]]; then
      install_missing "${missing[@]}" || true
    else
      log "missing packages: ${missing[*]} (run as root to install them)"
    fi
  fi
  command -v redis-server >/dev/null 2>&1 && ls /usr/lib/postgresql/*/bin/initdb >/dev/null 2>&1 &&
    { [[ -z "${FPM_BIN:-}" ]] || "$FPM_BIN" -m 2>/dev/null | grep -qx redis; } && return 0
  log "redis-server, PostgreSQL or php-redis not available"
  return 1
}

# wrk_rps URL [wrk options...]: requests/s of wrk $WRK_OPTIONS (default -t2
# -c64 -d10s) on URL after a 3 s warm-up; dies on errors or non-2xx answers.
wrk_rps() {
  local out url=$1
  shift
  timeout -k 5 20 wrk -t2 -c64 -d3s --timeout 5s "$@" "$url" >/dev/null 2>&1 || true
  out=$(timeout -k 5 60 wrk ${WRK_OPTIONS:--t2 -c64 -d10s} --timeout 5s "$@" "$url") || die "wrk failed on $url"
  echo "$out" >&2
  grep -q 'Non-2xx' <<<"$out" && die "wrk saw non-2xx responses on $url"
  awk '/^Requests\/sec:/ {print $2}' <<<"$out"
}

# wrk_session_script URL FILE COUNT: makes COUNT sessions on the server
# behind URL (the first request of each gets its cookie) and writes a wrk
# script to FILE that sends every request with one of those cookies in turn,
# the two wrk threads starting apart, so every server gets the same client.
wrk_session_script() {
  local url=$1 file=$2 count=$3 cookie
  {
    echo 'cookies = {'
    for _ in $(seq "$count"); do
      cookie=$(curl -s -D - -o /dev/null "$url" | tr -d '\r' |
        awk 'tolower($1) == "set-cookie:" {sub(/;.*/, "", $2); print $2; exit}')
      [[ -n "$cookie" ]] || die "$url set no session cookie"
      printf '  "%s",\n' "$cookie"
    done
    echo '}'
    cat <<'LUA'
local started = 0
function setup(thread) started = started + 1; thread:set("turn", started * math.floor(#cookies / 2)) end
function request()
  turn = turn % #cookies + 1
  return wrk.format(nil, nil, { ["Cookie"] = cookies[turn] })
end
LUA
  } >"$file"
}
