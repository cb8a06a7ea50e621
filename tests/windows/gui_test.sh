#!/usr/bin/env bash
# The Windows desktop programs under Wine, driven as a user drives them: on
# Xvfb with a window manager, keys typed with xdotool, the clipboard read and
# filled with xclip (Wine shares its clipboard with X).
#   tests/windows/gui_test.sh EXE_DIR
# EXE_DIR holds velmar.exe, orlenta.exe, kestrum.exe and qorvel.exe. They
# are installed by qorvel-setup.exe (silently) and started from the folder it
# installs them in, where the Start-menu entries point; at the end the
# uninstaller takes them away again. Each program shows its main window
# with its title (screenshots are kept in
# build/windows-gui-shots/); Orlenta and Kestrum convert a sample from typed
# paths and Enter into qorvel.exe's bytes (the box says 转换结束) and refuse
# a missing input (a new box: "Open File 1 Error !" or "Open File Error !"
# and a reason; Ctrl+C copies a box's text);
# Velmar opens a file named on its command line, saves it as another file
# with the same bytes, copies the web-format text to the clipboard as
# Unicode (the layout's bytes through code page 936) and the HTML of its
# columns as CF_HTML (qorvel.exe's fragment), and converts pasted Mengkeli
# text into qorvel.exe's bytes.
set -euo pipefail
exes=$(realpath "${1:?usage: tests/windows/gui_test.sh EXE_DIR}")
. "$(dirname "$0")/../../scripts/windows-common.sh"
cd "$root"
shots=$root/build/windows-gui-shots
rm -rf "$shots" && mkdir -p "$shots"
work=$(mktemp -d "$root/build/windows-gui.XXXXXX")

# Wine in Chinese (code page 936 is then its ANSI code page, as on the
# users' machines), in the project's own prefix. Every Wine process in
# Chinese: the first one starts the prefix's desktop process, whose code
# page turns the X clipboard's text into CF_TEXT.
wine() { env LC_ALL=zh_CN.UTF-8 wine "$@"; }
winepath() { env LC_ALL=zh_CN.UTF-8 winepath "$@"; }
windows_wine
wineserver -k 2>/dev/null || true  # a server left by other checks, in their locale

windows_xvfb
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "${wm:-}" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
openbox >/dev/null 2>&1 &
wm=$!

failures=0
fail() { echo "windows-gui: FAIL: $*" >&2; failures=$((failures + 1)); }

# Waits up to $2 seconds (default 30) for a visible window whose title
# matches the extended regular expression $1 and prints its id. (xdotool's
# own --name match misses titles in Chinese, so the titles are read out.)
window() {
  local id
  for _ in $(seq $((${2:-30} * 4))); do
    for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
      if xdotool getwindowname "$id" 2>/dev/null | grep -qE -- "$1"; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.25
  done
  return 1
}
# Gives window $1 the keyboard and types the keys that follow.
keys() {
  local id=$1
  shift
  xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus --sync "$id"
  sleep 0.3
  xdotool key --delay 60 "$@"
}
typed() { xdotool type --delay 20 "$1"; }
shot() { import -window root "$shots/$1.png"; }
winpath() { winepath -w "$1" 2>/dev/null; }
gone() {  # waits for window $1 to close
  for _ in $(seq 100); do xdotool getwindowname "$1" >/dev/null 2>&1 || return 0; sleep 0.2; done
  return 1
}

# Installed as a user's administrator installs them.
setup=$(scripts/windows-installer.sh -o "$work/qorvel-setup.exe" "$exes")
wine "$setup" /S >/dev/null 2>&1 || fail "qorvel-setup.exe /S failed"
wineserver -w
exes=$(winepath -u 'C:\Program Files\Qorvel' 2>/dev/null)
for exe in "${windows_programs[@]}" uninstall.exe; do
  [ -f "$exes/$exe" ] || fail "qorvel-setup.exe did not install $exe"
done

cp "$root"/samples/*_sample.txt "$work/"
cd "$work"

# Compares FILE with WANT; on a difference keeps both beside the screenshots.
same() {  # FILE WANT WHAT
  cmp -s "$1" "$2" && return 0
  cp "$1" "$2" "$shots/" 2>/dev/null || true
  fail "$3 (both files in $shots)"
}
# The text of message box $1, as its Ctrl+C copies it (Qt puts the title,
# the text and the buttons between lines of dashes; Wine hands the copy to
# X's clipboard): the text alone, CRs dropped.
box_text() {
  printf 'none' | xclip -selection clipboard -i  # a text from before is not taken for this one
  keys "$1" ctrl+c
  local copied=none
  for _ in $(seq 20); do
    copied=$(xclip -selection clipboard -o 2>/dev/null | tr -d '\r') || true
    [ "$copied" != none ] && break
    sleep 0.25
  done
  awk '/^-+$/ { n++; next } n == 2' <<<"$copied"
}
# Types INPUT and OUTPUT into a converter's fields (from the input field),
# presses Enter, keeps a screenshot and the text (SHOT.png, SHOT.txt) of
# the message box the program shows, and closes it; the old box must be
# gone before anything else is typed, or the next keys would go to it.
convert_typed() {  # ID APP INPUT OUTPUT SHOT
  keys "$1" ctrl+a
  typed "$(winpath "$3")"
  xdotool key Tab ctrl+a
  typed "$(winpath "$4")"
  xdotool key Return
  local box
  rm -f "$shots/$2-$5.txt"
  if ! box=$(window "^${2^}\$" 30); then fail "$2: no message box after Enter ($5)"; return; fi
  sleep 0.5  # drawn
  shot "$2-$5"
  box_text "$box" >"$shots/$2-$5.txt"
  keys "$box" Return
  gone "$box" || fail "$2: Enter did not close the message box ($5)"
}
# Velmar's Save As, typed: waits for FILE to be written.
save_as() {  # ID FILE
  keys "$1" alt+f a
  local dlg
  if ! dlg=$(window "另存为" 30); then fail "velmar: no Save As dialog"; return; fi
  sleep 0.5
  keys "$dlg" ctrl+a
  typed "$(winpath "$2")"
  xdotool key Return
  for _ in $(seq 50); do [ -s "$2" ] && break; sleep 0.2; done
}
wine "$exes/qorvel.exe" convert --from mengkeli -o want_mengkeli.txt mengkeli_sample.txt
wine "$exes/qorvel.exe" convert --from hasi -o want_hasi.txt hasi_sample.txt
wine "$exes/qorvel.exe" convert --from mengkeli-paste -o want_paste.txt mengkeli_sample.txt

# Orlenta and Kestrum: the focus starts in the input field, Tab moves to the
# output field, Enter converts, and the message box closes with Enter.
converter() {  # PROGRAM TITLE CODE MISSING_TEXT
  local app=$1 title=$2 code=$3 missing_text=$4 id
  wine "$exes/$app.exe" >/dev/null 2>&1 &
  if ! id=$(window "$title" 60); then fail "$app: no window titled $title"; return; fi
  shot "$app"
  convert_typed "$id" "$app" "$work/${code}_sample.txt" "$work/${app}_out.txt" done
  same "${app}_out.txt" "want_$code.txt" "$app: the output is not qorvel.exe's bytes"
  grep -q "转换结束" "$shots/$app-done.txt" 2>/dev/null ||
    fail "$app: the box after converting says '$(cat "$shots/$app-done.txt" 2>/dev/null)', not 转换结束"
  # A missing input: a new box, the fixed first line and a reason after
  # it (its words are the system's), and no output. The focus is back in
  # the output field, where Enter was pressed; the input field comes
  # before it.
  keys "$id" shift+Tab
  convert_typed "$id" "$app" "$work/missing.txt" "$work/${app}_none.txt" missing
  local said
  said=$(cat "$shots/$app-missing.txt" 2>/dev/null || true)
  if [ "$(sed -n 1p <<<"$said")" != "$missing_text" ] || [ -z "$(sed -n '2,$p' <<<"$said" | tr -d ' \n')" ]; then
    fail "$app: the box for a missing input says '$said', not '$missing_text' and a reason"
  fi
  # The reason reads as the text it is, framed in Chinese: the system's UTF-8
  # words shown as code page 936 would turn back into UTF-8 bytes when
  # written in code page 936 again.
  local reason
  reason=$(sed -n '2,$p' <<<"$said" | tr -d '\n')
  case $reason in
    无法打开“*missing.txt”：?*) ;;
    *) fail "$app: the reason '$reason' is not framed as 无法打开“FILE”：REASON" ;;
  esac
  if python3 -c '
import sys
b = sys.argv[1].encode("cp936", "ignore")
try:
    b.decode("utf-8")
except UnicodeDecodeError as e:  # cut short at its end is mojibake too
    sys.exit(0 if e.reason == "unexpected end of data" and e.start > 0 else 1)' "${reason#*：}"; then
    fail "$app: the reason '$reason' is UTF-8 read as code page 936"
  fi
  [ ! -e "${app}_none.txt" ] || fail "$app: an output was written for a missing input"
  keys "$id" Escape
  gone "$id" || fail "$app: Escape did not close the window"
}
converter orlenta "蒙科立蒙文代码转换为Qorvel蒙文2006代码" mengkeli "Open File 1 Error !"
converter kestrum "哈斯代码转换为Qorvel蒙文2006国际代码" hasi "Open File Error !"

# Velmar with a file named on its command line: Save As writes its bytes.
wine "$exes/velmar.exe" "$(winpath "$work/qorvel_sample.txt")" >/dev/null 2>&1 &
if id=$(window "qorvel_sample.txt" 60); then
  shot velmar
  save_as "$id" "$work/saved.txt"
  same saved.txt qorvel_sample.txt "velmar: Save As did not write the opened file's bytes"
  # Copy as web format: the layout's text and CR LF, offered to Unicode
  # programs as the same characters. Wine hands text to X with LF line
  # ends (X's own), so the CRs are compared on the Windows side only.
  keys "$id" ctrl+c
  sleep 1
  xclip -selection clipboard -o 2>/dev/null | tr -d '\r' >copied.txt || true
  { wine "$exes/qorvel.exe" layout qorvel_sample.txt; printf '\r\n'; } | uconv -f windows-936-2000 -t utf-8 |
    tr -d '\r' >want_copy.txt
  same copied.txt want_copy.txt "velmar: the clipboard does not hold the web-format text"
  # Copy as HTML (the Edit menu's entry after copy as web format): Windows
  # programs get CF_HTML, which Wine offers X as text/html. It holds the
  # fragment qorvel.exe writes for the text at Velmar's starting face and
  # size.
  keys "$id" alt+e Down Down Down Down Return
  sleep 1
  xclip -selection clipboard -t text/html -o >copied.html 2>/dev/null || true
  wine "$exes/qorvel.exe" layout --html-fragment qorvel_sample.txt >want.html 2>/dev/null
  cp copied.html "$shots/velmar-copied.html" 2>/dev/null || true
  python3 -c 'import sys; w = open(sys.argv[2], "rb").read().strip(); sys.exit(0 if w and w in open(sys.argv[1], "rb").read() else 1)' \
    copied.html want.html || fail "velmar: the clipboard's HTML is not the fragment of qorvel layout --html-fragment (see $shots/velmar-copied.html)"
  keys "$id" alt+f x
  gone "$id" || fail "velmar: 退出 did not close the window"
else
  fail "velmar: no window for the file named on the command line"
fi

# Mengkeli text pasted from another program into an empty Velmar.
uconv -f windows-936-2000 -t utf-8 mengkeli_sample.txt | xclip -selection clipboard -i
wine "$exes/velmar.exe" >/dev/null 2>&1 &
if id=$(window "Velmar" 60); then
  keys "$id" alt+e m
  sleep 1
  shot velmar-pasted
  save_as "$id" "$work/pasted.txt"
  same pasted.txt want_paste.txt "velmar: pasted Mengkeli text is not qorvel.exe's conversion"
  keys "$id" alt+f x
else
  fail "velmar: no window"
fi

wineserver -k 2>/dev/null || true
wine "$exes/uninstall.exe" /S >/dev/null 2>&1 || fail "uninstall.exe /S failed"
wineserver -w
[ ! -e "$exes" ] || fail "the uninstaller left $exes behind"

if ((failures)); then
  echo "windows-gui: $failures failures (screenshots in $shots)" >&2
  exit 1
fi
echo "windows-gui: Orlenta, Kestrum and Velmar installed and run under Wine as expected (screenshots in $shots)"
