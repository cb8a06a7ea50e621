#!/usr/bin/env bash
# Times every `qorvel convert` mode, file to file, on a large input against
# `cat` on the same file (the copy limit of this machine) and
# `iconv -f GB18030 -t UTF-8` on a GBK file of the same size, alternating,
# several runs each; prints the medians, the ratios and the peak memory of
# each qorvel run. Also times `cat` of qorvel's output, a copy of as many
# bytes as the mode writes, since a code that grows the text cannot write
# faster than that. Also times `qorvel layout` on the Qorvel input.
#   bench/compare.sh [MB (default 100)] [RUNS (default 5)]
set -euo pipefail
cd "$(dirname "$0")/.."
mb=${1:-100}
runs=${2:-5}
scripts/deps.sh
build=build/compare
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQORVEL_GUI=OFF -DQORVEL_TESTS=OFF >/dev/null
cmake --build "$build" --target qorvel >"$build/compare-build.log" 2>&1 || { tail -n 30 "$build/compare-build.log"; exit 1; }
qorvel=$build/cli/qorvel
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bytes=$((mb * 1024 * 1024))

# An input of exactly $bytes made by repeating a sample.
make_input() {
  local sample=$1 out=$2
  cp "$sample" "$out"
  while [ "$(stat -c %s "$out")" -lt "$bytes" ]; do cat "$out" "$out" >"$out.tmp" && mv "$out.tmp" "$out"; done
  truncate -s "$bytes" "$out"
}

seconds() { # command... -> elapsed seconds
  local t0 t1
  t0=$(date +%s.%N)
  "$@" >/dev/null
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f\n", b - a }'
}
copy_seconds() { seconds sh -c "cat '$1' > '$2'"; } # src dst -> elapsed seconds of cat
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf '%s\n' '中文文本，用于比较的转换。Mongolian text 1234567890' | iconv -f UTF-8 -t GBK >"$work/gbk_sample.txt"
make_input "$work/gbk_sample.txt" "$work/gbk.txt"

printf '%-16s %9s %9s %9s %9s %9s %10s %9s %9s\n' mode qorvel_s cat_s iconv_s vs_cat iconv/q peak_MiB catout_s vs_catout
while IFS=$'\t' read -r code _; do
  sample="samples/${code%%-*}_sample.txt"
  [ -f "$sample" ] || continue
  make_input "$sample" "$work/in.txt"
  : >"$work/q" >"$work/c" >"$work/i" >"$work/o"
  for ((r = 0; r < runs; r++)); do
    seconds "$qorvel" convert -q --from "$code" -o "$work/out.txt" "$work/in.txt" >>"$work/q"
    copy_seconds "$work/in.txt" "$work/cat.txt" >>"$work/c"
    seconds sh -c "iconv -f GB18030 -t UTF-8 '$work/gbk.txt' > '$work/iconv.txt'" >>"$work/i"
    copy_seconds "$work/out.txt" "$work/catout.txt" >>"$work/o"
  done
  peak=$( { /usr/bin/time -v "$qorvel" convert -q --from "$code" -o "$work/out.txt" "$work/in.txt"; } 2>&1 |
    awk '/Maximum resident set size/ { printf "%.1f", $6 / 1024 }')
  q=$(median <"$work/q"); c=$(median <"$work/c"); i=$(median <"$work/i"); o=$(median <"$work/o")
  awk -v m="$code" -v q="$q" -v c="$c" -v i="$i" -v p="$peak" -v o="$o" \
    'BEGIN { printf "%-16s %9.3f %9.3f %9.3f %8.2fx %8.1fx %10s %9.3f %8.2fx\n", m, q, c, i, q / c, i / q, p, o, q / o }'
done < <("$qorvel" convert --list)

make_input samples/qorvel_sample.txt "$work/in.txt"
: >"$work/q"
for ((r = 0; r < runs; r++)); do seconds "$qorvel" layout -o "$work/out.txt" "$work/in.txt" >>"$work/q"; done
peak=$( { /usr/bin/time -v "$qorvel" layout -o "$work/out.txt" "$work/in.txt"; } 2>&1 |
  awk '/Maximum resident set size/ { printf "%.1f", $6 / 1024 }')
printf '%-16s %9.3f %49s\n' "layout" "$(median <"$work/q")" "$peak"
echo "($mb MB inputs, median of $runs runs; vs_cat = qorvel time / cat time; iconv/q = iconv time / qorvel time;"
echo " catout = cat of qorvel's output; vs_catout = qorvel time / catout time)"
