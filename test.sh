#!/usr/bin/env bash
# Installs what is missing, builds with sanitizers and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLMI_SANITIZE=ON >/dev/null
# Test discovery runs the test programs during the build; none needs a display.
export QT_QPA_PLATFORM=offscreen
cmake --build build
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build --output-on-failure -j2 "$@"
