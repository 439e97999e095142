#!/usr/bin/env bash
# Start-up time from process start to the main window mapped on a real X server
# (Xvfb), and resident memory 5 s later; medians of several runs.
# Usage: bench/startup.sh [runs]   (builds build-release first)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}
scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release --target tolmi-q318 runtime_files >/dev/null
program=build-release/bin/tolmi-q318

work=$(mktemp -d)
trap 'kill "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 0.5

export DISPLAY=$display QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

times=() rss=()
for _ in $(seq "$runs"); do
    # The program prints "mapped <ms>" on stderr when its window is first exposed,
    # counting from the launch time given here.
    TOLMI_STARTUP_PROBE=$(date +%s%N) "$program" 2>"$work/err" &
    pid=$!
    sleep 5
    rss+=("$(awk '/VmRSS/ {print $2}' /proc/$pid/status)")
    kill "$pid"; wait "$pid" 2>/dev/null || true
    times+=("$(awk '/^mapped/ {print $2}' "$work/err")")
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
echo "runs: $runs"
echo "start to mapped window: median $(median "${times[@]}") ms   (all: ${times[*]})"
echo "resident memory 5 s later: median $(( $(median "${rss[@]}" | cut -d. -f1) / 1024 )) MiB   (all KiB: ${rss[*]})"
