# shellcheck shell=bash
# Sourced by scripts that build something slow into a cache folder shared by
# every checkout (scripts/windows-qt.sh): two runs at once, from two
# terminals, must not build one entry together (two ninjas in one build
# folder corrupt it). Each entry has a lock file beside it, ENTRY.lock,
# held with flock(1) for as long as the building shell lives: a run that
# dies or fails lets the next one in, which then builds the entry itself.
#
#   if cache_entry_ready "$entry" NAME; then ...use it...; exit 0; fi
#   ...build into $entry, then touch "$entry/.complete"

# True at once when ENTRY has its .complete marker. Otherwise takes ENTRY's
# lock, saying on stderr (as NAME) when it waits for another run to finish,
# and looks again: true when that run completed the entry meanwhile; false
# when this shell now holds the lock and must build the entry. The lock
# goes with the shell (and with the build's processes, which inherit it).
cache_entry_ready() {
  local entry=$1 name=$2 lock
  [ -f "$entry/.complete" ] && return 0
  mkdir -p "$(dirname "$entry")"
  exec {lock}>"$entry.lock"
  if ! flock -n "$lock"; then
    echo "$name: waiting for another build of $(basename "$entry") to finish (lock: $entry.lock)" >&2
    flock "$lock"
  fi
  [ -f "$entry/.complete" ]
}
