#!/usr/bin/env bash
# Installs what is missing, builds the programs for release (no sanitizers, no tests, Debian's
# hardening flags) and makes the Debian package nexo-backup_<version>_<arch>.deb with CPack.
#   scripts/package.sh [OUTDIR]   the package goes to OUTDIR (default: the build folder)
# Its path is the last line printed. Install it with: apt install ./nexo-backup_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
  -h|--help) sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
esac

source scripts/deps.sh
# CPack computes the dependencies with dpkg-shlibdeps, which needs file to find the binaries.
NEXO_PACKAGES+=(dpkg-dev file)
nexo_install_deps

BUILD=${BUILD_DIR:-build-pkg}
OUT=${1:-$BUILD}
LAUNCHER=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
  LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# The flags a Debian package is built with, all hardening on (bind now as well).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"

echo "== Building the release programs in $BUILD/"
# /usr: the desktop entry and the manual pages name the installed data folder.
cmake -S . -B "$BUILD" -G Ninja "${LAUNCHER[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_INSTALL_PREFIX=/usr -DNEXO_SANITIZE=OFF -DNEXO_BUILD_GUI=ON -DNEXO_BUILD_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" >/dev/null
cmake --build "$BUILD" -j "$(nproc)"

echo "== Making the package"
rm -f "$BUILD"/nexo-backup_*.deb
(cd "$BUILD" && cpack -G DEB --config CPackConfig.cmake >/dev/null)
deb=$(ls "$BUILD"/nexo-backup_*.deb)
if [[ $(realpath "$OUT") != $(realpath "$BUILD") ]]; then
  mkdir -p "$OUT"
  mv "$deb" "$OUT/"
  deb=$OUT/$(basename "$deb")
fi
realpath "$deb"
