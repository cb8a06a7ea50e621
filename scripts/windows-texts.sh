#!/usr/bin/env bash
# Writes the text files that go beside the Windows programs, in the zip
# and in the installer, into the folder $1:
#   README.txt   README.md as it is
#   LICENSE.txt  the license (MIT)
#   qorvel.txt   the man page rendered as plain text
# All with CR LF line ends, as Notepad of every Windows version shows them.
set -euo pipefail
dir=${1:?usage: scripts/windows-texts.sh FOLDER}
src=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$dir"
sed 's/$/\r/' "$src/README.md" >"$dir/README.txt"
sed 's/$/\r/' "$src/LICENSE" >"$dir/LICENSE.txt"
MANWIDTH=80 man -l "$src/packaging/qorvel.1" 2>/dev/null | col -bx | sed 's/$/\r/' >"$dir/qorvel.txt"
[ -s "$dir/qorvel.txt" ] || { echo "windows-texts: the man page did not render" >&2; exit 1; }
