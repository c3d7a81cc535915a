#!/usr/bin/env bash
# Installs what is missing, builds the programs alone (no tests) for release in
# build-package/, makes the Debian package pelmor_<version>_amd64.deb there and
# checks it (scripts/check_package.sh). Prints the package's path last.
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_deps
build="$root/build-package"
# Hardened as Debian builds its own packages.
hardening="-fstack-protector-strong -D_FORTIFY_SOURCE=2 -Wformat -Werror=format-security"
relro="-Wl,-z,relro -Wl,-z,now"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPELMOR_BUILD_TESTS=OFF -DPELMOR_BUILD_BENCH=OFF \
  -DPELMOR_SANITIZE=OFF -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_C_FLAGS="$hardening" -DCMAKE_CXX_FLAGS="$hardening" \
  -DCMAKE_EXE_LINKER_FLAGS="$relro" -DCMAKE_SHARED_LINKER_FLAGS="$relro" >/dev/null
cmake --build "$build" -j"$jobs"
rm -f "$build"/pelmor_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/pelmor_*_*.deb)
bash "$root/scripts/check_package.sh" "$deb" >&2
echo "$deb"
