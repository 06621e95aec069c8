#!/usr/bin/env bash
# Installs what building and running needs (scripts/packages-run.txt, nothing
# for the tests), builds Travimetra and starts it. When no SNMP agent answers
# on 127.0.0.1, a local one is started for the time Travimetra runs, so the
# device it names (community "vandor") shows this machine's own traffic. The
# machine's own services are left as they are.
set -euo pipefail
source "$(dirname "$0")/common.sh"
source "$TOP/scripts/local-agent.sh"

install_packages packages-run.txt
configure_build "$TOP/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRAVIMETRA_TESTS=OFF
trap stop_local_agent EXIT
trap 'exit 130' INT TERM
start_local_agent || echo "Going on without a local agent."
"$TOP/build/src/app/travimetra" "$@"
