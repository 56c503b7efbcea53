#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UBSan, runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
nexo_install_deps

BUILD=${BUILD_DIR:-build-asan}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNEXO_SANITIZE=ON -DNEXO_BUILD_GUI=ON $(nexo_cmake_cache_args)
cmake --build "$BUILD" -j "$(nproc)"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen
cd "$BUILD"
ctest --output-on-failure -j "$(nproc)"
