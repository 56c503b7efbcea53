# Debian 12 packages the project needs; sourced by the scripts.
NEXO_PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev libcli11-dev
  qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools libgl-dev
  xvfb xauth ccache)

nexo_install_deps() {
  local missing=()
  for p in "${NEXO_PACKAGES[@]}"; do
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
nexo_cmake_cache_args() {
  if command -v ccache >/dev/null 2>&1; then
    echo "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
  fi
}
