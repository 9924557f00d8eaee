#!/usr/bin/env bash
# example_from_install.sh BUILD EXAMPLE WORK DEMO_DB_TOOL
# Installs the built library into WORK/prefix, compiles each installed header
# alone, configures and builds the example host from that prefix alone, and
# runs it offscreen on a fresh demo database: the package works as a
# consumer's find_package sees it.
set -euo pipefail
build="$1" example="$2" work="$3" demo_db="$4"
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
# Each installed header compiles alone, with the prefix and Qt the only include folders.
qt_flags="$(pkg-config --cflags Qt6Widgets)"
for header in "$work/prefix/include/Marvolt/"*.h; do
    # shellcheck disable=SC2086
    printf '#include <Marvolt/%s>\n' "$(basename "$header")" \
        | c++ -std=c++20 -fPIC -fsyntax-only -Wall -Wextra -x c++ - -I"$work/prefix/include" $qt_flags \
        || { echo "$(basename "$header") does not compile alone" >&2; exit 1; }
done
cmake -S "$example" -B "$work/build" -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build "$work/build" -j2 >/dev/null
# Nothing of the source tree on the example's include path.
root="$(cd "$example/../.." && pwd)"
if grep -qF -- "$root/src" "$work/build/compile_commands.json"; then
    echo "the example saw the project's source folders" >&2
    exit 1
fi
"$demo_db" --out "$work/demo.db" --deals 500 --seed 3 --today 2026-12-04 >/dev/null
# A report of the library's, then the example's own report class.
for report in dmCashFlow DepositTotals; do
    output="$("$work/build/minimal-host" --db "$work/demo.db" --user example --report "$report" --run-once)"
    echo "$report: $output"
    grep -q "^rows: [1-9]" <<<"$output"
    grep -q "^version: 0\.2" <<<"$output"
done
