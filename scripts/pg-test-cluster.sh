#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests: initdb + pg_ctl in a temporary folder, listening
# on a Unix socket in that folder only (no TCP port), fsync off (PG_TEST_DURABLE=1 keeps the
# server's defaults, for benchmarks). Never touches a system cluster.
#   eval "$(bash scripts/pg-test-cluster.sh start)"   # prints the export lines below
#   bash scripts/pg-test-cluster.sh stop "$TESSALY_TEST_PG_DIR"
# start exports TESSALY_TEST_PG_URL (a database the tests may use freely) and TESSALY_TEST_PG_DIR.
# As root the server runs as the `postgres` system user the Debian package creates (the server
# refuses to run as root); otherwise as the calling user.
set -euo pipefail

bin_dir() {
  local dir
  dir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  if [ -z "$dir" ] || [ ! -x "$dir/initdb" ]; then
    echo "pg-test-cluster: no PostgreSQL server under /usr/lib/postgresql (run scripts/install-deps.sh)" >&2
    exit 1
  fi
  echo "$dir"
}

# as_owner COMMAND...: runs the command as the user that owns the cluster.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

start() {
  local bin dir
  bin=$(bin_dir)
  dir=$(mktemp -d "${TMPDIR:-/tmp}/tessaly-pg.XXXXXX")
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres:postgres "$dir"
  fi
  chmod 755 "$dir"
  # A cluster that fails to come up says why and leaves nothing behind.
  give_up() {
    cat "$dir"/*.log >&2 2>/dev/null || true
    stop "$dir"
    exit 1
  }
  as_owner "$bin/initdb" -D "$dir/data" -A trust -U postgres -E UTF8 --locale=C.UTF-8 --no-sync \
    >"$dir/initdb.log" 2>&1 || give_up
  local settings="-c listen_addresses='' -c unix_socket_directories='$dir' -c max_connections=200"
  [ -n "${PG_TEST_DURABLE:-}" ] || settings+=" -c fsync=off -c full_page_writes=off"
  as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 -o "$settings" start >/dev/null || give_up
  as_owner "$bin/createdb" -h "$dir" -U postgres tessaly_test >&2 || give_up
  echo "export TESSALY_TEST_PG_DIR='$dir'"
  echo "export TESSALY_TEST_PG_URL='postgresql:///tessaly_test?host=$dir&user=postgres'"
}

stop() {
  local dir="$1" bin
  case "$dir" in
    */tessaly-pg.*) ;;
    *) echo "pg-test-cluster: $dir is not a test cluster's folder" >&2; exit 2 ;;
  esac
  bin=$(bin_dir)
  if [ -f "$dir/data/postmaster.pid" ]; then
    as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
}

case "${1:-}" in
  start) start ;;
  stop) [ -n "${2:-}" ] || { echo "usage: $0 stop DIR" >&2; exit 2; }; stop "$2" ;;
  *) echo "usage: $0 start | stop DIR" >&2; exit 2 ;;
esac
