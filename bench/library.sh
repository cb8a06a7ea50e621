#!/usr/bin/env bash
# The library's costs, on inputs in the page cache, medians of RUNS runs:
#   per code, 100 MB (MB) converted by `qorvel convert` and by a C program on
#   the library (the C example of docs/library.md, capi/examples/convert.c:
#   64 KB reads, a 64 KB output buffer), both to /dev/null: elapsed seconds
#   and lib/cli, the library's time over qorvel's; the processor time
#   (user + system) of each and its ratio; and qorvel held to one thread (tests/cli/nothreads.c
#   refuses it every helper thread: no read-ahead, write-behind or second
#   converter) with lib/one, the library's elapsed time over that;
#   and 1 000 files of 100 KB of the Mengkeli sample converted by one
#   `qorvel convert -O DIR` run (its default jobs, one per core) against a
#   `for` loop of one `qorvel convert` per file, and that loop over the cores;
#   and the Python module on MB of the Mengkeli sample: convert() in one call
#   against a Converter fed 64 KB and 1 KB pieces, in seconds and as a ratio
#   to the one call (what feeding in pieces costs on top of the library).
#   bench/library.sh [MB (default 100)] [RUNS (default 5)] [PARTS (default "codes files python")]
set -euo pipefail
cd "$(dirname "$0")/.."
mb=${1:-100}
runs=${2:-5}
parts=" ${3:-codes files python} "
scripts/deps.sh
build=build/compare
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQORVEL_GUI=OFF -DQORVEL_TESTS=OFF \
  -DQORVEL_BENCH=ON >/dev/null
cmake --build "$build" --target qorvel library_convert libqorvel >"$build/library-build.log" 2>&1 ||
  { tail -n 30 "$build/library-build.log"; exit 1; }
qorvel=$PWD/$build/cli/qorvel
library=$PWD/$build/bench/library_convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc -shared -fPIC -o "$work/nothreads.so" tests/cli/nothreads.c -ldl

seconds() { # command... -> elapsed and processor (user + system) seconds
  local t0 t1
  t0=$(date +%s.%N)
  /usr/bin/time -f '%U %S' -o "$work/time" "$@" >/dev/null
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" '{ printf "%.4f %.4f\n", b - a, $1 + $2 }' "$work/time"
}
median() { # [column (default 1)] < lines -> the column's median
  awk -v k="${1:-1}" '{ print $k }' | sort -n |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
repeat_to() { # sample bytes out
  cp "$1" "$3"
  while [ "$(stat -c %s "$3")" -lt "$2" ]; do cat "$3" "$3" >"$3.tmp" && mv "$3.tmp" "$3"; done
  truncate -s "$2" "$3"
}

cores=$(nproc)
echo "machine: $(lscpu | sed -n 's/^Model name: *//p' | head -n 1), $cores cores;" \
  "load average $(cut -d' ' -f1-3 /proc/loadavg)"
if [[ $parts == *" codes "* ]]; then
  printf '%-15s %9s %9s %8s %9s %9s %8s %9s %8s\n' code cli_s library_s lib/cli cli_cpu lib_cpu lib/cli one_s lib/one
  for code in $("$qorvel" convert --list | cut -f1); do
    repeat_to "samples/${code%%-*}_sample.txt" $((mb * 1024 * 1024)) "$work/in.txt"
    truncate -s 0 "$work/c" "$work/l" "$work/o"
    for ((r = 0; r < runs; r++)); do  # alternating, so that all see the same machine
      seconds "$qorvel" convert -q --from "$code" -o /dev/null "$work/in.txt" >>"$work/c"
      seconds sh -c "'$library' '$code' < '$work/in.txt' > /dev/null" >>"$work/l"
      seconds env LD_PRELOAD="$work/nothreads.so" "$qorvel" convert -q --from "$code" -o /dev/null "$work/in.txt" >>"$work/o"
    done
    awk -v k="$code" -v c="$(median <"$work/c")" -v l="$(median <"$work/l")" \
      -v cc="$(median 2 <"$work/c")" -v lc="$(median 2 <"$work/l")" -v o="$(median <"$work/o")" \
      'BEGIN { printf "%-15s %9.3f %9.3f %7.2fx %9.3f %9.3f %7.2fx %9.3f %7.2fx\n", k, c, l, l / c, cc, lc, lc / cc, o, l / o }'
  done
  rm -f "$work/in.txt"
fi

if [[ $parts == *" files "* ]]; then
  mkdir "$work/many" "$work/out"
  repeat_to samples/mengkeli_sample.txt 102400 "$work/one.txt"
  for ((i = 0; i < 1000; i++)); do cp "$work/one.txt" "$work/many/f$i.txt"; done
  truncate -s 0 "$work/b" "$work/f"
  for ((r = 0; r < runs; r++)); do
    seconds sh -c "'$qorvel' convert -q --from mengkeli -O '$work/out' '$work'/many/*.txt 2>/dev/null" >>"$work/b"
    # shellcheck disable=SC2016  # the loop expands its own arguments
    seconds bash -c 'for f in "$1"/many/*.txt; do "$2" convert -q --from mengkeli -o "$1/out/${f##*/}" "$f"; done' \
      loop "$work" "$qorvel" >>"$work/f"
  done
  awk -v b="$(median <"$work/b")" -v f="$(median <"$work/f")" -v n="$cores" \
    'BEGIN { printf "1000 files of 100 KB: -O DIR %.3f s; for loop %.3f s, over %d cores %.3f s; -O DIR / (loop / cores) = %.2f\n",
                    b, f, n, f / n, b / (f / n) }'
fi

if [[ $parts == *" python "* ]]; then
  repeat_to samples/mengkeli_sample.txt $((mb * 1024 * 1024)) "$work/in.txt"
  QORVEL_LIBRARY=$PWD/$build/capi/libqorvel.so.1 PYTHONPATH=$PWD/python PYTHONDONTWRITEBYTECODE=1 python3 - "$work/in.txt" "$runs" <<'EOF'
import statistics, sys, time
import qorvel

data = open(sys.argv[1], "rb").read()

def one_call():
    qorvel.convert("mengkeli", data)

def in_pieces(size):
    def run():
        with qorvel.Converter("mengkeli") as conv:
            for at in range(0, len(data), size):
                conv.feed(data[at:at + size])
            conv.finish()
    return run

paths = {"convert()": one_call, "64 KB pieces": in_pieces(1 << 16), "1 KB pieces": in_pieces(1 << 10)}
times = {name: [] for name in paths}
for _ in range(int(sys.argv[2])):  # alternating, as above
    for name, path in paths.items():
        t0 = time.perf_counter()
        path()
        times[name].append(time.perf_counter() - t0)
medians = {name: statistics.median(t) for name, t in times.items()}
base = medians["convert()"]
print(f"python {sys.version.split()[0]}, mengkeli: "
      + "; ".join(f"{name} {t:.3f} s ({t / base:.2f}x)" for name, t in medians.items()))
EOF
  rm -f "$work/in.txt"
fi
echo "($mb MB inputs of the samples repeated, median of $runs runs)"
