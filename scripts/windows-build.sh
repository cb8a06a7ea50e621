#!/usr/bin/env bash
# Cross-builds qorvel for 64-bit Windows with Debian's mingw-w64 and packs it:
#   out/windows/qorvel.exe           statically linked, no DLLs to carry
#   out/windows/qorvel-windows.zip   qorvel.exe, README.txt, qorvel.txt (the man page)
# Prints the two paths, qorvel.exe's first. Needs the packages of scripts/deps.sh.
#
#   scripts/windows-build.sh [GUI_FOLDER]
#
# The desktop programs come from elsewhere (their Windows build): when
# GUI_FOLDER, or else build/windows-gui, holds velmar.exe, orlenta.exe and
# kestrum.exe (each in it or in a subfolder of its name, as a CMake build
# folder has them), they go beside qorvel.exe into out/windows/ and the zip,
# and scripts/windows-installer.sh makes out/windows/qorvel-setup.exe, whose
# path is printed third. A GUI_FOLDER that lacks one of them is an error.
set -euo pipefail
given=${1:+$(realpath "$1")}
cd "$(dirname "$0")/.."

gui=() missing=()
find_gui() {  # the folder; fills gui with the three paths, missing with what is not there
  local app
  gui=() missing=()
  for app in velmar orlenta kestrum; do
    if [ -f "$1/$app.exe" ]; then gui+=("$1/$app.exe")
    elif [ -f "$1/$app/$app.exe" ]; then gui+=("$1/$app/$app.exe")
    else missing+=("$app.exe")
    fi
  done
  ((${#missing[@]} == 0)) || gui=()
}
if [ -n "$given" ]; then
  find_gui "$given"
  if ((${#missing[@]})); then
    echo "windows-build: $given lacks ${missing[*]}" >&2
    exit 1
  fi
else
  find_gui build/windows-gui
fi

build=build/windows
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target qorvel >"$build.log" 2>&1 ||
  { grep -E 'error|Error' "$build.log" | head -n 30 >&2; echo "windows-build: build failed ($build.log)" >&2; exit 1; }

out=out/windows
stage="$build/zip"
rm -rf "$stage" && mkdir -p "$out" "$stage"
cp "$build/cli/qorvel.exe" "$out/qorvel.exe"
programs=(qorvel.exe)
if ((${#gui[@]})); then
  cp "${gui[@]}" "$out/"
  programs=(velmar.exe orlenta.exe kestrum.exe qorvel.exe)
fi
(cd "$out" && cp "${programs[@]}" "$OLDPWD/$stage/")
scripts/windows-texts.sh "$stage"
rm -f "$out/qorvel-windows.zip"
(cd "$stage" && zip -q -X "$OLDPWD/$out/qorvel-windows.zip" "${programs[@]}" README.txt qorvel.txt)
echo "$PWD/$out/qorvel.exe"
echo "$PWD/$out/qorvel-windows.zip"
if ((${#gui[@]})); then scripts/windows-installer.sh "$out"; fi
