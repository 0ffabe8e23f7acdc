# A Redis server of the test's own, for tests of state shared across hosts.
# Source after lib.sh. start_redis starts redis-server on a free loopback
# port in a folder under $WORK (no persistence) and sets REDIS_PORT,
# REDIS_URL and REDIS_PID; it is stopped by PID when the test exits.
# stop_redis and restart_redis (same port) serve fault tests; rcli runs
# redis-cli against it.
REDIS_PID=""
REDIS_PORT=""
REDIS_URL=""

# free_port: a loopback TCP port nobody listens on now.
free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

# start_redis [extra redis-server arguments...]
start_redis() {
  [ -n "$REDIS_PORT" ] || REDIS_PORT=$(free_port)
  REDIS_URL=redis://127.0.0.1:$REDIS_PORT
  mkdir -p "$WORK/redis"
  REDIS_ARGS=("$@")
  redis-server --port "$REDIS_PORT" --bind 127.0.0.1 --save '' --appendonly no \
    --daemonize no --dir "$WORK/redis" "${REDIS_ARGS[@]}" >"$WORK/redis/out" 2>&1 &
  REDIS_PID=$!
  for _ in $(seq 1 100); do
    rcli PING 2>/dev/null | grep -q PONG && return 0
    sleep 0.1
  done
  echo "redis-server did not start:"; cat "$WORK/redis/out"; exit 1
}

# stop_redis: ends the server (its data is gone, as after a crash).
stop_redis() {
  [ -n "$REDIS_PID" ] && kill "$REDIS_PID" 2>/dev/null && wait "$REDIS_PID" 2>/dev/null
  REDIS_PID=""
}

# restart_redis: a new, empty server on the same port.
restart_redis() {
  stop_redis
  start_redis "${REDIS_ARGS[@]}"
}

rcli() { redis-cli -p "$REDIS_PORT" "$@"; }

# start_host_b [vant-host options...]: a second host on the same site and
# registry (start_host first), as a balancer would have behind it; sets
# BASE_B and HOST_B_PID. Its messages go to $WORK/host_b.err.
HOST_B_PID=""
start_host_b() {
  "$BUILD/vant-host" --site "$SITE" --listen 127.0.0.1:0 --registry "$VANT_REGISTRY" \
    --data "$WORK/data_b" "$@" >"$WORK/host_b.out" 2>"$WORK/host_b.err" &
  HOST_B_PID=$!
  BASE_B=$(host_address "$WORK/host_b.out")
  [ -n "$BASE_B" ] && return 0
  echo "second vant-host did not start:"; cat "$WORK/host_b.err"; exit 1
}

# Stops the second host and Redis, then does what lib.sh's exit handler does.
redis_cleanup() {
  [ -n "$HOST_B_PID" ] && kill "$HOST_B_PID" 2>/dev/null && wait "$HOST_B_PID" 2>/dev/null
  stop_redis
  cleanup
}
trap redis_cleanup EXIT
