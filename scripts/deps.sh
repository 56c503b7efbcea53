# Debian 12 packages the project needs; sourced by the scripts.
NEXO_PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev libcli11-dev
  qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools libgl-dev
  xvfb xauth ccache libtomlplusplus-dev nlohmann-json3-dev
  # The tests read numbers under a decimal-comma locale and check the toolkit's German texts.
  locales-all qt6-translations-l10n)
# The Windows build: the MinGW-w64 cross compiler with the posix thread model, GoogleTest's
# sources (built with that compiler) and the header-only CLI11, TOML and JSON libraries.
NEXO_WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix googletest libcli11-dev ccache
  libtomlplusplus-dev nlohmann-json3-dev)
# Running the Windows programs: Wine with its 64-bit loader; python3 types at a console; the
# desktop program's dialogs on a virtual X server.
NEXO_WINE_PACKAGES=(wine wine64 python3 xvfb xauth)
# The Windows release: the setup program (NSIS), signing, the zip.
NEXO_WINDOWS_PACKAGING_PACKAGES=(nsis osslsigncode zip)
# Trying it under Wine: a throwaway certificate, unpacking, and the dialog on a display of its own.
NEXO_WINDOWS_PACKAGE_TEST_PACKAGES=(openssl unzip xvfb xdotool imagemagick)

# nexo_install_deps [PACKAGE...]: installs those of the packages (default: NEXO_PACKAGES) that
# are missing.
nexo_install_deps() {
  local wanted=("$@")
  ((${#wanted[@]})) || wanted=("${NEXO_PACKAGES[@]}")
  local missing=()
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [[ $(id -u) -eq 0 ]] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
  fi
}

# Compiler cache: repeated builds, also from fresh clones in other folders, reuse objects.
# The scripts source this file from the top of the checkout.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
# Debug builds hash their folder by default; a fresh clone elsewhere would then miss every object.
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
nexo_cmake_cache_args() {
  if command -v ccache >/dev/null 2>&1; then
    echo "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
  fi
}

# nexo_linux_programs TARGET...: the Linux build the Windows checks run against (LINUX_BUILD_DIR,
# else build-asan/ when scripts/test.sh has made it, else build/, configured when missing), with
# TARGET... built; sets LINUX to its absolute path.
nexo_linux_programs() {
  if [[ -n ${LINUX_BUILD_DIR:-} ]]; then
    LINUX=$LINUX_BUILD_DIR
  elif [[ -f build-asan/CMakeCache.txt ]]; then
    LINUX=build-asan
  else
    LINUX=build
    nexo_install_deps
    if [[ ! -f $LINUX/CMakeCache.txt ]]; then
      cmake -S . -B "$LINUX" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(nexo_cmake_cache_args) >/dev/null
    fi
  fi
  cmake --build "$LINUX" -j "$(nproc)" --target "$@"
  LINUX=$(realpath "$LINUX")
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
}
