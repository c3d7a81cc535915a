#!/usr/bin/env bash
# Installs what is missing, builds Pelmor and starts it. The fax service
# pelmor-faxd is built beside it and started by the application when needed.
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_deps
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELMOR_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build" -j"$jobs"
exec "$root/build/bin/pelmor" "$@"
