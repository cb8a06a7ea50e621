#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) and runs each
# for SECONDS (default 60), two at a time, seeded from samples/; fuzz_codecs
# runs a campaign of SECONDS for each code of the registry, each with a
# corpus of its own, and says how many inputs each code took.
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

# Each campaign: target, seconds, code (- for a target without codes).
# fuzz_codecs names the codes of the registry; each code is pinned to a
# campaign of its own, as left to itself libFuzzer gives most runs to the
# codes with the most branches.
runs=()
codes=()
for name in "${targets[@]}"; do
  if [ "$name" = fuzz_codecs ]; then
    named=$("$build/fuzz/fuzz_codecs" -runs=0 2>&1 || true)
    read -r -a codes < <(sed -n 's/^fuzz_codecs: codes: //p' <<<"$named") || true
    if ((${#codes[@]} == 0)); then
      grep '^fuzz_codecs:' <<<"$named" >&2 || true
      echo "fuzz fuzz_codecs: FAILED before any input" >&2
      exit 1
    fi
    for code in "${codes[@]}"; do runs+=("$name $secs $code"); done
  else
    runs+=("$name $secs -")
  fi
done

mkdir -p "$build/artifacts" "$build/logs"
run_one() {
  local build=$1 name=$2 secs=$3 code=$4
  local tag=$name opts=()
  if [ "$code" != - ]; then
    tag=$name-$code
    # Short inputs: most faults show in a few units, and fuzz_codecs makes
    # some of its inputs long itself, past the fast code's 4 KB blocks.
    opts=(-max_len=256)
  fi
  local corpus="$build/corpus/$tag"
  mkdir -p "$corpus"
  cp -n samples/*.txt "$corpus/" 2>/dev/null || true
  if QORVEL_FUZZ_CODE=${code#-} "$build/fuzz/$name" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 "${opts[@]}" -artifact_prefix="$build/artifacts/$tag-" "$corpus" \
       >"$build/logs/$tag.log" 2>&1; then
    echo "fuzz $tag: ${secs}s, $(grep -o 'stat::number_of_executed_units: [0-9]*' "$build/logs/$tag.log" | awk '{print $2}' || true) runs, nothing found"
  else
    # The input's first byte names the code: the artifact replays as it is.
    echo "fuzz $tag: FAILED (see $build/logs/$tag.log and $build/artifacts/; replay: $build/fuzz/$name ARTIFACT)"
    tail -n 30 "$build/logs/$tag.log"
    return 1
  fi
}
export -f run_one
status=0
printf '%s\n' "${runs[@]}" | xargs -P "$(nproc)" -L1 bash -c 'run_one "$@"' _ "$build" || status=$?

# fuzz_codecs in all: its seconds and runs, and the inputs each code took,
# summed over the campaigns (a seed may choose a code other than its
# campaign's).
if ((${#codes[@]})); then
  logs=()
  for code in "${codes[@]}"; do logs+=("$build/logs/fuzz_codecs-$code.log"); done
  awk -v secs="$((secs * ${#codes[@]}))" -v order="${codes[*]}" '
    /^stat::number_of_executed_units:/ { runs += $2 }
    /^fuzz_codecs: per code:/ || /^fuzz_codecs: spelled\/long:/ {
      spelled = $2 == "spelled/long:"
      sub(/^fuzz_codecs: [^:]*: /, "")
      n = split($0, parts, ", ")
      for (k = 1; k <= n; ++k) {
        split(parts[k], f, "[ /]")
        if (spelled) { sp[f[1]] += f[2]; lg[f[1]] += f[3] } else per[f[1]] += f[2]
      }
    }
    END {
      n = split(order, names, " ")
      line = sprintf("fuzz fuzz_codecs: %ds, %d runs; per code:", secs, runs)
      detail = "fuzz fuzz_codecs: of them spelled/long:"
      for (k = 1; k <= n; ++k) {
        c = names[k]
        line = line sprintf("%s %s %d", k > 1 ? "," : "", c, per[c])
        detail = detail sprintf("%s %s %d/%d", k > 1 ? "," : "", c, sp[c], lg[c])
      }
      print line
      print detail
    }' "${logs[@]}" 2>/dev/null || true
fi
exit "$status"
