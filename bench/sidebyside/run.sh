#!/bin/bash
# Travimetra and collectd's snmp plugin side by side: both poll the same
# interface of one snmpd every second, as many times as there are sensors,
# and the CPU each process used over one common window is read from
# /proc/<pid>/stat (utime + stime). Not run by CI: it needs root (snmpd on
# port 161), Xvfb and collectd, and it takes minutes.
#
# Usage: bench/sidebyside/run.sh [options]
#   -b BINARY   Travimetra executable (default: build-rel/src/app/travimetra)
#   -s SECONDS  measuring window (default 120)
#   -r RUNS     windows to measure, Travimetra started afresh for each (default 3)
#   -n SENSORS  sensors and collectd hosts (default 10)
#   -m          start Travimetra minimized: the graphs are never drawn, so
#               the figure is the poll without the drawing
#   -H          run "travimetra --headless": no display, no window library
#   -p          record the last run with perf (call graphs) into WORK/perf.data
#   -f          also the window's floor: the resident memory of each run next
#               to a minimal Qt window's, and the time from start to the first
#               mapped window of both, 5 starts each in turn (needs the
#               benchmarks built: sidebyside_minimal_window, sidebyside_first_map)
#   -w WORK     scratch folder (default /tmp/travimetra-sidebyside)
# Everything runs on 127.0.0.240 (override with ADDR=127.0.0.x) and on the
# X display :77 (DISPLAY_NUMBER=n); nothing leaves the loopback network.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
binary="$here/../../build-rel/src/app/travimetra"
window=120
runs=3
sensors=10
minimized=0
perf=0
floor=0
headless=0
work=/tmp/travimetra-sidebyside
addr=${ADDR:-127.0.0.240}
display=${DISPLAY_NUMBER:-77}
community=vandor
ifindex=1
warmup=15

while getopts "b:s:r:n:mHpfw:" opt; do
    case $opt in
    b) binary=$OPTARG ;;
    s) window=$OPTARG ;;
    r) runs=$OPTARG ;;
    n) sensors=$OPTARG ;;
    m) minimized=1 ;;
    p) perf=1 ;;
    f) floor=1 ;;
    H) headless=1 ;;
    w) work=$OPTARG ;;
    *) sed -n '2,25p' "$0" >&2; exit 2 ;;
    esac
done

case $addr in
127.0.0.*) ;;
*) echo "ADDR must be a 127.0.0.x address" >&2; exit 2 ;;
esac
[ "$(id -u)" = 0 ] || { echo "needs root: snmpd listens on port 161" >&2; exit 2; }
[ -x "$binary" ] || { echo "no executable at $binary (build the Release tree first)" >&2; exit 2; }
minimal="$here/../../build-rel/bench/sidebyside_minimal_window"
firstMap="$here/../../build-rel/bench/sidebyside_first_map"
if [ "$floor" = 1 ]; then
    [ -x "$minimal" ] && [ -x "$firstMap" ] ||
        { echo "-f needs the benchmarks sidebyside_minimal_window and sidebyside_first_map" >&2; exit 2; }
fi
for tool in /usr/sbin/snmpd /usr/sbin/collectd Xvfb; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }
done

if [ -e "/tmp/.X$display-lock" ]; then
    echo "display :$display is taken (another run?); set DISPLAY_NUMBER" >&2
    exit 2
fi

pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
}
trap cleanup EXIT

fill() { # template: replaces @KEY@ by the values given as KEY=value
    local text
    text=$(cat "$1")
    shift
    for pair in "$@"; do
        text=${text//@${pair%%=*}@/${pair#*=}}
    done
    printf '%s\n' "$text"
}

rm -rf "$work"
mkdir -p "$work"/{snmpd,collectd,csv,home/.config/Quorvane,home/.local/share,home/.local/state,run}
chmod 700 "$work/run"

fill "$here/snmpd.conf.in" COMMUNITY=$community >"$work/snmpd/snmpd.conf"
hosts=""
sensorBlocks=""
for ((n = 0; n < sensors; n++)); do
    hosts+=$(fill "$here/collectd-host.conf.in" N=$n ADDR=$addr COMMUNITY=$community)$'\n'
    sensorBlocks+=$(fill "$here/travimetra-sensor.reg.in" N=$n ADDR=$addr COMMUNITY=$community \
        IFINDEX=$ifindex)$'\n'
done
fill "$here/collectd.conf.in" WORK="$work" IFINDEX=$ifindex HOSTS="$hosts" >"$work/collectd.conf"
regTemplate() {
    local text
    text=$(fill "$here/travimetra.reg.in" NUMBER_HEX="$(printf '%08x' "$sensors")" \
        SENSORS="$sensorBlocks")
    if [ "$minimized" = 1 ]; then
        text=${text//\"StartMinimized\"=hex:46,61,6c,73,65/\"StartMinimized\"=hex:54,72,75,65}
    fi
    printf '%s\n' "$text"
}

/usr/sbin/snmpd -f -Lf "$work/snmpd.log" -C -c "$work/snmpd/snmpd.conf" -p "$work/snmpd/pid" \
    -M /nonexistent "$addr:161" &
pids+=($!)
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
sleep 2
for pid in "${pids[@]}"; do
    kill -0 "$pid" 2>/dev/null || { echo "snmpd or Xvfb did not start (address or display taken?)" >&2; exit 1; }
done
/usr/sbin/collectd -f -C "$work/collectd.conf" >"$work/collectd.log" 2>&1 &
collectd=$!
pids+=($collectd)

ticks() { # utime + stime of a process, in clock ticks
    local stat
    stat=$(cat "/proc/$1/stat")
    # Fields after the command name, which may hold spaces: state is field 3.
    set -- ${stat##*) }
    echo $((${12} + ${13}))
}

runNs() { # run time of every live thread, "tid ns" per line (schedstat: exact, not sampled)
    local task
    for task in /proc/"$1"/task/*; do
        read -r ns _ <"$task/schedstat" 2>/dev/null && echo "${task##*/} $ns"
    done
}
spentNs() { # nanoseconds spent between two runNs listings (threads that ended are lost)
    awk 'NR == FNR { start[$1] = $2; next } { total += $2 - start[$1] } END { printf "%d", total }' "$1" "$2"
}

freshSettings() {
    rm -rf "$work/home/.config/Quorvane"/* "$work/home/.local/share"/* "$work/home/.local/state"/*
    regTemplate >"$work/home/.config/Quorvane/Travimetra.reg"
    chmod 600 "$work/home/.config/Quorvane/Travimetra.reg"
}
onDisplay() { # runs a command in the clean environment the program gets
    exec env -i PATH="$PATH" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
        XDG_DATA_HOME="$work/home/.local/share" XDG_STATE_HOME="$work/home/.local/state" \
        XDG_RUNTIME_DIR="$work/run" DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$@"
}
headless() { # the same without a display
    exec env -i PATH="$PATH" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
        XDG_DATA_HOME="$work/home/.local/share" XDG_STATE_HOME="$work/home/.local/state" \
        XDG_RUNTIME_DIR="$work/run" "$@" --headless
}
rssKb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

hz=$(getconf CLK_TCK)
results=()
rss=()
for ((run = 1; run <= runs; run++)); do
    freshSettings
    if [ "$headless" = 1 ]; then
        headless "$binary" >"$work/travimetra-$run.log" 2>&1 &
    else
        onDisplay "$binary" >"$work/travimetra-$run.log" 2>&1 &
    fi
    ours=$!
    sleep "$warmup"
    kill -0 "$ours" || { echo "Travimetra ended early, see $work/travimetra-$run.log" >&2; exit 1; }
    load=$(cut -d' ' -f1 /proc/loadavg)
    if [ "$perf" = 1 ] && [ "$run" = "$runs" ]; then
        perf record -g -p "$ours" -o "$work/perf.data" -- sleep "$window" >"$work/perf.log" 2>&1 &
        perfPid=$!
    fi
    ourStart=$(ticks "$ours")
    theirStart=$(ticks "$collectd")
    runNs "$ours" >"$work/ours.start"
    runNs "$collectd" >"$work/theirs.start"
    sleep "$window"
    ourTicks=$(($(ticks "$ours") - ourStart))
    theirTicks=$(($(ticks "$collectd") - theirStart))
    runNs "$ours" >"$work/ours.end"
    runNs "$collectd" >"$work/theirs.end"
    ourNs=$(spentNs "$work/ours.start" "$work/ours.end")
    theirNs=$(spentNs "$work/theirs.start" "$work/theirs.end")
    [ -n "${perfPid:-}" ] && wait "$perfPid" || true
    rss+=("$(rssKb "$ours")")
    theirRss=$(rssKb "$collectd")
    kill "$ours"
    wait "$ours" || true
    line=$(awk -v o="$ourTicks" -v t="$theirTicks" -v hz="$hz" -v s="$window" -v l="$load" \
        -v on="$ourNs" -v tn="$theirNs" \
        'BEGIN { op = 100 * o / hz / s; tp = 100 * t / hz / s;
                 printf "stat: travimetra %.3f%% collectd %.3f%% ratio %s (ticks %d/%d) | ",
                        op, tp, (t > 0 ? sprintf("%.2f", o / t) : "inf"), o, t;
                 printf "schedstat: %.3f%% %.3f%% ratio %s | load %s",
                        100 * on / 1e9 / s, 100 * tn / 1e9 / s,
                        (tn > 0 ? sprintf("%.2f", on / tn) : "inf"), l }')
    echo "run $run: $line | RSS travimetra ${rss[-1]} kB collectd $theirRss kB" \
        "ratio $(awk -v a="${rss[-1]}" -v b="$theirRss" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')"
    results+=("$(awk -v o="$ourTicks" -v t="$theirTicks" -v on="$ourNs" -v tn="$theirNs" \
        'BEGIN { printf "%.4f %.4f", (t > 0 ? o / t : 1e9), (tn > 0 ? on / tn : 1e9) }')")
done
median() {
    sort -n | awk '{ r[NR] = $1 } END { printf "%.2f", NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2 }'
}
echo "median ratio over $runs runs: stat $(printf '%s\n' "${results[@]}" | cut -d' ' -f1 | median)," \
    "schedstat $(printf '%s\n' "${results[@]}" | cut -d' ' -f2 | median)"

[ "$floor" = 1 ] || exit 0
onDisplay "$minimal" >"$work/minimal.log" 2>&1 &
floorPid=$!
sleep "$warmup"
floorRss=$(rssKb "$floorPid")
kill "$floorPid"
wait "$floorPid" || true
ourRss=$(printf '%s\n' "${rss[@]}" | median)
echo "rss: travimetra $ourRss kB, minimal Qt window $floorRss kB," \
    "difference $(awk -v a="$ourRss" -v b="$floorRss" 'BEGIN { printf "%.1f", (a - b) / 1024 }') MB"
ourStarts=()
floorStarts=()
for ((start = 0; start <= 5; start++)); do # the first of each is a warm-up
    freshSettings
    ourStarts+=("$(onDisplay "$firstMap" "$binary" 2>/dev/null)")
    floorStarts+=("$(onDisplay "$firstMap" "$minimal" 2>/dev/null)")
done
ourStart=$(printf '%s\n' "${ourStarts[@]:1}" | median)
floorStart=$(printf '%s\n' "${floorStarts[@]:1}" | median)
echo "start to first window: travimetra ${ourStarts[*]:1} ms, minimal Qt window ${floorStarts[*]:1} ms;" \
    "medians $ourStart / $floorStart, ratio $(awk -v a="$ourStart" -v b="$floorStart" 'BEGIN { printf "%.2f", a / b }')"
