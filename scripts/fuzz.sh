#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz (clang, AddressSanitizer, UBSan) in build-fuzz/
# and runs each for SECONDS (default 30), starting from its seeds in tests/fuzz/corpus/<name>.
# New inputs go to build-fuzz/corpus/<name>, a crashing input to build-fuzz/artifacts/.
#   scripts/fuzz.sh [SECONDS] [HARNESS...]
# The harnesses are every tests/fuzz/<Name>Fuzz.cpp (harness <name>, lower case). A harness
# fails when it finds a fault, has no seeds, or runs fewer than FUZZ_MIN_RUNS inputs
# (default 10,000 for 30 s, in proportion for other times): a run that hardly ran tested nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
NEXO_PACKAGES+=(clang libclang-rt-14-dev libfuzzer-14-dev)
nexo_install_deps

seconds=${1:-30}
shift || true
[[ $seconds =~ ^[0-9]+$ && $seconds -gt 0 ]] || { echo "usage: $0 [SECONDS] [HARNESS...]" >&2; exit 2; }
harnesses=("$@")
if ((${#harnesses[@]} == 0)); then
  for source in tests/fuzz/*Fuzz.cpp; do
    name=$(basename "$source" Fuzz.cpp)
    harnesses+=("${name,,}")
  done
fi
((${#harnesses[@]})) || { echo "fuzz: no harnesses in tests/fuzz" >&2; exit 1; }
min_runs=${FUZZ_MIN_RUNS:-$(( (10000 * seconds + 29) / 30 ))}

BUILD=${BUILD_DIR:-build-fuzz}
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cxx=$(command -v clang++-14 || command -v clang++)
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS=-O1 \
  -DNEXO_FUZZ=ON -DNEXO_BUILD_GUI=OFF -DNEXO_BUILD_TESTS=ON -DNEXO_SANITIZE=OFF "${launcher[@]}" >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target "${harnesses[@]/#/fuzz_}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$BUILD/artifacts"
failed=()
for name in "${harnesses[@]}"; do
  seeds=tests/fuzz/corpus/$name
  work=$BUILD/corpus/$name
  log=$BUILD/fuzz_$name.log
  mkdir -p "$work"
  if [[ -z $(find "$seeds" -type f 2>/dev/null | head -1) ]]; then
    echo "fuzz $name: FAILED (no seeds in $seeds)"
    failed+=("$name")
    continue
  fi
  status=0
  # -timeout: one input running for 10 s counts as a hang and is kept like a crash.
  "$BUILD/fuzz_$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$BUILD/artifacts/$name-" "$work" "$seeds" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 || true)
  corpus=$(find "$work" -type f | wc -l)
  why=""
  if ((status != 0)); then
    why="status $status"
  elif ! [[ $runs =~ ^[0-9]+$ ]]; then
    why="no execution count in its log"
  elif ((runs < min_runs)); then
    why="only $runs runs, at least $min_runs wanted"
  fi
  if [[ -z $why ]]; then
    echo "fuzz $name: ok, $runs runs in ${seconds} s (${rate:-?}/s), ${cov:-cov: ?}, corpus $corpus"
  else
    echo "fuzz $name: FAILED ($why), see $log:"
    grep -E 'ERROR|SUMMARY|check failed|runtime error|Test unit written' "$log" | head -20 || tail -20 "$log"
    failed+=("$name")
  fi
done
if ((${#failed[@]})); then
  echo "fuzzing failed: ${failed[*]}"
  exit 1
fi
