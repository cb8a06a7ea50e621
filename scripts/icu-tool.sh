# Sourced by the scripts that build a small host tool over the code page 936
# edge (cp936/cp936_icu.cpp, ICU): the page's table, the web tests'
# reference. Builds OUT from the SOURCES when it is missing or older than one
# of them (or than cp936.h).
#   icu_tool ROOT OUT SOURCE...
icu_tool() {
  local root=$1 out=$2
  shift 2
  local stale=
  [ -x "$out" ] || stale=yes
  for source in "$@" "$root/cp936/cp936.h"; do
    [ "$source" -nt "$out" ] && stale=yes
  done
  [ -n "$stale" ] || return 0
  # shellcheck disable=SC2046  # pkg-config's words are separate flags
  c++ -std=c++20 -O2 -Wall -Wextra -Wpedantic -Werror -I"$root" "$@" $(pkg-config --cflags --libs icu-uc) -o "$out"
}
