#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs every test (widget tests offscreen), then
# builds and checks the Debian package (scripts/package.sh; skipped with
# PELMOR_SKIP_PACKAGE=1).
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_deps
build="$root/build-test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DPELMOR_SANITIZE=ON -DPELMOR_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j"$jobs"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs" "$@")
if [ "${PELMOR_SKIP_PACKAGE:-0}" != 1 ]; then
  echo "== Debian package"
  bash "$root/scripts/package.sh"
fi
