#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program together with a simulated
# mouse, so that it can be tried without the hardware. `./run.sh --no-sim` starts the
# program alone (for a real device). Stopping the program stops the simulator.
set -euo pipefail
cd "$(dirname "$0")"
with_sim=1
[ "${1:-}" = "--no-sim" ] && with_sim=0
scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release --target tolmi-q318 tolmi-q318-sim tolmi-q318-ctl tolmi-q318-msg runtime_files
bin=build-release/bin

sim=""
stop_sim() { [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null; true; }
trap stop_sim EXIT
if [ "$with_sim" = 1 ]; then
    "$bin/tolmi-q318-sim" mouse &
    sim=$!
    sleep 0.3  # the simulator is plugged in once its interface files exist
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    out="$PWD/tolmi-q318-screenshot.png"
    echo "No display found: writing a screenshot of the main window to $out instead."
    "$bin/tolmi-q318" --screenshot "$out"
    exit $?
fi
"$bin/tolmi-q318"
