#!/usr/bin/env bash
# Writes the text files that go beside the Windows programs, in the zip
# and in the installer, into the folder $1:
#   README.txt   README.md, then every file of docs/ (Windows first), each
#                under a line naming it: the zip has no docs/ folder, so
#                README's links are found by those lines
#   LICENSE.txt  the license (MIT)
#   qorvel.txt   the man page rendered as plain text
# All with CR LF line ends, as Notepad of every Windows version shows them.
set -euo pipefail
dir=${1:?usage: scripts/windows-texts.sh FOLDER}
src=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$dir"
docs=("$src/docs/windows.md")
for doc in "$src"/docs/*.md; do
  [ "$doc" = "$src/docs/windows.md" ] || docs+=("$doc")
done
{
  cat "$src/README.md"
  for doc in "${docs[@]}"; do
    printf '\n\n==== docs/%s ====\n\n' "${doc##*/}"
    cat "$doc"
  done
} | sed 's/$/\r/' >"$dir/README.txt"
sed 's/$/\r/' "$src/LICENSE" >"$dir/LICENSE.txt"
MANWIDTH=80 man -l "$src/packaging/qorvel.1" 2>/dev/null | col -bx | sed 's/$/\r/' >"$dir/qorvel.txt"
[ -s "$dir/qorvel.txt" ] || { echo "windows-texts: the man page did not render" >&2; exit 1; }
