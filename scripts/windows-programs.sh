#!/usr/bin/env bash
# Cross-builds Velmar, Orlenta and Kestrum for 64-bit Windows against the
# static Qt of scripts/windows-qt.sh (built once into a cache, about 45
# minutes the first time): velmar.exe, orlenta.exe and kestrum.exe in
# out/windows/, each one file that needs only Windows' own DLLs (checked
# with scripts/windows-dlls.sh). Prints the folder.
set -euo pipefail
cd "$(dirname "$0")/.."

qt=$(scripts/windows-qt.sh | tail -n1)
build=build/windows-gui
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
  -DQORVEL_WINDOWS_QT="$qt" -DCMAKE_PREFIX_PATH="$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQORVEL_GUI=ON -DQORVEL_TESTS=OFF -DQORVEL_BENCH=OFF "${launcher[@]}" >"$build.configure.log" 2>&1 ||
  { tail -n 30 "$build.configure.log" >&2; echo "windows-programs: configure failed" >&2; exit 1; }
cmake --build "$build" -j"$(nproc)" --target velmar orlenta kestrum >"$build.log" 2>&1 ||
  { grep -E 'error|Error' "$build.log" | head -n 30 >&2; echo "windows-programs: build failed ($build.log)" >&2; exit 1; }

out=out/windows
mkdir -p "$out"
for app in velmar orlenta kestrum; do
  cp "$build/$app/$app.exe" "$out/$app.exe"
done
scripts/windows-dlls.sh "$out"/{velmar,orlenta,kestrum}.exe
echo "$PWD/$out"
