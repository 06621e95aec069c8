#!/usr/bin/env bash
# Installs what is missing, builds Travimetra and starts it. When no SNMP agent
# answers on 127.0.0.1, a local one is started for the time Travimetra runs, so
# the device 127.0.0.1 (community "vandor") shows this machine's own traffic.
set -euo pipefail
source "$(dirname "$0")/common.sh"
source "$TOP/scripts/local-agent.sh"

install_packages
configure_build "$TOP/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRAVIMETRA_TESTS=OFF
trap stop_local_agent EXIT
trap 'exit 130' INT TERM
start_local_agent || echo "Going on without a local agent."
"$TOP/build/src/app/travimetra" "$@"
