#!/usr/bin/env bash
# Builds the non-GUI tests with AddressSanitizer and UndefinedBehaviorSanitizer and runs them.
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_packages packages-run.txt packages.txt
configure_build "$TOP/build-asan" -DCMAKE_BUILD_TYPE=Debug -DTRAVIMETRA_GUI=OFF \
    -DTRAVIMETRA_SANITIZE=ON
cd "$TOP/build-asan"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --output-on-failure -j "$JOBS" -LE gui "$@"
