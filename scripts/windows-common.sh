# shellcheck shell=bash
# What the Windows scripts share; sourced, after which $root is the
# project's folder:
#   . "$(dirname "$0")/windows-common.sh"       (from scripts/)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The one list of the Windows build's programs: the desktop programs (Qt,
# scripts/windows-programs.sh) and with them qorvel (scripts/windows-build.sh).
# The installer installs these and windows_texts (scripts/windows-texts.sh)
# and the web page as index.html.
windows_gui=(velmar orlenta kestrum)
windows_programs=("${windows_gui[@]/%/.exe}" qorvel.exe)
windows_texts=(README.txt LICENSE.txt qorvel.txt)

# Configures the build folder $1 for 64-bit Windows (mingw-w64, Release,
# ccache when installed), with the options that follow; quiet, its output
# in $1.configure.log.
windows_configure() {
  local build=$1 launcher=()
  shift
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" "${launcher[@]}" "$@" >"$build.configure.log" 2>&1 ||
    { tail -n 30 "$build.configure.log" >&2; echo "$(basename "$0" .sh): configuring $build failed" >&2; exit 1; }
}

# Builds the targets that follow in the build folder $1, niced (others
# share the machine), its output in $1.log; stops with the errors shown.
windows_compile() {
  local build=$1
  shift
  nice cmake --build "$build" -j"$(nproc)" --target "$@" >"$build.log" 2>&1 ||
    { grep -E -A3 'error|Error' "$build.log" | head -n 30 >&2
      echo "$(basename "$0" .sh): FAIL: building $* ($build.log)" >&2; exit 1; }
}

# Wine for the checks: the prefix $1 (default the project's own,
# build/wineprefix), made on its first use (a few seconds); no Mono or
# Gecko installers, no debug chatter, no Start-menu entries copied into
# the Linux desktop's menu in $HOME. Wine never gets the terminal: a
# console program of Wine's on a terminal sets it up, which would stop a
# run of test.sh in the background. A caller that wants Wine in a locale
# of its own defines wine() first.
windows_wine() {
  export WINEPREFIX=${1:-$root/build/wineprefix} WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  exec </dev/null
  [ -f "$WINEPREFIX/system.reg" ] || timeout 120 wine cmd /c exit 0 >/dev/null 2>&1 || true
}

# Exits, saying the check $1 SKIPPED, when one of the tools that follow is
# not installed.
windows_need() {
  local check=$1 tool
  shift
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "$check: SKIPPED: $tool is not installed (scripts/deps.sh installs it)"
      exit 0
    fi
  done
}

# Starts Xvfb on a display of its own and exports DISPLAY once it answers;
# $xvfb is its process id, for the caller to end.
windows_xvfb() {
  export DISPLAY=:$((90 + RANDOM % 100))
  Xvfb "$DISPLAY" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}
