#!/usr/bin/env bash
# Times every `qorvel convert` mode and `qorvel layout` against what this
# machine does with the same bytes, on inputs in the page cache, alternating
# the commands, several runs each, and prints the medians:
#   null_s     qorvel to /dev/null: the converter's own speed;
#   tr_s       `tr a-z A-Z` on the same input to /dev/null, a 1:1 byte map,
#              the simplest table converter (vs_tr = null_s / tr_s);
#   file_s     qorvel into an existing output file;
#   catout_s   `cat` of a file as large as qorvel's output into an existing
#              file (vs_catout = file_s / catout_s);
#   peak_MiB   qorvel's peak resident memory and, for the layout, /input:
#              that over the input's size;
#   before_s   with QORVEL_BEFORE=PATH (another build of qorvel, say the one
#              before a change): that build to /dev/null, timed in turn with
#              null_s (vs_before = null_s / before_s).
# Each mode runs on its sample repeated to the size ("sample") and on random
# units of its code ("random": look-ahead-heavy, branchy text from
# qorvel_bench_input) and on random bytes without NULs ("bytes": much of it
# dropped, every few bytes a step that writes nothing). Then the growth:
# seconds to /dev/null on the samples at 1, 10, 100 and 1000 MB.
#   bench/compare.sh [MB (default 100)] [RUNS (default 5)]
#   QORVEL_BEFORE=OLD/qorvel QORVEL_GROWTH=0 bench/compare.sh 50 7
set -euo pipefail
cd "$(dirname "$0")/.."
mb=${1:-100}
runs=${2:-5}
scripts/deps.sh
build=build/compare
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQORVEL_GUI=OFF -DQORVEL_TESTS=OFF \
  -DQORVEL_BENCH=ON >/dev/null
cmake --build "$build" --target qorvel qorvel_bench_input >"$build/compare-build.log" 2>&1 ||
  { tail -n 30 "$build/compare-build.log"; exit 1; }
qorvel=$build/cli/qorvel
gen=$build/bench/qorvel_bench_input
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "machine: $(lscpu | sed -n 's/^Model name: *//p' | head -n 1), $(nproc) cores;" \
  "load average $(cut -d' ' -f1-3 /proc/loadavg)"

# An input of exactly MB megabytes made by repeating a sample.
repeat_to() { # sample MB out
  local bytes=$(($2 * 1024 * 1024))
  cp "$1" "$3"
  while [ "$(stat -c %s "$3")" -lt "$bytes" ]; do cat "$3" "$3" >"$3.tmp" && mv "$3.tmp" "$3"; done
  truncate -s "$bytes" "$3"
}

seconds() { # command... -> elapsed seconds
  local t0 t1
  t0=$(date +%s.%N)
  "$@" >/dev/null
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f\n", b - a }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
peak_mib() { # command... -> peak resident MiB
  { /usr/bin/time -v "$@" >/dev/null; } 2>&1 | awk '/Maximum resident set size/ { printf "%.1f", $6 / 1024 }'
}

# One row: qorvel ARGS... on IN (the input is the last argument).
row() { # label kind in args...
  local label=$1 kind=$2 in=$3
  shift 3
  : >"$work/n" >"$work/t" >"$work/f" >"$work/c" >"$work/b"
  : >"$work/out.txt" >"$work/cat.txt"
  for ((r = 0; r < runs; r++)); do
    seconds "$qorvel" "$@" -o /dev/null "$in" >>"$work/n"
    [ -z "$before" ] || seconds "$before" "$@" -o /dev/null "$in" >>"$work/b"
    seconds sh -c "tr a-z A-Z < '$in'" >>"$work/t"
    seconds "$qorvel" "$@" -o "$work/out.txt" "$in" >>"$work/f"
    seconds sh -c "cat '$work/out.txt' > '$work/cat.txt'" >>"$work/c"
  done
  local peak
  peak=$(peak_mib "$qorvel" "$@" -o /dev/null "$in")
  awk -v l="$label" -v k="$kind" -v n="$(median <"$work/n")" -v t="$(median <"$work/t")" \
    -v f="$(median <"$work/f")" -v c="$(median <"$work/c")" -v p="$peak" -v size="$(stat -c %s "$in")" \
    -v b="$([ -z "$before" ] || median <"$work/b")" \
    'BEGIN { over = l == "layout" ? sprintf("%6.2fx", p * 1048576 / size) : "     -"
             printf "%-15s %-7s %7.3f %7.3f %6.2fx %7.3f %8.3f %8.2fx %8s %7s",
                    l, k, n, t, n / t, f, c, f / c, p, over
             if (b != "") printf " %8.3f %8.3fx", b, n / b
             printf "\n" }'
}

before=${QORVEL_BEFORE:-}
printf '%-15s %-7s %7s %7s %7s %7s %8s %9s %8s %7s%s\n' mode input null_s tr_s vs_tr file_s catout_s vs_catout \
  peak_MiB /input "$([ -z "$before" ] || printf ' %8s %9s' before_s vs_before)"
head -c $((mb * 1024 * 1024 * 2)) /dev/urandom | tr -d '\000' >"$work/bytes.txt"
truncate -s $((mb * 1024 * 1024)) "$work/bytes.txt"
codes=$("$qorvel" convert --list | cut -f1)
for code in $codes; do
  repeat_to "samples/${code%%-*}_sample.txt" "$mb" "$work/sample.txt"
  row "$code" sample "$work/sample.txt" convert -q --from "$code"
  "$gen" "$code" "$mb" >"$work/random.txt"
  row "$code" random "$work/random.txt" convert -q --from "$code"
  row "$code" bytes "$work/bytes.txt" convert -q --from "$code"
done
repeat_to samples/qorvel_sample.txt "$mb" "$work/sample.txt"
row layout sample "$work/sample.txt" layout
"$gen" qorvel "$mb" >"$work/random.txt"
row layout random "$work/random.txt" layout
echo "($mb MB inputs, median of $runs runs; vs_tr = null_s / tr_s; vs_catout = file_s / catout_s;"
echo " /input = peak memory over the input's size)"

# QORVEL_GROWTH=0 stops here (a comparison with QORVEL_BEFORE needs no more).
[ "${QORVEL_GROWTH:-1}" = 0 ] && exit 0
echo
echo "growth: seconds to /dev/null on the samples repeated, median of $runs runs (and per 100 MB)"
printf '%-15s %16s %16s %16s %16s\n' mode 1MB 10MB 100MB 1000MB
for code in $codes layout; do
  line=$(printf '%-15s' "$code")
  for size in 1 10 100 1000; do
    sample="samples/${code%%-*}_sample.txt"
    [ "$code" = layout ] && sample=samples/qorvel_sample.txt
    repeat_to "$sample" "$size" "$work/growth.txt"
    args=(convert -q --from "$code")
    [ "$code" = layout ] && args=(layout)
    : >"$work/g"
    for ((r = 0; r < runs; r++)); do seconds "$qorvel" "${args[@]}" -o /dev/null "$work/growth.txt" >>"$work/g"; done
    line+=$(awk -v s="$(median <"$work/g")" -v mb="$size" 'BEGIN { printf " %7.3f (%6.3f)", s, s * 100 / mb }')
  done
  echo "$line"
done
rm -f "$work/growth.txt"
