#!/usr/bin/env bash
# The web edition's check (test.sh runs it last): builds the page, installs
# puppeteer-core from the lock file (it drives the system's Chromium; no
# browser is downloaded), builds the reference of the clipboard mapping (the
# Linux half, cp936/cp936_icu.cpp, over ICU),
# and runs web_test.cjs (the converters, the clipboard mapping, paste and
# files, from file://) and velmar_test.cjs (open, size, print, writing into
# a folder, from a loopback address) against the test build's qorvel, and
# npm_test.cjs (the npm package installed from its tarball, in Node and in a
# page).
#   web/tests/run.sh [QORVEL]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
qorvel=${1:-$root/build/test/cli/qorvel}
work="$root/build/web"

built=$("$root/web/build.sh")
page=$(sed -n 1p <<<"$built")
tarball=$(sed -n 2p <<<"$built")

cd "$root/web/tests"
if [ ! -f node_modules/.package-lock.json ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  npm ci --no-audit --no-fund --loglevel=error
fi

reference="$work/cp936_reference"
# shellcheck source=scripts/icu-tool.sh
. "$root/scripts/icu-tool.sh"
icu_tool "$root" "$reference" cp936_reference.cpp "$root/cp936/cp936_icu.cpp"

node web_test.cjs "$page" "$qorvel" "$reference" "$root/samples" "$work/test"
node velmar_test.cjs "$page" "$qorvel" "$root/samples" "$work/velmar"
node npm_test.cjs "$tarball" "$qorvel" "$root" "$work/npm-test"
