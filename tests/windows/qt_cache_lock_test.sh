#!/usr/bin/env bash
# The lock of scripts/cache-lock.sh, which keeps two runs of
# scripts/windows-qt.sh from building one Qt cache entry together, checked
# on a temporary cache with a stub build of a second (never Qt itself):
#   1. a run started while another builds the entry waits, says so, and
#      then takes the finished entry without building;
#   2. when the builder fails (no .complete marker), the waiting run builds
#      the entry itself, after it, never beside it;
#   3. a run on another entry does not wait.
#   tests/windows/qt_cache_lock_test.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
if ! command -v flock >/dev/null; then
  echo "qt-cache-lock-test: SKIPPED: flock is not installed (util-linux)"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The stub: windows-qt.sh's use of the lock, with a build that goes on until
# ENTRY.go appears, fails when asked to, and notes when two builds overlap.
cat >"$work/stub.sh" <<STUB
set -euo pipefail
. "$root/scripts/cache-lock.sh"
entry=\$1
if cache_entry_ready "\$entry" stub; then
  echo "reused"
  exit 0
fi
[ ! -e "\$entry.building" ] || echo "overlap" >>"$work/log"
touch "\$entry.building"
echo "build \$(basename "\$entry")" >>"$work/log"
until [ -e "\$entry.go" ]; do sleep 0.05; done
rm "\$entry.building"
[ "\${2:-}" != fail ] || exit 1
mkdir -p "\$entry" && touch "\$entry/.complete"
echo "built"
STUB

failures=0
fail() { echo "qt-cache-lock-test: FAIL: $*" >&2; failures=$((failures + 1)); }
# Starts the stub on ENTRY (and a mode) in the background, its output in
# OUT.out and OUT.err.
start() {  # out entry [mode]
  local out=$1; shift
  bash "$work/stub.sh" "$@" >"$work/$out.out" 2>"$work/$out.err" &
}
building() {  # waits until ENTRY is being built
  for _ in $(seq 100); do [ -e "$1.building" ] && return 0; sleep 0.05; done
  fail "no build of $(basename "$1") started"
}

cache=$work/cache
# 1. The second run waits and reuses.
start a "$cache/qt-1" && a=$!
building "$cache/qt-1"
start b "$cache/qt-1" && b=$!
# 3. Meanwhile another entry is built at once.
touch "$cache/qt-2.go"
start c "$cache/qt-2" && c=$!
wait "$c" || fail "the run on another entry failed"
[ "$(cat "$work/c.out")" = built ] || fail "the run on another entry did not build: $(cat "$work/c.out")"
kill -0 "$b" 2>/dev/null || fail "the second run did not wait for the first"
touch "$cache/qt-1.go"
wait "$a" || fail "the first run failed"
wait "$b" || fail "the waiting run failed"
grep -q "waiting for another build of qt-1" "$work/b.err" || fail "the waiting run did not say so: $(cat "$work/b.err")"
[ "$(cat "$work/b.out")" = reused ] || fail "the waiting run did not reuse the entry: $(cat "$work/b.out")"
! grep -q waiting "$work/c.err" || fail "the run on another entry said it waits"
[ "$(grep -c '^build qt-1$' "$work/log")" = 1 ] || fail "qt-1 was built $(grep -c '^build qt-1$' "$work/log") times"

# 2. The builder fails: the waiting run builds, after it.
start d "$cache/qt-3" fail && d=$!
building "$cache/qt-3"
start e "$cache/qt-3" && e=$!
touch "$cache/qt-3.go"
if wait "$d"; then fail "the failing build succeeded"; fi
wait "$e" || fail "the run after a failed build failed"
[ "$(cat "$work/e.out")" = built ] || fail "the run after a failed build did not build: $(cat "$work/e.out")"
[ "$(grep -c '^build qt-3$' "$work/log")" = 2 ] || fail "qt-3 was not built twice"
[ -f "$cache/qt-3/.complete" ] || fail "qt-3 is not complete"

! grep -q overlap "$work/log" || fail "two builds of one entry overlapped"
if ((failures)); then
  echo "qt-cache-lock-test: $failures check(s) failed" >&2
  exit 1
fi
echo "qt-cache-lock-test: a waiting run reuses the entry, one after a failed build builds it, another entry does not wait"
