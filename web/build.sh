#!/usr/bin/env bash
# Builds the web edition: libqorvel (capi/qorvel.cpp over codec/ and
# layout/) compiled to WebAssembly with Debian's clang and wasm32-wasi
# libraries (web/CMakeLists.txt), the code page 936 tables taken from the
# desktop clipboard's conversion (cp936/cp936_icu.cpp, over ICU), and one
# self-contained page, out/web/index.html, and the npm package qorvel over
# the same module and scripts (web/npm/), packed into out/qorvel-VERSION.tgz.
# Prints the page's path, then the package's.
# Incremental: a second run rebuilds only what changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/web"
out="$root/out/web/index.html"
mkdir -p "$build"

table_tool="$build/cp936_table"
# shellcheck source=scripts/icu-tool.sh
. "$root/scripts/icu-tool.sh"
icu_tool "$root" "$table_tool" "$root/web/tools/cp936_table.cpp" "$root/cp936/cp936_icu.cpp"
if [ ! -s "$build/cp936_table.js" ] || [ "$table_tool" -nt "$build/cp936_table.js" ]; then
  "$table_tool" > "$build/cp936_table.js.tmp"
  mv "$build/cp936_table.js.tmp" "$build/cp936_table.js"
fi
# The same tables for the WebAssembly core's decoding (qorvel_html).
if [ ! -s "$build/cp936_table.inc" ] || [ "$table_tool" -nt "$build/cp936_table.inc" ]; then
  "$table_tool" --cpp > "$build/cp936_table.inc.tmp"
  mv "$build/cp936_table.inc.tmp" "$build/cp936_table.inc"
fi

if [ ! -f "$build/wasm/build.ninja" ]; then
  cmake -S "$root/web" -B "$build/wasm" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/web/wasm32-wasi.cmake" >/dev/null
fi
cmake --build "$build/wasm" >/dev/null

node "$root/web/assemble.cjs" "$root/web/page" "$build/wasm/qorvel_core.wasm" "$build/cp936_table.js" "$out"

package="$build/npm/qorvel"
node "$root/web/npm/pack.cjs" "$root/web/npm" "$root/web/page" "$build/wasm/qorvel_core.wasm" \
  "$build/cp936_table.js" "$build/wasm/version.txt" "$root/LICENSE" "$package"
tarball=$(cd "$package" && npm pack --pack-destination "$root/out" --silent --no-audit --no-fund)
echo "$out"
echo "$root/out/$tarball"
