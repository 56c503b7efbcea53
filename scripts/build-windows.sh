#!/usr/bin/env bash
# Installs what is missing and cross-compiles the Windows programs with MinGW-w64, statically
# linked (no DLLs to ship beside them): the desktop program nexo-backup.exe with its language
# libraries lng/blang_xx.dll, nexo-backup-cli.exe, nexo-sim.exe and the tests (test_*.exe,
# nexo-win32-test.exe), into build-win/ (BUILD_DIR sets another folder).
#   scripts/build-windows.sh            programs and tests
#   scripts/build-windows.sh --programs the programs and the language libraries only
set -euo pipefail
cd "$(dirname "$0")/.."

WHAT=all
for arg in "$@"; do
  case "$arg" in
    --programs) WHAT=programs ;;
    -h|--help) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "build-windows.sh: unknown option $arg (try --help)" >&2; exit 2 ;;
  esac
done

source scripts/deps.sh
nexo_install_deps "${NEXO_WINDOWS_PACKAGES[@]}"

BUILD=${BUILD_DIR:-build-win}
cmake --no-warn-unused-cli -S . -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" -DNEXO_BUILD_GUI=OFF -DNEXO_BUILD_TESTS=ON \
  $(nexo_cmake_cache_args) >/dev/null

PROGRAMS=(nexo-backup nexo-backup-cli nexo-sim)
TARGETS=("${PROGRAMS[@]}")
if [[ $WHAT == all ]]; then
  # The test programs ctest knows in this build.
  mapfile -t TESTS < <(ctest --test-dir "$BUILD" -N --no-tests=error | sed -n 's/^ *Test *#[0-9]*: //p')
  # and the in-process test of the desktop program's dialogs, which test-windows.sh runs.
  TARGETS+=("${TESTS[@]}" nexo-win32-test)
fi
cmake --build "$BUILD" -j "${JOBS:-$(nproc)}" --target "${TARGETS[@]}"

# Statically linked means nothing beyond the DLLs every Windows has.
for target in "${TARGETS[@]}"; do
  exe="$BUILD/$target.exe"
  extra=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' |
    grep -viE '^(kernel32|msvcrt|ws2_32|shell32|user32|advapi32|gdi32|comctl32|comdlg32)\.dll$' || true)
  if [[ -n $extra ]]; then
    echo "build-windows.sh: $exe needs DLLs that are not shipped: $extra" >&2
    exit 1
  fi
done
# The language libraries are resources only: no code to run, nothing imported.
for dll in "$BUILD"/lng/blang_*.dll; do
  headers=$(x86_64-w64-mingw32-objdump -p "$dll")
  if grep -q 'DLL Name:' <<<"$headers" || ! grep -qE '^AddressOfEntryPoint[[:space:]]+0+$' <<<"$headers"; then
    echo "build-windows.sh: $dll is not resource-only" >&2
    exit 1
  fi
done
echo "Windows programs: $BUILD/nexo-backup.exe (with $BUILD/lng/blang_*.dll) $BUILD/nexo-backup-cli.exe $BUILD/nexo-sim.exe"
