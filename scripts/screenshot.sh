#!/usr/bin/env bash
# Renders the main dialog (idle, and with a job's status lines and progress), the password
# prompt and the SKD choice in every language of the program to PNG files under a virtual X
# server: OUT/<locale>/*.png (OUT defaults to screenshots/), and the Windows program's under
# Wine: OUT/windows/<locale>/*.png. LOCALES="es_ES en_US" renders only those; SKIP_QT=1 or
# SKIP_WINDOWS=1 leaves one program out. Builds the programs first when needed.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build}
OUT=$(realpath -m "${1:-screenshots}")

if [[ ${SKIP_QT:-0} != 1 ]]; then
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
fi

# The Windows dialogs under Wine (SKIP_WINDOWS=1 leaves them out): each language's main dialog
# idle, with a running job, with the password prompt and with the SKD choice, and the prompts
# on their own, taken by nexo-win32-test.exe while it drives a backup against the Linux
# nexo-sim: OUT/windows/<locale>/*.png.
if [[ ${SKIP_WINDOWS:-0} != 1 ]]; then
  source scripts/deps.sh
  nexo_install_deps "${NEXO_WINE_PACKAGES[@]}" imagemagick
  BUILD_DIR=${WIN_BUILD_DIR:-build-win} bash scripts/build-windows.sh --programs
  WIN=$(realpath "${WIN_BUILD_DIR:-build-win}")
  cmake --build "$WIN" --target nexo-win32-test
  if [[ ! -f $BUILD/build.ninja ]]; then
    nexo_install_deps
    cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug
  fi
  cmake --build "$BUILD" --target nexo-sim
  source scripts/wine-prefix.sh
  nexo_wine_prefix "$WIN/wine"
  WORK=$(mktemp -d /tmp/nexo-shots.XXXXXX)
  SIM_PID=
  finish() {
    [[ -z $SIM_PID ]] || { kill -INT "$SIM_PID" 2>/dev/null; wait "$SIM_PID" 2>/dev/null || true; }
    nexo_xvfb_stop
    wineserver -k 2>/dev/null || true
    rm -rf "$WORK"
  }
  trap finish EXIT
  nexo_xvfb_start "${NEXO_WIN_DISPLAY:-91}"
  ADDRESS=127.203.$(( 0x$(printf '%s' "$PWD" | md5sum | cut -c1-2) % 200 )).40
  "$BUILD/nexo-sim" --address "$ADDRESS" --version 108 --skds 1,2,5 --password shots --time-scale 0.1 \
    --ready-file "$WORK/ready" >/dev/null 2>"$WORK/sim.log" &
  SIM_PID=$!
  for i in $(seq 100); do [[ -e $WORK/ready ]] && break; sleep 0.1; done
  for locale in ${LOCALES:-es_ES en_US de_DE fr_FR nl_NL it_IT sv_SE da_DK}; do
    dir="$OUT/windows/$locale"
    mkdir -p "$dir" "$WORK/$locale"
    (cd "$WIN" && env LC_ALL="$locale.UTF-8" timeout 300 wine ./nexo-win32-test.exe job backup "$ADDRESS" \
      "$(winepath -w "$WORK/$locale/shots.mrk")" - shots 0.1 "$(winepath -w "$WORK/$locale")") >"$WORK/$locale.log" 2>&1 ||
      { cat "$WORK/$locale.log" >&2; echo "screenshot.sh: the Windows dialogs in $locale failed" >&2; exit 1; }
    for bmp in "$WORK/$locale"/*.bmp; do
      convert "$bmp" "$dir/$(basename "${bmp%.bmp}").png"
    done
    echo "$dir: $(cd "$dir" && echo *.png)"
  done
fi
