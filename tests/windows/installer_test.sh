#!/usr/bin/env bash
# The Windows installer under Wine, in a new private prefix, along a user's
# path (the numbered steps below): silent install, files, shortcuts,
# registry, the folder on the machine's PATH (which was longer than NSIS's
# 1,024-character strings before); update and uninstall refused while a
# program runs; uninstall, which gives PATH back as it was; /D= into a
# Chinese folder name with a space, where a Command Prompt then finds
# qorvel, an update that finds it, one told /NOPATH, an uninstall that
# keeps the user's own file.
#   tests/windows/installer_test.sh [FOLDER]
# FOLDER holds velmar.exe, orlenta.exe, kestrum.exe and qorvel.exe; without
# it, copies of qorvel.exe (scripts/windows-build.sh) stand in for the
# desktop programs. Skips, saying so, without NSIS, mingw-w64 or Wine.
set -euo pipefail
given=${1:+$(realpath "$1")}
. "$(dirname "$0")/../../scripts/windows-common.sh"
cd "$root"

windows_need installer-test makensis x86_64-w64-mingw32-gcc wine winepath wineserver

start=$SECONDS
work=$root/build/installer-test
rm -rf "$work" && mkdir -p "$work"
if [ -n "$given" ]; then
  programs=$given
else
  qorvel=$(scripts/windows-build.sh | sed -n 1p)
  programs=$work/programs
  mkdir "$programs"
  for exe in "${windows_programs[@]}"; do cp "$qorvel" "$programs/$exe"; done
fi
# A page of its own, so that the optional web page is installed and removed
# whether or not out/web/index.html has been built.
page=$work/index.html
printf '<!DOCTYPE html>\n<title>Qorvel</title>\n' >"$page"
setup=$(scripts/windows-installer.sh -o "$work/qorvel-setup.exe" "$programs" "$page")
version=$(scripts/qorvel-api.sh version)
x86_64-w64-mingw32-gcc -O1 -municode -o "$work/lnk_target.exe" tests/windows/lnk_target.c -lole32 -luuid -lshell32

# A new prefix each run: an old one would hold the last run's installation.
export LC_ALL=C.UTF-8
rm -rf "$root/build/wineprefix-installer"
windows_wine "$root/build/wineprefix-installer"
trap 'wineserver -k 2>/dev/null || true' EXIT

failures=0
fail() { echo "installer-test: FAIL: $*" >&2; failures=$((failures + 1)); }
# Nothing but the test keeps the pipe of step 2 open for writing (7>&-):
# a wineserver started meanwhile, or the subshell that runs the held
# program, would, and the held program would never see its end.
win() { timeout 120 wine "$@" 7>&-; }
# The uninstaller copies itself into TEMP, starts the copy and returns at
# once: only the end of every process of the prefix says it is done.
settle() { timeout 120 wineserver -w || fail "Wine's processes did not end within 120 s"; }
unix() { winepath -u "$1" 2>/dev/null 7>&-; }
listing() { ls "$1" 2>/dev/null | paste -sd ' ' || true; }

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Qorvel'
env_key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
menu='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Qorvel'
shortcuts=("Velmar 蒙文网页排版.lnk" "Orlenta 蒙科立蒙文转换.lnk" "Kestrum 哈斯蒙文转换.lnk" "README.lnk")
targets=(velmar.exe orlenta.exe kestrum.exe README.txt)
installed_files=$(printf '%s\n' "${windows_programs[@]}" "${windows_texts[@]}" index.html uninstall.exe | sort | paste -sd ' ')

# The key as regedit exports it (UTF-16, so that a Chinese folder name
# survives, which reg query's output in the ANSI code page does not).
export_key() {
  rm -f "$work/key.reg"
  win reg export "$key" "$(winepath -w "$work/key.reg" 7>&-)" /y >/dev/null 2>&1 &&
    iconv -f UTF-16 -t UTF-8 "$work/key.reg" | tr -d '\r' >"$work/key.txt"
}
reg_value() {  # the value's name; a string unquoted and unescaped
  sed -n "s/^\"$1\"=//p" "$work/key.txt" |
    sed -e 's/^"\(.*\)"$/\1/' -e 's/\\\\/\x01/g' -e 's/\\"/"/g' -e 's/\x01/\\/g'
}
# As a user types it in a Command Prompt: the line as it is, where Wine
# would quote an argument with a space in it whole.
prompt() { timeout 120 wine cmd /c "$1" 7>&-; }

installed() {  # the folder (Windows path), what it is called in messages
  local dir=$1 what=$2 unixdir
  unixdir=$(unix "$dir")
  [ "$(listing "$unixdir")" = "$installed_files" ] ||
    fail "$what: $dir holds '$(listing "$unixdir")', not '$installed_files'"
  for exe in "${windows_programs[@]}"; do
    cmp -s "$programs/$exe" "$unixdir/$exe" || fail "$what: $dir\\$exe is not the given program"
  done
  cmp -s "$page" "$unixdir/index.html" || fail "$what: $dir\\index.html is not the given page"

  local expected="" got paths=()
  got=$(listing "$(unix "$menu")")
  [ "$got" = "$(printf '%s\n' "${shortcuts[@]}" | sort | paste -sd ' ')" ] ||
    fail "$what: the Start-menu folder holds '$got'"
  for i in "${!shortcuts[@]}"; do
    paths+=("$menu\\${shortcuts[$i]}")
    expected+="$dir\\${targets[$i]}	$dir"$'\n'
  done
  got=$(win "$work/lnk_target.exe" "${paths[@]}" 2>&1 | tr -d '\r')$'\n' || true
  [ "$got" = "$expected" ] || fail "$what: the shortcuts lead to (target, working folder):"$'\n'"$got"

  if ! export_key; then
    fail "$what: no $key"
    return
  fi
  local name want
  while IFS='=' read -r name want; do
    [ "$(reg_value "$name")" = "$want" ] || fail "$what: $name is '$(reg_value "$name")', not '$want'"
  done <<EOF
DisplayName=Qorvel
DisplayVersion=$version
UninstallString="$dir\\uninstall.exe"
QuietUninstallString="$dir\\uninstall.exe" /S
InstallLocation=$dir
EOF
}

# The machine's PATH: its type, a space, its value. reg query writes in
# the ANSI code page; Chinese (936) spells the Chinese folder name.
machine_path() {
  timeout 120 env LC_ALL=zh_CN.UTF-8 wine reg query "$env_key" /v Path 2>/dev/null 7>&- | iconv -f GB18030 -t UTF-8 | tr -d '\r' |
    sed -n 's/^    Path    \(REG_[A-Z_]*\)    /\1 /p'
}
set_machine_path() { win reg add "$env_key" /v Path /t REG_EXPAND_SZ /d "$1" /f >/dev/null 2>&1; }
# PATH is $base with the folder $1 added at the end ("": without it), and
# the uninstall entry remembers the folder as the one it added.
on_path() {  # the folder or "", what it is called in messages
  local want="REG_EXPAND_SZ $base${1:+;$1}" got
  got=$(machine_path)
  [ "$got" = "$want" ] || fail "$2: the machine's PATH is not the one before${1:+ with $1 added}: it ends in '${got: -120}'"
  if [ -n "$1" ]; then
    export_key && [ "$(reg_value PathEntry)" = "$1" ] || fail "$2: the uninstall entry does not name $1 as added to PATH"
  fi
}

removed() {  # the folder (Windows path), what it is called in messages, what stays there
  local dir=$1 what=$2 stays=${3:-} unixdir
  unixdir=$(unix "$dir")
  [ -n "$stays" ] || [ ! -e "$unixdir" ] || fail "$what: $dir is still there"
  [ "$(listing "$unixdir")" = "$stays" ] ||
    fail "$what: $dir holds '$(listing "$unixdir")', not '$stays'"
  [ ! -e "$(unix "$menu")" ] || fail "$what: the Start-menu folder is still there: $(listing "$(unix "$menu")")"
  if export_key; then fail "$what: $key is still there"; fi
}

# 1. The default folder, with a PATH longer than an NSIS string (1,024
# characters) and of the type Windows gives it (%SystemRoot% unexpanded).
original=$(machine_path)
[ "${original%% *}" = REG_EXPAND_SZ ] || fail "Wine's PATH is '$original', not a REG_EXPAND_SZ"
base=${original#* }
for i in $(seq 40); do base+=";C:\Tools\Long Entry $i\bin"; done
set_machine_path "$base"
on_path "" "a long PATH set with reg add"
dir='C:\Program Files\Qorvel'
status=0
win "$setup" /S >/dev/null 2>&1 || status=$?
settle
[ "$status" -eq 0 ] || fail "install: status $status"
installed "$dir" "install"
on_path "$dir" "install"

# 2. qorvel.exe held open on a pipe: neither the update nor the uninstall
# may go ahead. The uninstaller runs in place (_?=, as typed in a Command
# Prompt in the folder) so that its status is seen and nothing waits for
# the held program to end.
mkfifo "$work/hold"
exec 7<>"$work/hold"
win "$dir\\qorvel.exe" convert -q --from hasi -o 'C:\held.txt' <"$work/hold" >/dev/null 2>&1 7>&- &
held=$!
for _ in $(seq 300); do
  [ -n "$(find "$(unix 'C:\')" -maxdepth 1 -name '.held.txt.??????')" ] && break
  sleep 0.1
done
status=0
win "$setup" /S >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "update while qorvel.exe runs: status $status, not 2"
status=0
(cd "$(unix "$dir")" && prompt "uninstall.exe /S _?=$dir" >/dev/null 2>&1) || status=$?
[ "$status" -eq 2 ] || fail "uninstall while qorvel.exe runs: status $status, not 2"
exec 7>&-
wait "$held" || fail "the held qorvel.exe ended with status $?"
settle
installed "$dir" "after the update and the uninstall that stopped"
on_path "$dir" "after the update and the uninstall that stopped"

# 3. The uninstall as Apps and features runs it.
# (installed above checked that its QuietUninstallString is this command.)
win "$dir\\uninstall.exe" /S >/dev/null 2>&1 || fail "uninstall: status $?"
settle
removed "$dir" "uninstall"
on_path "" "uninstall"

# 4. A folder of the user's choice; an update finds it on its own. Wine
# cuts a process's PATH at about 1,000 characters, so the Command Prompt
# that looks for qorvel gets Wine's own short one with the folder added.
base=${original#* }
set_machine_path "$base"
dir='C:\蒙古文 工具\Qorvel'
prompt "$(winepath -w "$setup") /S /D=$dir" >/dev/null 2>&1 || fail "install /D=$dir: status $?"
settle
installed "$dir" "install /D=$dir"
on_path "$dir" "install /D=$dir"
found=$(prompt "cd /d C:\ && qorvel --version" 2>/dev/null | tr -d '\r') || true
[ "$found" = "qorvel $version" ] || fail "a Command Prompt in C:\\ does not find qorvel on PATH: '$found'"
win "$setup" /S >/dev/null 2>&1 || fail "update: status $?"
settle
installed "$dir" "update without /D="
on_path "$dir" "update without /D="
[ ! -e "$(unix 'C:\Program Files\Qorvel')" ] || fail "the update without /D= went into C:\\Program Files\\Qorvel"
win "$setup" /S /NOPATH >/dev/null 2>&1 || fail "update /NOPATH: status $?"
settle
installed "$dir" "update /NOPATH"
on_path "" "update /NOPATH"
export_key && [ -z "$(reg_value PathEntry)" ] || fail "update /NOPATH: the uninstall entry still names a PATH entry"
printf 'my notes\r\n' >"$(unix "$dir")/notes.txt"
win "$dir\\uninstall.exe" /S >/dev/null 2>&1 || fail "uninstall from $dir: status $?"
settle
removed "$dir" "uninstall from $dir" notes.txt
on_path "" "uninstall from $dir"

wineserver -k 2>/dev/null || true
if ((failures)); then
  echo "installer-test: $failures check(s) failed; the prefix is kept in $WINEPREFIX" >&2
  exit 1
fi
rm -rf "$WINEPREFIX"
echo "installer-test: install, update and uninstall under Wine as expected ($((SECONDS - start)) s)"
