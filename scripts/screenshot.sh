#!/usr/bin/env bash
# Renders the main dialog (idle, and with a job's status lines and progress), the password
# prompt and the SKD choice in every language of the program to PNG files under a virtual X
# server: OUT/<locale>/*.png (OUT defaults to screenshots/). LOCALES="es_ES en_US" renders
# only those. Builds the program first when needed.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build}
OUT=$(realpath -m "${1:-screenshots}")

if [[ ! -f $BUILD/build.ninja ]]; then
  source scripts/deps.sh
  nexo_install_deps
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug
fi
cmake --build "$BUILD" --target nexo-backup -j "$(nproc)"

for locale in ${LOCALES:-es_ES en_US de_DE fr_FR nl_NL it_IT sv_SE da_DK}; do
  mkdir -p "$OUT/$locale"
  # From the build folder, which holds lng/; the language comes from the locale variables.
  (cd "$BUILD" && env -u LC_ALL -u LC_MESSAGES LANG="$locale.UTF-8" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1280x1024x24" ./nexo-backup --screenshot "$OUT/$locale")
  echo "$OUT/$locale: $(cd "$OUT/$locale" && echo *.png)"
done
