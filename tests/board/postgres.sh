#!/bin/sh
# A PostgreSQL of the tests' own, in a temporary folder on a loopback port, never the
# machine's own server:
#   postgres.sh start DIR PORT PID   creates and starts it, then prints its URL; it is stopped
#                                    and DIR removed once process PID is gone, however it ends
#   postgres.sh stop DIR             stops it and removes DIR
# PostgreSQL refuses to run as root: as root, its own user runs it. Exit 77, saying why,
# where PostgreSQL is not installed.
set -eu
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
  echo "postgres.sh: PostgreSQL is not installed (scripts/install-deps --test installs it)" >&2
  exit 77
fi
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
dir=$2
case $1 in
  start)
    mkdir -p "$dir"
    [ "$(id -u)" -ne 0 ] || chown postgres "$dir"
    as_owner "$bin/initdb" -D "$dir/data" -U board -A trust -E UTF8 --no-sync >"$dir/initdb.log" 2>&1
    # Durable commits, as a real board would keep them: fsync stays on.
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
      -o "-p $3 -k $dir -c listen_addresses=127.0.0.1" start >/dev/null
    # A test that crashes stops nothing: this watch does it for the test.
    (while kill -0 "$4" 2>/dev/null; do sleep 1; done; "$0" stop "$dir") </dev/null >/dev/null 2>&1 &
    echo "postgresql://board@127.0.0.1:$3/postgres"
    ;;
  stop)
    [ ! -d "$dir/data" ] || as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop \
      >/dev/null 2>&1 || true
    rm -rf "$dir"
    ;;
esac
