#!/usr/bin/env bash
# Installs what is missing of both package lists, builds Travimetra with its
# tests and runs every test. The machine's services are left alone: a test
# whose port one of them holds says so and is skipped (fails under CI=true).
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_packages packages-run.txt packages.txt
# The benchmarks are built too (not run), so that they keep up with the code.
configure_build "$TOP/build-test" -DCMAKE_BUILD_TYPE=Debug -DTRAVIMETRA_WERROR=ON -DTRAVIMETRA_BENCH=ON
cd "$TOP/build-test"
ctest --output-on-failure -j "$JOBS" "$@"
