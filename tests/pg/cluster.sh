#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests: `cluster.sh start STATE_DIR` creates one in a
# temporary folder, starts it on a free port and writes its libpq connection string to
# STATE_DIR/conninfo; `cluster.sh stop STATE_DIR` stops it and removes the folder. Without the
# server binaries it writes nothing, `start` exits 77 (CTest shows it as skipped) and the tests
# that need a server are skipped.
# The server refuses to run as root: as root it runs as the `postgres` user (or `nobody`).
set -euo pipefail
action=$1
state=$2
mkdir -p "$state"

run_as() {
  if [ "$(id -u)" = 0 ]; then runuser -u "$owner" -- "$@"; else "$@"; fi
}

stop() {
  [ -f "$state/cluster" ] || return 0
  local dir owner
  dir=$(cat "$state/cluster")
  owner=$(stat -c %U "$dir" 2>/dev/null || echo "")
  if [ -n "$owner" ] && [ -f "$dir/data/postmaster.pid" ]; then
    run_as "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir" "$state/cluster" "$state/conninfo"
}

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
  echo "PostgreSQL server binaries not installed: the server tests will be skipped"
  rm -f "$state/conninfo"
  [ "$action" = start ] && exit 77
  exit 0
fi

case "$action" in
  stop) stop; exit 0 ;;
  start) ;;
  *) echo "usage: $0 start|stop STATE_DIR" >&2; exit 2 ;;
esac

stop  # a cluster left by an interrupted run
owner=$(id -un)
if [ "$(id -u)" = 0 ]; then
  if id postgres >/dev/null 2>&1; then owner=postgres; else owner=nobody; fi
fi
dir=$(mktemp -d /tmp/stockreports-pg.XXXXXX)
echo "$dir" > "$state/cluster"
chmod 755 "$dir"
[ "$(id -u)" = 0 ] && chown "$owner" "$dir"
cd "$dir"
run_as "$bindir/initdb" -D "$dir/data" -U stock -E UTF8 --locale=C --auth-local=trust \
  --auth-host=scram-sha-256 >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; stop; exit 1; }
for attempt in 1 2 3 4 5 6 7 8; do
  port=$(( 20000 + (RANDOM * 7 + $$ + attempt * 131) % 30000 ))
  if run_as "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
      -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
      start >/dev/null 2>&1; then
    conninfo="host=$dir port=$port dbname=postgres user=stock"
    # A role with a password, for the tests of a wrong password over TCP.
    "$bindir/psql" -X -q -v ON_ERROR_STOP=1 -d "$conninfo" \
      -c "CREATE ROLE comsenha LOGIN PASSWORD 'certa'" >/dev/null
    echo "$conninfo" > "$state/conninfo"
    echo "PostgreSQL test cluster: $conninfo"
    exit 0
  fi
done
cat "$dir/server.log" >&2 || true
stop
exit 1
