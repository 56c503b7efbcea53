#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UBSan, runs every test.
#   scripts/test.sh          everything (GUI included) with ASan and UBSan, in build-asan/
#   scripts/test.sh --tsan   the core, the simulator and every non-GUI test with ThreadSanitizer,
#                            in build-tsan/; any report fails the run
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
nexo_install_deps

mode=asan
case "${1:-}" in
  "") ;;
  --tsan) mode=tsan ;;
  *) echo "usage: $0 [--tsan]" >&2; exit 2 ;;
esac

launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
jobs=$(nproc)

if [[ $mode == asan ]]; then
  BUILD=${BUILD_DIR:-build-asan}
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNEXO_SANITIZE=ON -DNEXO_BUILD_GUI=ON "${launcher[@]}"
  cmake --build "$BUILD" -j "$jobs"
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  export QT_QPA_PLATFORM=offscreen
else
  # Qt is not instrumented, so the dialog tests stay with the AddressSanitizer run.
  BUILD=${BUILD_DIR:-build-tsan}
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNEXO_SANITIZE=OFF -DNEXO_BUILD_GUI=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" "${launcher[@]}"
  cmake --build "$BUILD" -j "$jobs"
  # A report ends the program with a failure, and goes to a file of its own: also the reports
  # of programs the tests start and whose exit status nobody looks at fail the run.
  reports=$PWD/$BUILD/tsan-reports
  rm -rf "$reports"
  mkdir -p "$reports"
  export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:log_path=$reports/report}
  # The tests' time-outs are 50 ms once scaled; under ThreadSanitizer's slowdown on a busy
  # machine a peer can miss one. So one test program at a time, and one that failed runs
  # again (twice at most): a race it showed stays in its report file and fails the run anyway.
  status=0
  (cd "$BUILD" && ctest --output-on-failure -j 1 --repeat until-pass:3) || status=$?
  if compgen -G "$reports/report*" >/dev/null; then
    echo "ThreadSanitizer reports:"
    cat "$reports"/report*
    exit 1
  fi
  exit "$status"
fi
cd "$BUILD"
ctest --output-on-failure -j "$(nproc)"
