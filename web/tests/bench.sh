#!/usr/bin/env bash
# Benchmark of the page's file worker, writing into a folder and keeping a
# download, against `qorvel convert` (Release) on the same large file, every
# code or those named; see bench.cjs.
#   web/tests/bench.sh [MB (default 100)] [RUNS (default 3)] [CODE...]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
build=build/compare  # the Release qorvel of bench/compare.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQORVEL_GUI=OFF -DQORVEL_TESTS=OFF >/dev/null
cmake --build "$build" --target qorvel >/dev/null
page=$(web/build.sh | sed -n 1p)
cd web/tests
[ -f node_modules/.package-lock.json ] || npm ci --no-audit --no-fund --loglevel=error
node bench.cjs "$page" "$root/$build/cli/qorvel" "$root/build/web/bench" "${1:-100}" "${2:-3}" "${@:3}"
