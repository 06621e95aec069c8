#!/usr/bin/env bash
# Installs what is missing, builds Travimetra with its tests and runs every test.
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_packages packages-run.txt packages.txt
configure_build "$TOP/build-test" -DCMAKE_BUILD_TYPE=Debug -DTRAVIMETRA_WERROR=ON
cd "$TOP/build-test"
ctest --output-on-failure -j "$JOBS" "$@"
