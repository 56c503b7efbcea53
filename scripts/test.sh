#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UBSan, runs every test.
#   scripts/test.sh          everything (GUI included) with ASan and UBSan, in build-asan/
#   scripts/test.sh --tsan   the core, the simulator and every non-GUI test with ThreadSanitizer,
#                            in build-tsan/
# A sanitizer report, also of a program a test started, fails the run. A test program that
# failed runs once more; those that needed it are listed, and when NEXO_RETRY_LOG names a file
# that several runs share (as .ci/run does), a test that needed a retry in two of them fails.
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

# run_tests STAGE CTEST_ARGS...: every test of the build folder (the working directory). A failed
# test program gets one retry: flaky it may be, but it is named, and a second stage that needs
# a retry of the same test fails.
run_tests() {
  local stage=$1
  shift
  local status=0 failed=Testing/Temporary/LastTestsFailed.log retried=()
  rm -f "$failed"
  ctest --no-tests=error --output-on-failure "$@" || status=$?
  if ((status != 0)); then
    # No list: ctest itself failed (no tests, a bad argument) and there is nothing to retry.
    [[ -s $failed ]] || return "$status"
    mapfile -t retried < <(sed 's/^[0-9]*://' "$failed")
    echo "=== $stage: retrying once: ${retried[*]}"
    status=0
    ctest --no-tests=error --output-on-failure --rerun-failed "$@" || status=$?
  fi
  echo "=== $stage: tests that needed a retry: ${retried[*]:-none}"
  if ((${#retried[@]})) && [[ -n ${NEXO_RETRY_LOG:-} ]]; then
    local name earlier
    for name in "${retried[@]}"; do
      earlier=$(awk -F '\t' -v t="$name" -v s="$stage" '$2 == t && $1 != s { print $1; exit }' "$NEXO_RETRY_LOG" 2>/dev/null || true)
      if [[ -n $earlier ]]; then
        echo "=== $stage: $name needed a retry in \"$earlier\" as well: flaky, not a passing test"
        status=1
      fi
      printf '%s\t%s\n' "$stage" "$name" >>"$NEXO_RETRY_LOG"
    done
  fi
  return "$status"
}

# show_reports DIR: prints the sanitizer reports written there; false when there were any.
show_reports() {
  compgen -G "$1/report*" >/dev/null || return 0
  echo "Sanitizer reports:"
  cat "$1"/report*
  return 1
}

if [[ $mode == asan ]]; then
  BUILD=${BUILD_DIR:-build-asan}
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNEXO_SANITIZE=ON -DNEXO_BUILD_GUI=ON "${launcher[@]}"
  cmake --build "$BUILD" -j "$jobs"
  # A report ends the program with a failure and goes to a file of its own, which outlasts a
  # retry and catches the programs the tests start.
  reports=$PWD/$BUILD/asan-reports
  rm -rf "$reports"
  mkdir -p "$reports"
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:log_path=$reports/report}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1:log_path=$reports/report}
  export QT_QPA_PLATFORM=offscreen
  status=0
  (cd "$BUILD" && run_tests "tests (ASan, UBSan)" -j "$jobs") || status=$?
  show_reports "$reports" || exit 1
  exit "$status"
fi

# Qt is not instrumented, so the dialog tests stay with the AddressSanitizer run.
BUILD=${BUILD_DIR:-build-tsan}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNEXO_SANITIZE=OFF -DNEXO_BUILD_GUI=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" "${launcher[@]}"
cmake --build "$BUILD" -j "$jobs"
reports=$PWD/$BUILD/tsan-reports
rm -rf "$reports"
mkdir -p "$reports"
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:log_path=$reports/report}
# One test program at a time: under ThreadSanitizer's slowdown on a busy machine the suites
# would otherwise crowd each other's peers past their waits.
status=0
(cd "$BUILD" && run_tests "ThreadSanitizer" -j 1) || status=$?
show_reports "$reports" || exit 1
exit "$status"
