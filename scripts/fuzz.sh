#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz (clang, AddressSanitizer, UBSan) in build-fuzz/
# and runs each for SECONDS (default 30), starting from its seeds in tests/fuzz/corpus/<name>.
# New inputs go to build-fuzz/corpus/<name>, a crashing input to build-fuzz/artifacts/.
#   scripts/fuzz.sh [SECONDS] [HARNESS...]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
NEXO_PACKAGES+=(clang libclang-rt-14-dev libfuzzer-14-dev)
nexo_install_deps

seconds=${1:-30}
shift || true
[[ $seconds =~ ^[0-9]+$ && $seconds -gt 0 ]] || { echo "usage: $0 [SECONDS] [HARNESS...]" >&2; exit 2; }
harnesses=("$@")
((${#harnesses[@]})) || harnesses=(backupfile base64 busreply framestream statusline)

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
  status=0
  # -timeout: one input running for 10 s counts as a hang and is kept like a crash.
  "$BUILD/fuzz_$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$BUILD/artifacts/$name-" "$work" "$seeds" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 || true)
  corpus=$(find "$work" -type f | wc -l)
  if ((status == 0)); then
    echo "fuzz $name: ok, ${runs:-?} runs in ${seconds} s (${rate:-?}/s), ${cov:-cov: ?}, corpus $corpus"
  else
    echo "fuzz $name: FAILED (status $status), see $log:"
    grep -E 'ERROR|SUMMARY|check failed|runtime error|Test unit written' "$log" | head -20 || tail -20 "$log"
    failed+=("$name")
  fi
done
if ((${#failed[@]})); then
  echo "fuzzing found faults in: ${failed[*]}"
  exit 1
fi
