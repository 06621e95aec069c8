#!/usr/bin/env bash
# Seeds faults one at a time and tells which ones the tests catch.
#
#   scripts/mutate.sh [LIST] [PATTERN]
#
# LIST (default scripts/mutations.txt) holds one fault a line:
#   file @@ original text @@ replacement text @@ ctest regex of the tests to run
# Blank lines and lines starting with # are skipped. PATTERN, when given, keeps
# only the lines that contain it.
#
# The work happens in a copy of the tree (build-mutate/ beside the sources),
# so the checkout is never touched, even when the script is interrupted. For
# each fault: the original text must occur exactly once in its file, it is
# replaced, the tests named are rebuilt and run (those with "peers" in their
# name under the shared loopback lock), and the file is restored. A test
# binary that ends early with a zero status (a stray exit) counts as a
# failure. Results go to stdout and build-mutate/results.txt: CAUGHT,
# SURVIVED, BROKEN (did not build: not counted) or STALE (the text is gone:
# not counted), then the caught share per source folder.
set -uo pipefail
source "$(dirname "$0")/common.sh"

LIST="${1:-$TOP/scripts/mutations.txt}"
PATTERN="${2:-}"
WORK="$TOP/build-mutate"
TREE="$WORK/tree"
BUILD="$WORK/build"
RESULTS="$WORK/results.txt"
LOCK=/tmp/travimetra-peers.lock
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$TOP")}" CCACHE_NOHASHDIR=1

[ -f "$LIST" ] || { echo "no list: $LIST" >&2; exit 2; }
LIST="$(cd "$(dirname "$LIST")" && pwd)/$(basename "$LIST")"

# A copy of what git knows of, committed or not. Only files whose content
# differs are copied (with a new time stamp), so the build of the copy stays
# current and rebuilds no more than changed.
mkdir -p "$TREE"
(cd "$TOP" && git ls-files -co --exclude-standard -z | grep -zv '^build') | python3 -c '
import filecmp, os, shutil, sys
top, tree = sys.argv[1:3]
for name in sys.stdin.buffer.read().decode().split("\0"):
    source, copy = os.path.join(top, name), os.path.join(tree, name)
    if not name or not os.path.isfile(source):
        continue
    if not os.path.exists(copy) or not filecmp.cmp(source, copy, shallow=False):
        os.makedirs(os.path.dirname(copy), exist_ok=True)
        shutil.copy(source, copy)
' "$TOP" "$TREE"
if [ ! -f "$BUILD/build.ninja" ]; then
    launcher=()
    command -v ccache >/dev/null &&
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    # Warnings stay warnings: a fault that only adds one is still a fault.
    cmake -S "$TREE" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTRAVIMETRA_WERROR=OFF \
        "${launcher[@]}" >"$WORK/configure.log" 2>&1 ||
        { echo "configure failed: $WORK/configure.log" >&2; exit 2; }
fi

trim() { sed -e 's/^[[:space:]]*//' -e 's/[[:space:]]*$//' <<<"$1"; }

# Replaces the one occurrence of $2 by $3 in file $1; status 3 when the text
# is missing or not unique.
replace_once() {
    python3 - "$1" "$2" "$3" <<'EOF'
import sys
path, old, new = sys.argv[1:4]
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(3)
open(path, "w", encoding="utf-8").write(text.replace(old, new, 1))
EOF
}

run_tests() {
    local regex="$1" marker="$WORK/premature-exit"
    rm -f "$marker"
    local status=0
    if grep -q peers <<<"$regex" ||
        (cd "$BUILD" && ctest -N -R "$regex" -L peers 2>/dev/null | grep -q 'Test *#'); then
        (cd "$BUILD" && TEST_PREMATURE_EXIT_FILE="$marker" flock "$LOCK" \
            ctest -R "$regex" --timeout 180 --stop-on-failure) >"$WORK/test.log" 2>&1 || status=1
    else
        (cd "$BUILD" && TEST_PREMATURE_EXIT_FILE="$marker" \
            ctest -R "$regex" --timeout 180 --stop-on-failure) >"$WORK/test.log" 2>&1 || status=1
    fi
    # gtest removes the marker on a normal end; left behind, a test binary
    # quit half-way and its zero status proves nothing.
    [ -e "$marker" ] && status=1
    return $status
}

: >"$RESULTS"
declare -A caught total
n=0
while IFS= read -r line || [ -n "$line" ]; do
    [[ -z "${line// /}" || "$line" =~ ^[[:space:]]*# ]] && continue
    [ -n "$PATTERN" ] && [[ "$line" != *"$PATTERN"* ]] && continue
    n=$((n + 1))
    IFS=$'\x1f' read -r file original replacement regex <<<"${line//' @@ '/$'\x1f'}"
    file=$(trim "$file")
    regex=$(trim "$regex")
    folder=$(cut -d/ -f1-2 <<<"$file")
    target="$TREE/$file"
    label="#$n $file: $original -> $replacement"
    if [ ! -f "$target" ] || [ -z "$regex" ]; then
        echo "STALE    $label" | tee -a "$RESULTS"
        continue
    fi
    cp -p "$target" "$WORK/saved"
    if ! replace_once "$target" "$original" "$replacement"; then
        cp "$WORK/saved" "$target"
        echo "STALE    $label" | tee -a "$RESULTS"
        continue
    fi
    targets=$(cd "$BUILD" && ctest -N -R "$regex" | sed -n 's/^ *Test *#[0-9]*: //p')
    verdict=""
    if [ -z "$targets" ]; then
        verdict="STALE   "
    elif ! nice -n 10 cmake --build "$BUILD" -j "$JOBS" --target $targets >"$WORK/build.log" 2>&1; then
        verdict="BROKEN  "
    elif run_tests "$regex"; then
        verdict="SURVIVED"
    else
        verdict="CAUGHT  "
    fi
    # A plain copy: the new time stamp makes the next build undo the fault.
    cp "$WORK/saved" "$target"
    echo "$verdict $label" | tee -a "$RESULTS"
    case "$verdict" in
    CAUGHT*) caught[$folder]=$((${caught[$folder]:-0} + 1)); total[$folder]=$((${total[$folder]:-0} + 1)) ;;
    SURVIVED) total[$folder]=$((${total[$folder]:-0} + 1)) ;;
    esac
done <"$LIST"

# Leave the copy as the sources are, so the next run rebuilds only what it changes.
{
    echo
    all_caught=0 all_total=0
    for folder in $(printf '%s\n' "${!total[@]}" | sort); do
        c=${caught[$folder]:-0} t=${total[$folder]}
        all_caught=$((all_caught + c)) all_total=$((all_total + t))
        printf '%-16s %3d of %3d caught (%d %%)\n' "$folder" "$c" "$t" $((100 * c / t))
    done
    [ "$all_total" -gt 0 ] &&
        printf '%-16s %3d of %3d caught (%d %%)\n' overall "$all_caught" "$all_total" \
            $((100 * all_caught / all_total))
} | tee -a "$RESULTS"
