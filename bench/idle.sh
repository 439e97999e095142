#!/usr/bin/env bash
# Idle cost of the running program with the simulated mouse attached: share of one core
# (utime + stime of /proc/PID/stat) and wake-ups per second (voluntary + non-voluntary
# context switches summed over /proc/PID/task/*) over a measuring window, with the
# busiest threads listed.
#
# The program runs on the offscreen platform, so no display is needed; its window counts
# as shown (nothing outside the program can hide it into the tray: the tray click is a
# private message).
# Usage: bench/idle.sh [seconds]   (default 60; builds build-release first)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
settle=5

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release -j2 --target tolmi-q318 tolmi-q318-sim runtime_files >/dev/null
bin=build-release/bin

work=$(mktemp -d)
cleanup() {
    kill "${program:-}" "${sim:-}" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

export QT_QPA_PLATFORM=offscreen TOLMI_DEBUG=1
export XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
export TOLMI_VHID_DIR=$work/vhid
mkdir -p "$XDG_RUNTIME_DIR" "$TOLMI_VHID_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

"$bin/tolmi-q318-sim" mouse 2>"$work/sim.err" &
sim=$!
"$bin/tolmi-q318" 2>"$work/program.err" &
program=$!

# Attach, open the device and let the first screen fit pass.
sleep "$settle"
if ! grep -q "添加一个鼠标设备" "$work/program.err"; then
    echo "the simulated mouse did not attach; program output:" >&2
    cat "$work/program.err" >&2
    exit 1
fi

ticks() {  # utime + stime of the whole process, in clock ticks
    sed 's/^.*) //' "/proc/$program/stat" | awk '{print $12 + $13}'
}
cputime() {  # nanoseconds on a CPU, summed over the threads (finer than the ticks)
    cat /proc/"$program"/task/*/schedstat 2>/dev/null | awk '{n += $1} END {print n}'
}
threads() {  # "<tid> <name> <switches> <ns on a CPU>" per thread
    for task in /proc/"$program"/task/*; do
        { cat "$task/status" "$task/schedstat" 2>/dev/null || true; } | awk -v tid="${task##*/}" '
            /^Name:/ {name = $2}
            /ctxt_switches/ {n += $2}
            NF == 3 && $1 ~ /^[0-9]+$/ {ns = $1}
            END {print tid, name, n, ns}'
    done
}

ticks0=$(ticks)
ns0=$(cputime)
threads | sort -k1,1 >"$work/before"
start=$(date +%s.%N)
sleep "$seconds"
ticks1=$(ticks)
ns1=$(cputime)
threads | sort -k1,1 >"$work/after"
end=$(date +%s.%N)

hz=$(getconf CLK_TCK)
wall=$(awk -v s="$start" -v e="$end" 'BEGIN {print e - s}')
awk -v t0="$ticks0" -v t1="$ticks1" -v hz="$hz" -v wall="$wall" -v n0="$ns0" -v n1="$ns1" 'BEGIN {
    printf "measured: %.1f s of wall time, simulated mouse attached, window shown (offscreen)\n", wall
    printf "cpu: %.4f %% of one core (%d ticks of 1/%d s)\n", (t1 - t0) / hz / wall * 100, t1 - t0, hz
    printf "cpu from schedstat: %.4f %% of one core (%.1f ms)\n", (n1 - n0) / 1e9 / wall * 100, (n1 - n0) / 1e6
}'
join "$work/before" "$work/after" | awk '{print $2, $6 - $3, $7 - $4}' >"$work/delta"
awk -v wall="$wall" '{total += $2} END {printf "wake-ups: %.2f per second (all threads)\n", total / wall}' \
    "$work/delta"
sort -k2,2nr "$work/delta" | head -6 |
    awk -v wall="$wall" '$2 > 0 {printf "  %-16s %8.2f wake-ups/s %8.2f ms on a CPU\n", $1, $2 / wall, $3 / 1e6}'
