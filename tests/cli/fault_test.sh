#!/usr/bin/env bash
# qorvel's output under faults, on a build without sanitizers (they reserve
# terabytes of address space, so no address-space limit can apply to them):
#  - strace shows the output's data synced before the rename over the old
#    file, and its folder synced after it;
#  - with no helper thread to be had (pthread_create failing after the first
#    0, 1 or 2 threads, through an interposed pthread_create), every code
#    writes the same bytes on the caller's thread alone;
#  - under address-space limits from what it needs to start (its libraries,
#    ICU's data among them) to comfortable, every code and
#    the layout on a multi-chunk input either write the right bytes (exit 0)
#    or exit 1 with a message; they never abort, never leave a temporary
#    file, never change the existing output.
#   tests/cli/fault_test.sh PATH/TO/qorvel
set -euo pipefail
qorvel=$(realpath "$1")
cd "$(dirname "$0")/../.."
src=$PWD
samples=$src/samples
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
failures=0
fail() { echo "fault_test: $*" >&2; failures=$((failures + 1)); }

# 3 MB of running text of every sample, so that chunks are cut for the
# second converter, and the same with random bytes.
while [ "$(stat -c %s text.txt 2>/dev/null || echo 0)" -lt 3000000 ]; do cat "$samples"/*_sample.txt >>text.txt; done
head -c 3100000 /dev/urandom | tr -d '\000' >bytes.txt
head -c 3000000 bytes.txt >random.txt

# Durable replace.
echo old >out.txt
strace -f -o trace.txt -e trace=fsync,fdatasync,rename,renameat,renameat2,openat \
  "$qorvel" convert --from mengkeli -o out.txt text.txt
order=$(grep -oE '(fsync|fdatasync|rename[a-z0-9]*)\(' trace.txt | tr -d '(' | tr '\n' ' ')
case $order in
  *sync\ rename*\ *sync*) ;;
  *) fail "expected a sync, the rename, then a sync; saw: $order" ;;
esac
grep -qE 'openat\(AT_FDCWD, "\.", [^)]*O_DIRECTORY' trace.txt || fail "the output's folder was not opened to be synced"

# No threads to be had: an interposed pthread_create fails with EAGAIN once
# QORVEL_THREADS_LEFT threads have started.
cc -shared -fPIC -o nothreads.so "$src/tests/cli/nothreads.c" -ldl
while IFS=$'\t' read -r code _; do
  "$qorvel" convert --from "$code" -o want.txt text.txt
  for left in 0 1 2; do
    if ! QORVEL_THREADS_LEFT=$left LD_PRELOAD=$PWD/nothreads.so "$qorvel" convert --from "$code" -o out.txt text.txt 2>err.txt ||
       ! cmp -s out.txt want.txt; then
      fail "$code with $left threads to be had: $(head -c 300 err.txt)"
    fi
  done
done < <("$qorvel" convert --list)

# Address-space limits.
run() {  # LIMIT_KB NAME ARGS...: one limited run of qorvel against want.txt
  local limit=$1 name=$2
  shift 2
  echo old >out.txt
  set +e
  (ulimit -v "$limit" && exec "$qorvel" "$@" -o out.txt) 2>err.txt
  local rc=$?
  set -e
  case $rc in
    0) cmp -s out.txt want.txt || fail "$name at ${limit} KB: exit 0 with other bytes" ;;
    1) [ -s err.txt ] || fail "$name at ${limit} KB: exit 1 without a message"
       [ "$(cat out.txt)" = old ] || fail "$name at ${limit} KB: the old output changed" ;;
    *) fail "$name at ${limit} KB: exit $rc: $(head -c 300 err.txt)" ;;
  esac
  if ls -A | grep -q '^\.out\.txt\.'; then
    fail "$name at ${limit} KB: a temporary file was left"
    rm -f .out.txt.*
  fi
  echo "$rc" >>codes.txt
}
# The limits start at the address space qorvel needs to start at all (its
# libraries, ICU's data among them, mapped by the loader before any line of
# ours runs): below it the loader, not qorvel, refuses.
floor=10000
until (ulimit -v "$floor" && exec "$qorvel" --version) >/dev/null 2>&1; do
  floor=$((floor + 2000))
  if ((floor > 300000)); then
    fail "qorvel --version does not start under 300000 KB"
    break
  fi
done
modes=()
while IFS=$'\t' read -r code _; do modes+=("convert --from $code"); done < <("$qorvel" convert --list)
modes+=("layout")
for input in text.txt random.txt; do
  for mode in "${modes[@]}"; do
    # shellcheck disable=SC2086
    "$qorvel" $mode -o want.txt "$input" 2>/dev/null
    for extra in 0 4000 8000 12000 16000 20000 30000 50000 90000; do
      limit=$((floor + extra))
      # shellcheck disable=SC2086
      run "$limit" "$mode on $input" $mode "$input"
    done
  done
done
# The matrix must have reached both ends: some runs fit, some did not.
grep -q '^0$' codes.txt || fail "no run fitted in the limits"
grep -q '^1$' codes.txt || fail "every run fitted: the limits never bit"

if ((failures)); then
  echo "fault_test: $failures failures" >&2
  exit 1
fi
echo "fault_test: durable replace, runs without threads and $(wc -l <codes.txt) limited runs from $floor KB ($(grep -c '^1$' codes.txt) out of memory) as expected"
