#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Pelmor needs.
# The package names are kept one per line in scripts/packages/*.txt (comments
# with #). Idempotent and quiet: packages already present are not touched.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

mapfile -t packages < <(cat "$here"/packages/*.txt | sed 's/#.*//' | tr -s ' \t' '\n' | sed '/^$/d' | sort -u)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages (run scripts/install_deps.sh as root): ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
echo "Installing: ${missing[*]}"
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
