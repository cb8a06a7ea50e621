#!/usr/bin/env bash
# Cross-builds qorvel and libqorvel for 64-bit Windows with Debian's
# mingw-w64 and packs them:
#   out/windows/qorvel.exe           statically linked, no DLLs to carry
#   out/windows/qorvel-windows.zip   qorvel.exe, qorvel.dll, README.txt, LICENSE.txt,
#     qorvel.txt (the man page), and for C programs on the library
#     include/qorvel.h and lib/ with the import libraries libqorvel.dll.a
#     (MinGW), qorvel.lib (Visual Studio) and qorvel.def
# qorvel.exe and qorvel.dll are checked to need only Windows' own DLLs, and
# qorvel.dll to export exactly the functions qorvel.h declares.
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
. "$(dirname "$0")/windows-common.sh"
cd "$root"

gui=() missing=()
find_gui() {  # the folder; fills gui with the three paths, missing with what is not there
  local app
  gui=() missing=()
  for app in "${windows_gui[@]}"; do
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
windows_configure "$build"
windows_compile "$build" qorvel libqorvel

scripts/windows-dlls.sh "$build/cli/qorvel.exe" "$build/capi/qorvel.dll"
# Nothing of the C++ runtime or the core, and nothing qorvel.h promises
# missing: a C program links by these names.
exported=$(x86_64-w64-mingw32-objdump -p "$build/capi/qorvel.dll" |
  sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\t\[ *[0-9]*\] //p' | sort)
declared=$(scripts/qorvel-api.sh functions)
if [ "$exported" != "$declared" ]; then
  echo "windows-build: qorvel.dll's exports are not the functions of qorvel.h:" >&2
  diff <(echo "$declared") <(echo "$exported") | sed -n 's/^[<>]/  &/p' >&2
  exit 1
fi

out=out/windows
stage="$build/zip"
rm -rf "$stage" && mkdir -p "$out" "$stage/include" "$stage/lib"
cp "$build/cli/qorvel.exe" "$out/qorvel.exe"
cp "$build/capi/qorvel.dll" "$stage/"
cp capi/qorvel.h "$stage/include/"
cp "$build/capi/"{libqorvel.dll.a,qorvel.lib,qorvel.def} "$stage/lib/"
programs=(qorvel.exe)
if ((${#gui[@]})); then
  cp "${gui[@]}" "$out/"
  programs=("${windows_programs[@]}")
fi
(cd "$out" && cp "${programs[@]}" "$OLDPWD/$stage/")
scripts/windows-texts.sh "$stage"
rm -f "$out/qorvel-windows.zip"
(cd "$stage" && zip -q -X "$OLDPWD/$out/qorvel-windows.zip" "${programs[@]}" qorvel.dll "${windows_texts[@]}" \
  include/qorvel.h lib/{libqorvel.dll.a,qorvel.lib,qorvel.def})
echo "$PWD/$out/qorvel.exe"
echo "$PWD/$out/qorvel-windows.zip"
if ((${#gui[@]})); then scripts/windows-installer.sh "$out"; fi
