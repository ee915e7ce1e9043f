#!/usr/bin/env bash
# One entry for setting up, building, testing and running Lumira generator on Debian 12.
#   ./build.sh run    install what is missing, build, start the program
#   ./build.sh test   install what is missing, build, run every test through CTest
#   ./build.sh build  build only
#   ./build.sh package  build, then a Debian package (build/package/lumira_*.deb)
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n libgl-dev zlib1g-dev libminizip-dev libcurl4-openssl-dev libfontconfig-dev libxml2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  ecj default-jdk-headless
  fonts-dejavu-core
  xvfb xauth openbox imagemagick x11-utils xdotool
  libdeflate-dev
  zip unzip pngcheck time
  dpkg-dev desktop-file-utils appstream
)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure() {
  if [ ! -f build/build.ninja ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  fi
}

build() {
  configure
  cmake --build build -j "$(nproc)"
}

case "${1:-build}" in
  build)
    build
    ;;
  test)
    install_packages
    build
    cd build
    ctest --output-on-failure -j "$(nproc)" --timeout 300
    ;;
  package)
    install_packages
    build
    (cd build && cpack -G DEB)
    ;;
  run)
    install_packages
    build
    exec build/bin/lumira
    ;;
  *)
    echo "usage: $0 run|test|build|package" >&2
    exit 2
    ;;
esac
