# Several vant-host processes on one site behind an nginx round-robin
# balancer, for the tests of shared state across hosts. Source after lib.sh.
#
#   start_hosts 2 --state "$REDIS_URL"   # HOST_URLS[1], HOST_URLS[2], HOST_PIDS[...]
#   start_balancer "${HOST_URLS[@]}"     # BALANCER=http://127.0.0.1:PORT
#
# Each host has its own data folder and log (hostN.err in $WORK) and trusts
# the balancer's forwarding headers. Everything started here is stopped by
# PID when the script exits, before lib.sh's cleanup.
. "$SOURCE/bench/lib.sh"

NGINX=$(command -v nginx || echo /usr/sbin/nginx)
HOST_URLS=()
HOST_PIDS=()
BALANCER=""
BALANCER_PID=""
BALANCER_LOG=""

# start_host_number N [vant-host options...]: one more host on $SITE, as
# start_host does, with its output in $WORK/hostN.out and .err.
start_host_number() {
  local n=$1 url
  shift
  "$BUILD/vant-host" --site "$SITE" --listen 127.0.0.1:0 --registry "$VANT_REGISTRY" \
    --data "$WORK/data$n" --trusted-proxy 127.0.0.1 "$@" >"$WORK/host$n.out" 2>"$WORK/host$n.err" &
  HOST_PIDS[n]=$!
  url=$(host_address "$WORK/host$n.out")
  [ -n "$url" ] || { echo "vant-host $n did not start:"; cat "$WORK/host$n.err"; exit 1; }
  HOST_URLS[n]=$url
}

# start_hosts COUNT [vant-host options...]: registers the module and starts
# hosts 1..COUNT with the same options.
start_hosts() {
  local count=$1 n
  shift
  "$BUILD/vant-regsvr" --registry "$VANT_REGISTRY" "$BUILD/libvantupload.so" >/dev/null || {
    echo "registration failed"; exit 1; }
  for n in $(seq 1 "$count"); do start_host_number "$n" "$@"; done
}

# kill_host N: ends host N at once (SIGKILL), as a crash or a pulled plug would.
kill_host() {
  kill -KILL "${HOST_PIDS[$1]}" 2>/dev/null
  wait "${HOST_PIDS[$1]}" 2>/dev/null
  HOST_PIDS[$1]=""
}

# start_balancer ADDRESS...: nginx on a free loopback port passing requests
# in turn to each ADDRESS (HOST:PORT or http://HOST:PORT). One worker, so
# successive requests alternate between the hosts. Bodies are streamed as
# they arrive and may be of any size; upstream connections are kept alive.
# Each request is logged to $BALANCER_LOG as "UPSTREAM URI" (which host
# answered it).
start_balancer() {
  local dir=$WORK/balancer port address
  port=$(free_port)
  BALANCER_LOG=$dir/access.log
  nginx_conf_head "$dir" 1
  {
    echo "    upstream vant {"
    for address in "$@"; do echo "        server ${address#http://} max_fails=1 fail_timeout=5s;"; done
    echo "        keepalive 16;"
    echo "    }"
    cat <<NGX
    log_format upstream '\$upstream_addr \$request_uri';
    server {
        access_log $BALANCER_LOG upstream;
        listen 127.0.0.1:$port;
        client_max_body_size 0;
        proxy_request_buffering off;
        proxy_buffering off;
        proxy_http_version 1.1;
        proxy_set_header Connection "";
        proxy_set_header Host \$http_host;
        proxy_set_header X-Forwarded-For \$remote_addr;
        proxy_set_header X-Forwarded-Proto \$scheme;
        proxy_set_header Forwarded "";
        proxy_connect_timeout 2s;
        proxy_send_timeout 300s;
        proxy_read_timeout 300s;
        location / { proxy_pass http://vant; }
    }
}
NGX
  } >>"$dir/nginx.conf"
  "$NGINX" -p "$dir" -e "$dir/error.log" -c "$dir/nginx.conf" >"$dir/stdout" 2>&1 &
  BALANCER_PID=$!
  BALANCER=http://127.0.0.1:$port
  for _ in $(seq 100); do
    [ -n "$(ss -Htln "sport = :$port" 2>/dev/null)" ] && return 0
    kill -0 "$BALANCER_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "nginx did not start:"; cat "$dir/stdout" "$dir/error.log"; exit 1
}

stop_balanced() {
  local p
  [ -n "$BALANCER_PID" ] && stop_pid "$BALANCER_PID"
  for p in "${HOST_PIDS[@]}"; do [ -n "$p" ] && stop_pid "$p"; done
  BALANCER_PID=""
  HOST_PIDS=()
}

# Runs before whatever the exit trap did so far (lib.sh's cleanup).
eval "set -- $(trap -p EXIT)"
trap "stop_balanced; ${3:-}" EXIT
set --
