#!/usr/bin/env bash
# Installs what is missing, builds and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    out="$PWD/tolmi-q318-screenshot.png"
    echo "No display found: writing a screenshot of the main window to $out instead."
    exec build-release/bin/tolmi-q318 --screenshot "$out"
fi
exec build-release/bin/tolmi-q318
