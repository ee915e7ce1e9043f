#!/usr/bin/env bash
# One entry for setting up, building, testing and running Lumira generator on Debian 12.
#   ./build.sh run    install what is missing, build, start the program
#   ./build.sh test   install what is missing, build, run every test through CTest; then the gates:
#                     the suite again built by clang with AddressSanitizer + UBSan (build-check),
#                     and every fuzz harness for FUZZ_SECONDS (default 20) each on its seeds
#   ./build.sh check  the gates alone
#   ./build.sh build  build only
#   ./build.sh package  build, then a Debian package (build/package/lumira_*.deb)
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n libgl-dev zlib1g-dev libminizip-dev libcurl4-openssl-dev libfontconfig-dev libxml2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  ecj proguard default-jdk-headless
  fonts-dejavu-core
  xvfb xauth openbox imagemagick x11-utils xdotool
  libdeflate-dev libicu-dev
  libhyphen-dev hyphen-ru hyphen-en-us
  zip unzip pngcheck time strace
  dpkg-dev desktop-file-utils appstream
)
# What the sanitized and fuzzing build needs besides: clang's libFuzzer and sanitizer runtimes.
CHECK_PACKAGES=(clang libclang-rt-14-dev)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}" "$@"; do
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
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIRA_WERROR=ON -DLUMIRA_BUILD_BENCH=ON
  fi
}

build() {
  configure
  cmake --build build -j "$(nproc)"
}

# The gates: one clang tree with AddressSanitizer and UBSan (the fuzz option implies them) that
# builds the suite and the fuzz harnesses together. -O1 and line tables only keep it quick to
# build; no benchmarks, their timings mean nothing there. Memory errors, leaks and undefined
# behaviour fail the test or the harness that meets them. Four tests are left to the plain suite:
# the reader's class-file check runs only Java, the package check looks at the installed layout,
# which the sanitizers do not change, the kill test runs the program under strace, and the
# descriptor test leaves the sanitizers no descriptor of their own.
gates() {
  if [ ! -f build-check/build.ninja ]; then
    CXX=clang++ CC=clang cmake -S . -B build-check -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG" \
      -DLUMIRA_FUZZ=ON -DLUMIRA_WERROR=ON -DLUMIRA_BUILD_BENCH=OFF
  fi
  cmake --build build-check -j "$(nproc)"
  # The last-resort test throws through Qt's event loop on purpose; Qt then loses its event
  # copies, so that one test runs without leak detection.
  local last_resort='^ErrorBox\.ExceptionsEscapingHandlersAreShownAndTheLoopGoesOn$'
  # The kill test runs lumira-cli under strace, and LeakSanitizer, which traces the process it
  # checks, cannot run under a tracer: that test is the plain suite's.
  local kill_test='CliCommit\.KilledAtAnyRenameTheNextRunLeavesTheOldBookOrTheNewOneWholeAndNothingElse'
  # The descriptor test takes every descriptor from the process for a moment, and the sanitizers
  # need a pipe to check memory they report on, so they see faults that are not there.
  local starved_test='InstanceChannel\.ACopyOutOfDescriptorsTakesTheRequestOnceItHasOneWithoutSpinning'
  (cd build-check && export UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp" &&
     ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 ctest --output-on-failure -j "$(nproc)" --timeout 600 \
       -E "^(midlet_template_class_files|install_layout_and_package|$kill_test|$starved_test)\$|$last_resort" &&
     ASAN_OPTIONS=detect_leaks=0:abort_on_error=0 ctest --output-on-failure --timeout 600 -R "$last_resort")
  fuzz/run.sh build-check "${FUZZ_SECONDS:-20}"
}

case "${1:-build}" in
  build)
    build
    ;;
  test)
    install_packages "${CHECK_PACKAGES[@]}"
    build
    (cd build && ctest --output-on-failure -j "$(nproc)" --timeout 300)
    gates
    ;;
  check)
    install_packages "${CHECK_PACKAGES[@]}"
    gates
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
    echo "usage: $0 run|test|check|build|package" >&2
    exit 2
    ;;
esac
