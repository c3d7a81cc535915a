#!/usr/bin/env bash
# Adds the "Pelmor_FAX" printer: installs the backend as <ServerBin>/backend/pelmor
# (owned by root, mode 0700, so that CUPS runs it as root and it can write
# each document as the user who printed it) and adds the queue with its PPD.
# Running it again brings both up to date; --remove takes them away again.
#
#   scripts/add_fax_printer.sh [--backend FILE] [--remove]
#
# FILE defaults to build/bin/pelmor-backend (built by scripts/run.sh). The CUPS
# server is the usual one, or the one CUPS_SERVER names; the backend folder is
# the one `cups-config --serverbin` reports, or PELMOR_CUPS_SERVERBIN.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
queue=Pelmor_FAX
backend="$root/build/bin/pelmor-backend"
remove=false
while [ $# -gt 0 ]; do
  case $1 in
    --backend) backend=$2; shift 2 ;;
    --remove) remove=true; shift ;;
    *) echo "usage: $0 [--backend FILE] [--remove]" >&2; exit 2 ;;
  esac
done

if [ "$(id -u)" -ne 0 ]; then
  exec sudo --preserve-env=CUPS_SERVER,PELMOR_CUPS_SERVERBIN bash "$0" --backend "$backend" $($remove && echo --remove)
fi

serverbin=${PELMOR_CUPS_SERVERBIN:-$(cups-config --serverbin 2>/dev/null || echo /usr/lib/cups)}
installed="$serverbin/backend/pelmor"

if $remove; then
  if lpstat -p "$queue" >/dev/null 2>&1; then
    lpadmin -x "$queue"
    echo "Removed the printer $queue."
  fi
  rm -f "$installed"
  exit 0
fi

[ -x "$backend" ] || { echo "No backend at $backend: build Pelmor first (scripts/run.sh)." >&2; exit 1; }
install -D -o root -g root -m 0700 "$backend" "$installed"
lpadmin -p "$queue" -E -v pelmor:/ -P "$root/cups/pelmor_fax.ppd" \
  -D "Pelmor FAX" -L "Pelmor" -o printer-error-policy=abort-job 2>&1 | grep -v "deprecated" >&2 || true
lpstat -p "$queue" >/dev/null
echo "The printer $queue is ready: print to it and the document waits in Pelmor for a destination."
