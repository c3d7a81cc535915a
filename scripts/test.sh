#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test (widget tests offscreen).
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_deps
build="$root/build-test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DPELMOR_SANITIZE=ON -DPELMOR_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j"$jobs"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs" "$@"
