# A PostgreSQL server of the test's own, for pages that use ADODB over it.
# Source after lib.sh. The server runs as an unprivileged user (PostgreSQL
# refuses root) in a temporary folder that user owns, listens on a free
# loopback port, asks for a password over TCP, and is stopped by PID at exit.
#   start_postgres    sets PG_PORT, PG_USER, PG_PASSWORD, PG_DB and PG_CONN
#                     (a connection string for pages)
#   restart_postgres  stops the server and starts it again on the same port
#   stop_postgres     fast shutdown; the data stays for a restart
PG_BIN=${PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)}
PG_DIR=""
PG_PID=""
PG_PORT=""
PG_USER=vant
# The password holds ';' and '=' so that connection strings must quote it.
PG_PASSWORD="pw;$RANDOM=$RANDOM"
PG_DB=vant
PG_CONN=""

# as_pg CMD...: runs CMD as the server's user (nobody when we are root).
as_pg() {
  if [ "$(id -u)" -eq 0 ]; then
    setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"
  else
    "$@"
  fi
}

# pg_free_port: a loopback port nothing answers on.
pg_free_port() {
  local port
  for _ in $(seq 1 50); do
    port=$((20000 + RANDOM % 40000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return 0; }
  done
  return 1
}

pg_launch() {
  as_pg "$PG_BIN/pg_ctl" -D "$PG_DIR/data" -l "$PG_DIR/server.log" -w -t 30 start \
    -o "-p $PG_PORT -k $PG_DIR -c listen_addresses=127.0.0.1 -c fsync=off" >/dev/null || return 1
  PG_PID=$(head -1 "$PG_DIR/data/postmaster.pid")
}

start_postgres() {
  [ -x "$PG_BIN/initdb" ] || { echo "PostgreSQL server binaries not found"; exit 1; }
  PG_DIR=$(mktemp -d /tmp/vant-pg.XXXXXX)
  [ "$(id -u)" -eq 0 ] && chown nobody:nogroup "$PG_DIR"
  printf '%s\n' "$PG_PASSWORD" >"$PG_DIR/pw"
  chmod 644 "$PG_DIR/pw"
  as_pg "$PG_BIN/initdb" -D "$PG_DIR/data" -U "$PG_USER" --pwfile="$PG_DIR/pw" \
    --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$PG_DIR/initdb.log" 2>&1 || {
    echo "initdb failed:"; cat "$PG_DIR/initdb.log"; exit 1; }
  local started=""
  for _ in 1 2 3 4 5; do
    PG_PORT=$(pg_free_port) && pg_launch && { started=1; break; }
  done
  [ -n "$started" ] || { echo "PostgreSQL did not start:"; tail -20 "$PG_DIR/server.log"; exit 1; }
  as_pg "$PG_BIN/createdb" -h "$PG_DIR" -p "$PG_PORT" -U "$PG_USER" "$PG_DB" || exit 1
  PG_CONN="Provider=PostgreSQL;Host=127.0.0.1;Port=$PG_PORT;Database=$PG_DB;User ID=$PG_USER;Password='$PG_PASSWORD'"
}

stop_postgres() {
  [ -n "$PG_PID" ] || return 0
  kill -INT "$PG_PID" 2>/dev/null
  for _ in $(seq 1 100); do kill -0 "$PG_PID" 2>/dev/null || break; sleep 0.1; done
  PG_PID=""
}

restart_postgres() {
  stop_postgres
  pg_launch || { echo "PostgreSQL did not restart:"; tail -20 "$PG_DIR/server.log"; exit 1; }
}

# psql_run SQL: runs SQL on the test database (for setting up or checking).
psql_run() {
  as_pg "$PG_BIN/psql" -h "$PG_DIR" -p "$PG_PORT" -U "$PG_USER" -d "$PG_DB" -qAtX -c "$1"
}

pg_cleanup() {
  stop_postgres
  [ -n "$PG_DIR" ] && rm -rf "$PG_DIR"
  cleanup
}
trap pg_cleanup EXIT
