#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (headless, offscreen).
# The PostgreSQL tests run against a throwaway server started here (its own
# folder and port, stopped and removed at the end, also on failure), or
# against MARVOLT_PG_CONNECT when that is set.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh"
build="${MARVOLT_BUILD_DIR:-$root/build}"
if [ -z "${MARVOLT_PG_CONNECT:-}" ] && ls -d /usr/lib/postgresql/*/bin >/dev/null 2>&1; then
    cluster="$(mktemp -d /tmp/marvolt-pg.XXXXXX)"
    chmod 755 "$cluster"
    trap 'bash "$root/scripts/pg-cluster.sh" stop "$cluster/server"; rm -rf "$cluster"' EXIT
    MARVOLT_PG_CONNECT="$(bash "$root/scripts/pg-cluster.sh" start "$cluster/server" "$((40000 + RANDOM % 20000))")"
    export MARVOLT_PG_CONNECT
    echo "PostgreSQL tests on: $MARVOLT_PG_CONNECT"
fi
cd "$build"
count() { ctest -N -L "$1" | sed -n 's/^Total Tests: //p'; }
server="${MARVOLT_PG_CONNECT:+on the server above}"
echo "Test programs on SQLite: $(count sqlite); on PostgreSQL: $(count postgresql) (${server:-no server: they skip})"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
