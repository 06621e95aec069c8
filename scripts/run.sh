#!/usr/bin/env bash
# Installs what is missing, builds Travimetra and starts it.
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_packages
configure_build "$TOP/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRAVIMETRA_TESTS=OFF
exec "$TOP/build/src/app/travimetra" "$@"
