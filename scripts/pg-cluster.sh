#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests.
#   pg-cluster.sh start DIR PORT   initdb into DIR, start the server on PORT (a socket
#                                  in DIR and 127.0.0.1 only, trust authentication) and
#                                  print the connection string for MARVOLT_PG_CONNECT
#   pg-cluster.sh stop DIR         stop the server and remove DIR
# The server runs as the postgres user when started by root (initdb refuses root).
set -euo pipefail
action="$1" dir="$2"
bin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
[ -n "$bin" ] || { echo "pg-cluster.sh: no PostgreSQL server installed" >&2; exit 1; }
as_owner=()
user="$(id -un)"
if [ "$(id -u)" -eq 0 ]; then
    as_owner=(runuser -u postgres --)
    user=postgres
fi
case "$action" in
start)
    port="$3"
    mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown postgres "$dir"
    "${as_owner[@]}" "$bin/initdb" -D "$dir/data" -U "$user" -A trust -E UTF8 --locale=C.UTF-8 >/dev/null
    "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
        -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null
    echo "Provider=PostgreSQL;Host=$dir;Port=$port;Database=postgres;User=$user"
    ;;
stop)
    if [ -d "$dir/data" ]; then
        "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
    ;;
*)
    echo "usage: pg-cluster.sh start DIR PORT | stop DIR" >&2
    exit 2
    ;;
esac
