#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of
# seconds (default 60), starting from and adding to fuzz/corpus/<target>.
set -euo pipefail
source "$(dirname "$0")/common.sh"

SECONDS_EACH="${1:-60}"
install_packages packages-run.txt packages.txt
CC=clang CXX=clang++ configure_build "$TOP/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTRAVIMETRA_GUI=OFF -DTRAVIMETRA_TESTS=OFF -DTRAVIMETRA_FUZZ=ON
status=0
for target in "$TOP"/build-fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name="$(basename "$target")"
    corpus="$TOP/fuzz/corpus/${name#fuzz_}"
    work="$(mktemp -d)"
    mkdir -p "$corpus"
    echo "== $name for ${SECONDS_EACH}s"
    if ! "$target" -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
            -artifact_prefix="$work/" "$corpus" 2>&1 | tail -n 15; then
        status=1
    fi
    if ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* >/dev/null 2>&1; then
        echo "$name: finding kept in $work"; status=1
    fi
done
exit $status
