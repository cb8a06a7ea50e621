#!/usr/bin/env bash
# Checks code page 936 on Windows (cp936/cp936_win32.cpp on the
# system's table, cross-built with mingw-w64 and run under Wine) against
# the Linux half (cp936/cp936_icu.cpp over ICU's windows-936-2000): both write
# tests/windows/cp936_dump.h's dump of every one- and two-byte sequence and
# every BMP character, and the check passes when they differ exactly where
# tests/windows/cp936_differences.txt says. The user-defined area F8A1..FEFE
# (U+E234..U+E4C5, Qorvel's glyph codes) must map and round-trip exactly on
# Windows, listed or not. The dumper first checks that whole texts convert
# as their pieces do. It runs twice, with Wine's ANSI code page 1252 and 936,
# and both must agree: the explicit code page must not depend on the locale.
# Skips, saying so, only when mingw-w64, Wine or ICU is not installed.
#
#   scripts/windows-cp936-check.sh        the dumper under Wine
#   scripts/windows-cp936-check.sh DUMP   a dump that cp936_dump.exe wrote on
#                                         a real Windows, checked the same way
set -euo pipefail
windows_dump=${1:+$(realpath "$1")}
. "$(dirname "$0")/windows-common.sh"
cd "$root"

tools=(c++ pkg-config)
[ -n "$windows_dump" ] || tools+=(x86_64-w64-mingw32-g++-posix wine)
windows_need windows-cp936-check "${tools[@]}"
if ! pkg-config --exists icu-uc; then
  echo "windows-cp936-check: SKIPPED: ICU is not installed (libicu-dev, scripts/deps.sh)"
  exit 0
fi

exec </dev/null  # Wine never gets the terminal (see windows-common.sh)
work=build/windows-cp936
mkdir -p "$work"
flags=(-std=c++20 -O2 -Wall -Wextra -Wpedantic -Werror -I"$PWD")
stale() {  # target, then its sources
  local target=$1; shift
  [ -x "$target" ] || return 0
  for source in "$@"; do [ "$source" -nt "$target" ] && return 0; done
  return 1
}
win_sources=(tests/windows/cp936_dump.cpp cp936/cp936_win32.cpp)
if [ -z "$windows_dump" ] && stale "$work/cp936_dump.exe" "${win_sources[@]}" tests/windows/cp936_dump.h cp936/cp936.h; then
  x86_64-w64-mingw32-g++-posix "${flags[@]}" -static "${win_sources[@]}" -o "$work/cp936_dump.exe"
fi
icu_sources=(tests/windows/cp936_dump_icu.cpp cp936/cp936_icu.cpp)
if stale "$work/cp936_dump_icu" "${icu_sources[@]}" tests/windows/cp936_dump.h cp936/cp936.h; then
  # shellcheck disable=SC2046
  c++ "${flags[@]}" "${icu_sources[@]}" $(pkg-config --cflags --libs icu-uc) -o "$work/cp936_dump_icu"
fi

"$work/cp936_dump_icu" "$work/icu.txt"

windows=$work/windows-C.UTF-8.txt
if [ -n "$windows_dump" ]; then
  # Written on Windows: its line ends may have become CR LF on the way.
  windows=$work/windows-given.txt
  tr -d '\r' <"$windows_dump" >"$windows"
else
  LC_ALL=C.UTF-8 windows_wine
  trap 'wineserver -k 2>/dev/null || true' EXIT
  for locale in C.UTF-8 zh_CN.UTF-8; do
    if ! env -u LANG LC_ALL=$locale timeout 300 wine "$work/cp936_dump.exe" "$work/windows-$locale.txt"; then
      echo "windows-cp936-check: FAIL: cp936_dump.exe under Wine (LC_ALL=$locale)" >&2
      exit 1
    fi
  done
  if ! cmp -s "$work/windows-C.UTF-8.txt" "$work/windows-zh_CN.UTF-8.txt"; then
    echo "windows-cp936-check: FAIL: the Windows conversion depends on the locale" >&2
    exit 1
  fi
fi

# One line per difference: the input, then ICU's answer, then Windows'.
paste -d'|' "$work/icu.txt" "$windows" | awk -F'|' '
  $1 != $2 {
    na = split($1, a, " "); nb = split($2, b, " ")
    if (a[1] != b[1] || a[2] != b[2]) { print "out of step: " $0; exit 1 }
    line = a[1] " " a[2] " icu"
    for (i = 3; i <= na; i++) line = line " " a[i]
    line = line " windows"
    for (i = 3; i <= nb; i++) line = line " " b[i]
    print line
  }' >"$work/found.txt" || true
grep -v -e '^#' -e '^$' tests/windows/cp936_differences.txt >"$work/expected.txt" || true

failures=0
fail() { echo "windows-cp936-check: FAIL: $*" >&2; failures=$((failures + 1)); }

lines=$(wc -l <"$work/icu.txt")
[ "$lines" -eq 129280 ] || fail "ICU's dump has $lines lines, not 65,792 sequences + 63,488 characters"
[ "$(wc -l <"$windows")" -eq "$lines" ] || fail "the dumps have different lengths"
grep -q '^out of step' "$work/found.txt" && fail "the dumps are out of step"

# The user-defined area on Windows itself: F8A1 + k <-> U+E234 + k, both ways
# (in decimal: mawk reads no hexadecimal constants).
awk '
  function hex(s,   v, i) {
    v = 0
    for (i = 1; i <= length(s); i++) v = v * 16 + index("0123456789ABCDEF", substr(s, i, 1)) - 1
    return v
  }
  $1 == "D" && length($2) == 4 {
    lead = hex(substr($2, 1, 2)); trail = hex(substr($2, 3, 2))
    if (lead >= 248 && lead <= 254 && trail >= 161 && trail <= 254) {  # F8..FE, A1..FE
      want = sprintf("%04X", 57908 + (lead - 248) * 94 + trail - 161)  # U+E234..
      if (NF != 3 || $3 != want) print "decodes " $2 " to " $3 " " $4 ", not " want
    }
  }
  $1 == "E" {
    k = hex($2) - 57908
    if (k >= 0 && k < 7 * 94) {
      want = sprintf("%02X%02X", 248 + int(k / 94), 161 + k % 94)
      if ($3 != want) print "encodes U+" $2 " to " $3 ", not " want
    }
  }' "$windows" >"$work/user_area.txt"
if [ -s "$work/user_area.txt" ]; then
  fail "the user-defined area F8A1..FEFE does not round-trip on Windows:"
  head -20 "$work/user_area.txt" >&2
fi

unexpected=$(grep -vxF -f "$work/expected.txt" "$work/found.txt" || true)
missing=$(grep -vxF -f "$work/found.txt" "$work/expected.txt" || true)
if [ -n "$unexpected" ]; then
  fail "$(wc -l <<<"$unexpected") difference(s) not in tests/windows/cp936_differences.txt, such as:"
  head -20 <<<"$unexpected" >&2
fi
if [ -n "$missing" ]; then
  fail "$(wc -l <<<"$missing") recorded difference(s) no longer there, such as:"
  head -20 <<<"$missing" >&2
fi

# The summary: consecutive inputs of one kind make one range.
awk '
  function hex(s,   v, i) {
    v = 0
    for (i = 1; i <= length(s); i++) v = v * 16 + index("0123456789ABCDEF", substr(s, i, 1)) - 1
    return v
  }
  function flush() {
    if (kind == "") return
    p = kind == "E" ? "U+" : ""
    ranges[kind] = ranges[kind] " " (first == last ? p first : p first ".." p last)
    kind = ""
  }
  function show(what, n, list,   words, i, k, line) {
    line = sprintf("  %s: %d differ%s", what, n, n ? ", at" : "")
    k = split(list, words, " ")
    for (i = 1; i <= k; i++) {
      if (length(line) + length(words[i]) > 96) { print line; line = "   " }
      line = line " " words[i]
    }
    print line
  }
  {
    count[$1]++
    v = hex($2) + length($2) * 65536  # a one-byte sequence never joins a two-byte one
    if ($1 != kind || v != prev + 1) { flush(); kind = $1; first = $2 }
    last = $2; prev = v
  }
  END {
    flush()
    print "windows-cp936-check: compared 65,792 byte sequences and 63,488 characters"
    show("decoding", count["D"], ranges["D"])
    show("encoding", count["E"], ranges["E"])
  }' "$work/found.txt"

if ((failures)); then
  echo "windows-cp936-check: $failures check(s) failed" >&2
  exit 1
fi
echo "windows-cp936-check: the differences are exactly the recorded ones; the user-defined area round-trips"
