#!/usr/bin/env bash
# Cross-builds qorvel for 64-bit Windows with Debian's mingw-w64 and packs it:
#   out/windows/qorvel.exe           statically linked, no DLLs to carry
#   out/windows/qorvel-windows.zip   qorvel.exe, README.txt, qorvel.txt (the man page)
# Prints the two paths. Needs the packages of scripts/deps.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/windows
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target qorvel >/dev/null

out=out/windows
stage="$build/zip"
rm -rf "$stage" && mkdir -p "$out" "$stage"
cp "$build/cli/qorvel.exe" "$out/qorvel.exe"
cp "$out/qorvel.exe" "$stage/"
# Text files with CR LF line ends, as Notepad of every Windows version shows them.
sed 's/$/\r/' README.md >"$stage/README.txt"
MANWIDTH=80 man -l packaging/qorvel.1 2>/dev/null | col -bx | sed 's/$/\r/' >"$stage/qorvel.txt"
[ -s "$stage/qorvel.txt" ] || { echo "windows-build: the man page did not render" >&2; exit 1; }
rm -f "$out/qorvel-windows.zip"
(cd "$stage" && zip -q -X "$OLDPWD/$out/qorvel-windows.zip" qorvel.exe README.txt qorvel.txt)
echo "$PWD/$out/qorvel.exe"
echo "$PWD/$out/qorvel-windows.zip"
