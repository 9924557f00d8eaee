#!/usr/bin/env bash
# Installs what is missing, builds, and starts Marvolt: the demo host on the demo
# database (built on first use). Without a display the host says so and shows
# how to run the headless runner, marvolt-report, instead.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh"
build="${MARVOLT_BUILD_DIR:-$root/build}"
apps="$build/apps"
demo_db="$build/demo/trading.db"

if [ ! -f "$demo_db" ]; then
    mkdir -p "$(dirname "$demo_db")"
    "$apps/marvolt-demo-db/marvolt-demo-db" --out "$demo_db"
fi

exec "$apps/marvolt-host/marvolt-host" --db "$demo_db" "$@"
