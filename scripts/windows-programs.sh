#!/usr/bin/env bash
# Cross-builds Velmar, Orlenta and Kestrum for 64-bit Windows against the
# static Qt of scripts/windows-qt.sh (built once into a cache, about 45
# minutes the first time): velmar.exe, orlenta.exe and kestrum.exe in
# out/windows/, each one file that needs only Windows' own DLLs (checked
# here with objdump). Prints the folder.
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
# Windows' own DLLs, which every Windows has: anything else would have to be
# carried beside the programs.
system_dlls='^(advapi32|comdlg32|dwmapi|dwrite|d2d1|d3d9|d3d11|dxgi|shcore|gdi32|imm32|kernel32|msvcrt|netapi32|ole32|oleaut32|shell32|shlwapi|user32|userenv|uxtheme|version|winmm|winspool\.drv|ws2_32|wtsapi32|setupapi|authz|api-ms-win-[a-z0-9-]+|mpr|comctl32|bcrypt|crypt32|secur32|rpcrt4|ntdll)(\.dll)?$'
for app in velmar orlenta kestrum; do
  cp "$build/$app/$app.exe" "$out/$app.exe"
  foreign=$(x86_64-w64-mingw32-objdump -p "$out/$app.exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' |
    grep -Ev "$system_dlls" || true)
  if [ -n "$foreign" ]; then
    echo "windows-programs: $app.exe needs DLLs that are not Windows' own: $foreign" >&2
    exit 1
  fi
done
echo "$PWD/$out"
