#!/usr/bin/env bash
# Builds qorvel.exe and qorvel.dll (scripts/windows-build.sh) and the core
# tests for Windows, runs the core tests under Wine and checks qorvel.exe
# under Wine against the Linux build given as $1: every code and the layout
# on the samples and on random bytes, byte for byte, through files and
# through standard input and output; Chinese and Mongolian file names,
# and a Chinese name in a message to a file (UTF-8) and to a console on
# code page 936 (its characters); the bad inputs that apply on Windows and Ctrl+C, each with its exit status,
# the file named in the message, the old output untouched and no temporary
# file left. Then qorvel.dll as a C program uses it: tests/capi/convert_pieces.c
# built from the zip's header and import libraries alone converts every code
# and lays out in random pieces, against the same Linux build. Skips, saying
# so, only when mingw-w64 or Wine is not installed.
set -euo pipefail
. "$(dirname "$0")/windows-common.sh"
cd "$root"
linux=$(realpath "${1:?usage: scripts/windows-test.sh PATH/TO/LINUX/qorvel}")

windows_need windows-test x86_64-w64-mingw32-g++-posix wine zip unzip
if [ ! -f /usr/src/googletest/googletest/CMakeLists.txt ]; then
  echo "windows-test: SKIPPED: GoogleTest's sources are not installed (package googletest, scripts/deps.sh)"
  exit 0
fi

start=$SECONDS
built=$(scripts/windows-build.sh)
exe=$(sed -n 1p <<<"$built") zip=$(sed -n 2p <<<"$built")
# The core tests (every code and the layout against the references, on
# random inputs) built for Windows too.
tests=build/windows-tests
windows_configure "$tests" -DQORVEL_TESTS=ON
windows_compile "$tests" core_tests

# UTF-8 arguments and file names.
export LC_ALL=C.UTF-8
windows_wine
trap 'wineserver -k 2>/dev/null || true' EXIT

work=$(mktemp -d "$PWD/build/windows-test.XXXXXX")
trap 'wineserver -k 2>/dev/null || true; kill "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$exe" "$work/qorvel.exe"
cd "$work"

failures=0
fail() { echo "windows-test: FAIL: $*" >&2; failures=$((failures + 1)); }

if ! timeout 300 wine "$OLDPWD/$tests/tests/core_tests.exe" >core_tests.log 2>&1; then
  grep -E '^\[  FAILED|Failure|error' core_tests.log | head -40 >&2
  fail "core_tests.exe under Wine"
fi
# A hung run fails its check (status 124) instead of stalling the tests.
win() { timeout 60 wine ./qorvel.exe "$@"; }

# The same bytes as the Linux build: from a file to a file, then from
# standard input to standard output.
same() {  # what, the input file, then the arguments after the command
  local what=$1 input=$2; shift 2
  "$linux" "$@" -o lin.out "$input" 2>/dev/null || true
  win "$@" -o win.out "$input" >/dev/null 2>&1 || true
  cmp -s lin.out win.out || fail "$what: qorvel.exe -o gives other bytes than the Linux build"
  "$linux" "$@" <"$input" >lin.pipe 2>/dev/null || true
  win "$@" <"$input" >win.pipe 2>/dev/null || true
  cmp -s lin.pipe win.pipe || fail "$what: qorvel.exe on standard input and output gives other bytes than the Linux build"
  rm -f lin.out win.out lin.pipe win.pipe
}

# Random bytes with every byte value (CR, LF, NUL-free so the whole text
# counts, Ctrl+Z which a text-mode stream would take for the end).
head -c 300000 /dev/urandom | tr -d '\000' >random.txt
printf 'a\r\nb\nc\032d\r\r\n' >>random.txt

codes=$("$linux" convert --list | cut -f1)
[ -n "$codes" ] || fail "no codes listed"
[ "$(win convert --list 2>/dev/null)" = "$("$linux" convert --list)" ] || fail "convert --list differs"
for code in $codes; do
  sample="$OLDPWD/samples/${code%%-*}_sample.txt"
  if [ -f "$sample" ]; then same "$code on its sample" "$sample" convert -q --from "$code"; fi
  same "$code on random bytes" random.txt convert -q --from "$code"
done
same "layout of the Qorvel sample" "$OLDPWD/samples/qorvel_sample.txt" layout
same "layout of random bytes" random.txt layout -l 200

# qorvel.dll through its C interface, as a program a user builds on it from
# the zip (the header and the import library, the DLL beside the program)
# calls it: in random pieces into random output buffers, which must give
# the one-call form's bytes and the Linux build's. A NUL in the middle of
# an input ends a paste code's text there, wherever the pieces are cut,
# while a file code converts past it.
mkdir sdk
(cd sdk && unzip -q "$zip")
{ head -c 100000 random.txt; printf '\0'; head -c 1000 /dev/urandom; } >nul.txt
seed=$RANDOM
cc=(x86_64-w64-mingw32-gcc-posix -std=c99 -O2 -Wall -Wextra -Wpedantic -Werror -Isdk/include
    "$OLDPWD/tests/capi/convert_pieces.c")
pieces() {  # what, the input file, convert_pieces's arguments, then qorvel's for the same bytes
  local what=$1 input=$2 args=$3; shift 3
  "$linux" "$@" <"$input" >lin.out 2>/dev/null || true
  # shellcheck disable=SC2086  # the arguments are words without spaces
  if ! timeout 60 wine sdk/convert_pieces.exe $args <"$input" >win.out 2>err.txt; then
    fail "$what: convert_pieces $args: $(tr -d '\r' <err.txt)"
  elif ! cmp -s lin.out win.out; then
    fail "$what: convert_pieces $args through qorvel.dll gives other bytes than the Linux build"
  fi
}
if ! "${cc[@]}" -Lsdk/lib -lqorvel -o sdk/convert_pieces.exe 2>cc.txt ||
   ! "${cc[@]}" sdk/lib/qorvel.lib -o sdk/convert_pieces_lib.exe 2>>cc.txt; then
  fail "convert_pieces.c does not build on the zip's header and import libraries: $(head -n 20 cc.txt)"
else
  dll_codes=$(timeout 60 wine sdk/convert_pieces.exe --list 2>/dev/null | tr -d '\r' | cut -f1)
  [ "$dll_codes" = "$codes" ] || fail "qorvel.dll lists other codes than the Linux build: $dll_codes"
  # The import library for Visual Studio names the same DLL and functions.
  [ "$(timeout 60 wine sdk/convert_pieces_lib.exe --list 2>/dev/null | tr -d '\r' | cut -f1)" = "$dll_codes" ] ||
    fail "convert_pieces linked with qorvel.lib does not run against qorvel.dll"
  for code in $dll_codes; do
    sample="$OLDPWD/samples/${code%%-*}_sample.txt"
    if [ -f "$sample" ]; then pieces "$code on its sample" "$sample" "$code $seed" convert -q --from "$code"; fi
    pieces "$code on random bytes" random.txt "$code $((seed + 1))" convert -q --from "$code"
    pieces "$code on random bytes with a NUL" nul.txt "$code $((seed + 2))" convert -q --from "$code"
  done
  pieces "layout of the Qorvel sample" "$OLDPWD/samples/qorvel_sample.txt" "layout $seed" layout
  pieces "layout of random bytes" random.txt "layout $seed 200" layout -l 200
fi

# File names in Chinese and in Mongolian script.
cp "$OLDPWD/samples/qorvel_sample.txt" 蒙古文样本.txt
win layout -o ᠮᠣᠩᠭᠣᠯ.txt 蒙古文样本.txt >/dev/null 2>&1 || fail "layout with a Chinese and a Mongolian file name failed"
"$linux" layout -o lin.out 蒙古文样本.txt
cmp -s lin.out ᠮᠣᠩᠭᠣᠯ.txt || fail "the output named in Mongolian script is not the Linux build's"
win layout 缺失.txt 2>err.txt >/dev/null && fail "a missing Chinese-named file was accepted"
grep -q "缺失.txt" err.txt || fail "the message does not name the missing Chinese-named file: $(cat err.txt)"
# Where Windows' code pages are Chinese (936), a message to a file or a
# pipe still holds the name's UTF-8 bytes: a log reads the same on every
# system. The name comes in a batch file in code page 936: Wine in Chinese
# reads its own command line in the Linux locale's charset, and this
# machine need not have zh_CN.UTF-8.
printf '@qorvel.exe layout 缺失.txt\r\n' | iconv -f UTF-8 -t GBK >missing.bat
env LC_ALL=zh_CN.UTF-8 timeout 60 wine cmd /c missing.bat >/dev/null 2>err.txt && fail "a missing Chinese-named file was accepted (Wine in Chinese)"
grep -qF "'缺失.txt'" err.txt || fail "with Wine in Chinese, a message to a file does not hold the name in UTF-8: $(od -An -c err.txt | head -n 3)"
# In a console window on code page 936 the message shows the name's
# characters. Wine's console window needs a display: Xvfb, when installed.
if command -v Xvfb >/dev/null; then
  x86_64-w64-mingw32-gcc -std=c11 -O2 -Wall -Wextra -Wpedantic -Werror -municode \
    -o console_screen.exe "$OLDPWD/tests/windows/console_screen.c"
  windows_xvfb
  # The prefix's first process after this opens the display for all.
  wineserver -k 2>/dev/null || true
  status=0
  timeout 60 wine ./console_screen.exe qorvel.exe screen.txt || status=$?
  wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  unset DISPLAY
  if [ "$status" -ne 0 ]; then
    fail "console_screen.exe could not read a console under Wine (status $status)"
  elif ! grep -qF "'缺失.txt'" screen.txt; then
    fail "a console on code page 936 shows the message as: $(head -n 3 screen.txt)"
  fi
else
  echo "windows-test: the console check SKIPPED: Xvfb is not installed (scripts/deps.sh installs it)"
fi

# Bad inputs: exit status 1 (2 for a usage error), a message naming the
# file, the old output untouched, no temporary file left.
printf 'old output\r\n' >old.txt
cp old.txt keep.txt
mkdir folder
ln random.txt hardlink.txt
cp old.txt readonly.txt && chmod a-w readonly.txt
bad() {  # what, the exit status, the name the message gives, then the arguments
  local what=$1 want=$2 named=$3 got=0; shift 3
  win "$@" >/dev/null 2>err.txt || got=$?
  [ "$got" -eq "$want" ] || fail "$what: exit status $got, not $want"
  grep -qF -- "$named" err.txt || fail "$what: the message does not name $named: $(cat err.txt)"
  cmp -s old.txt keep.txt || fail "$what: the old output changed"
}
bad "missing input" 1 missing.txt convert -q --from hasi -o old.txt missing.txt
bad "a folder as input" 1 folder convert -q --from hasi -o old.txt folder
bad "a folder as output" 1 folder layout -o folder random.txt
bad "output = input through a hard link" 1 "'hardlink.txt': it is the input file" convert -q --from hasi -o hardlink.txt random.txt
bad "output = input spelled otherwise" 1 "it is the input file" layout -o 'sub\..\RANDOM.TXT' random.txt
bad "a read-only target" 1 readonly.txt layout -o readonly.txt random.txt
cmp -s readonly.txt old.txt || fail "the read-only target changed"
bad "unknown code" 2 nope convert --from nope -o old.txt random.txt
cmp -s hardlink.txt random.txt || fail "the input changed"
# Ctrl+C (Wine turns SIGINT into the console's Ctrl+C event) while the run
# waits on a pipe that stays open: status 130, the temporary file removed,
# the old output untouched. The pipe, not a big file, makes it independent
# of the machine's speed.
mkfifo input.pipe
exec 7<>input.pipe
printf 'abc' >&7
wine ./qorvel.exe convert -q --from hasi -o old.txt <input.pipe >/dev/null 2>&1 &
pid=$!
for _ in $(seq 300); do
  [ -n "$(find . -name '.old.txt.??????')" ] && break
  sleep 0.1
done
if [ -z "$(find . -name '.old.txt.??????')" ]; then
  fail "Ctrl+C: the run made no temporary file within 30 s"
  kill -KILL "$pid" 2>/dev/null || true
fi
kill -INT "$pid" 2>/dev/null || true
status=0
wait "$pid" || status=$?
exec 7>&-
[ "$status" -eq 130 ] || fail "Ctrl+C: exit status $status, not 130"
cmp -s old.txt keep.txt || fail "Ctrl+C: the old output changed"

leftover=$(find . -name '.*.??????')
[ -z "$leftover" ] || fail "temporary files left behind: $leftover"

if ((failures)); then
  echo "windows-test: $failures check(s) failed" >&2
  exit 1
fi
echo "windows-test: qorvel.exe and qorvel.dll under Wine match the Linux build ($((SECONDS - start)) s)"
