#!/usr/bin/env bash
# Builds the Windows installer with NSIS (packaging/windows/qorvel.nsi):
#   scripts/windows-installer.sh [-o SETUP.exe] FOLDER [INDEX.html]
# FOLDER holds the four programs (windows_programs of windows-common.sh). The web
# page is INDEX.html, else FOLDER/index.html, else out/web/index.html, else
# none. Writes out/windows/qorvel-setup.exe (or SETUP.exe) and prints its path.
set -euo pipefail
. "$(dirname "$0")/windows-common.sh"
usage() { echo "usage: scripts/windows-installer.sh [-o SETUP.exe] FOLDER [INDEX.html]" >&2; exit 2; }

setup=$root/out/windows/qorvel-setup.exe
if [ "${1:-}" = -o ]; then
  [ $# -ge 2 ] || usage
  setup=$2
  shift 2
fi
[ $# -ge 1 ] && [ $# -le 2 ] || usage
folder=$1
page=${2:-}
[ -d "$folder" ] || { echo "windows-installer: $folder is not a folder" >&2; exit 1; }
missing=()
for exe in "${windows_programs[@]}"; do
  [ -f "$folder/$exe" ] || missing+=("$exe")
done
if ((${#missing[@]})); then
  echo "windows-installer: $folder lacks ${missing[*]}; the installer needs all four programs" >&2
  exit 1
fi
if [ -z "$page" ]; then
  for candidate in "$folder/index.html" "$root/out/web/index.html"; do
    if [ -f "$candidate" ]; then page=$candidate; break; fi
  done
fi
[ -z "$page" ] || [ -f "$page" ] || { echo "windows-installer: no web page at $page" >&2; exit 1; }
command -v makensis >/dev/null || { echo "windows-installer: makensis is not installed (package nsis, scripts/deps.sh)" >&2; exit 1; }

version=$("$root/scripts/qorvel-api.sh" version)

# The programs and the texts side by side, as the installer takes them, with
# the one list of them that installing, the in-use check and uninstalling
# share. The web page is on the list whether or not it is given: an update
# without it removes an earlier one.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
(cd "$folder" && cp "${windows_programs[@]}" "$stage/")
"$root/scripts/windows-texts.sh" "$stage"
[ -z "$page" ] || cp "$page" "$stage/index.html"
{
  echo "; Written by scripts/windows-installer.sh."
  echo "!macro QORVEL_FILES action"
  for file in "${windows_programs[@]}" "${windows_texts[@]}" index.html; do
    echo "  !insertmacro \${action} $file"
  done
  echo "!macroend"
} >"$stage/files.nsh"
x86_64-w64-mingw32-gcc -std=c11 -O2 -Wall -Wextra -Wpedantic -Werror -municode -static \
  -o "$stage/path_entry.exe" "$root/packaging/windows/path_entry.c"

mkdir -p "$(dirname "$setup")"
setup=$(cd "$(dirname "$setup")" && pwd)/$(basename "$setup")
if ! makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSRCDIR="$stage" -DOUTFILE="$setup" \
  "$root/packaging/windows/qorvel.nsi" >"$stage/makensis.log" 2>&1; then
  cat "$stage/makensis.log" >&2
  echo "windows-installer: makensis failed" >&2
  exit 1
fi
echo "$setup"
