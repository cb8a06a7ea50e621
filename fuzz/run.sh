#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) and runs each
# for SECONDS (default 60), two at a time, seeded from samples/; fuzz_codecs,
# which runs every code of the registry on each input, runs SECONDS per code.
#   fuzz/run.sh [SECONDS] [TARGET...]
# A target that finds a property failure or a crash leaves its input in
# build/fuzz/artifacts/ and makes this script exit non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-60}
shift || true

build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQORVEL_FUZZ=ON -DQORVEL_GUI=OFF -DQORVEL_TESTS=OFF -DQORVEL_BENCH=OFF >/dev/null

targets=("$@")
if ((${#targets[@]} == 0)); then
  for f in fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
if ! cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >"$build/build.log" 2>&1; then
  tail -n 40 "$build/build.log"
  echo "fuzz: build failed" >&2
  exit 1
fi

# Each target with its time: fuzz_codecs says how many codes it walks.
runs=()
for name in "${targets[@]}"; do
  t=$secs
  if [ "$name" = fuzz_codecs ]; then
    codes=$("$build/fuzz/fuzz_codecs" -runs=0 2>&1 | sed -n 's/^fuzz_codecs: \([0-9]*\) codes$/\1/p' || true)
    t=$((secs * ${codes:-1}))
  fi
  runs+=("$name $t")
done

mkdir -p "$build/artifacts" "$build/logs"
run_one() {
  local build=$1 name=$2 secs=$3
  local corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  cp -n samples/*.txt "$corpus/" 2>/dev/null || true
  if "$build/fuzz/$name" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$build/artifacts/$name-" "$corpus" >"$build/logs/$name.log" 2>&1; then
    echo "fuzz $name: ${secs}s, $(grep -o 'stat::number_of_executed_units: [0-9]*' "$build/logs/$name.log" | awk '{print $2}' || true) runs, nothing found"
  else
    echo "fuzz $name: FAILED (see $build/logs/$name.log and $build/artifacts/)"
    tail -n 30 "$build/logs/$name.log"
    return 1
  fi
}
export -f run_one
printf '%s\n' "${runs[@]}" | xargs -P "$(nproc)" -L1 bash -c 'run_one "$@"' _ "$build"
