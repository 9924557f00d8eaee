#!/usr/bin/env bash
# Installs what is missing, builds, and starts Marvolt: the demo host on the demo
# database when a display is available, otherwise the headless runner.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh"
build="${MARVOLT_BUILD_DIR:-$root/build}"
demo_db="$build/demo/trading.db"

if [ ! -f "$demo_db" ] && [ -x "$build/apps/marvolt-demo-db" ]; then
    mkdir -p "$(dirname "$demo_db")"
    "$build/apps/marvolt-demo-db" --out "$demo_db"
fi

if [ -x "$build/apps/marvolt-host" ]; then
    exec "$build/apps/marvolt-host" --db "$demo_db" "$@"
elif [ -x "$build/apps/marvolt-report" ]; then
    exec "$build/apps/marvolt-report" --help
else
    echo "Demo database: $demo_db"
    sqlite3 "$demo_db" "SELECT 'deals in Tickets: ' || COUNT(*) FROM Tickets;
                        SELECT 'deals in Archive: ' || COUNT(*) FROM Archive;
                        SELECT 'stored procedures: ' || COUNT(*) FROM sys_procedures;"
fi
