#!/usr/bin/env bash
# A private cupsd for tests: its own ServerRoot, spool, logs and ServerBin (our
# backend beside the system's filters), listening only on a Unix socket in
# DIR. The machine's own CUPS configuration and service are neither read nor
# changed; the daemon is stopped by its PID.
#
#   private_cupsd.sh start DIR [--owner PID] [--setenv NAME VALUE]...
#   private_cupsd.sh stop DIR
#
# start exits 0 once the scheduler answers on DIR/cups.sock; 77 when cupsd is
# not installed; 1 on failure (after stopping what it started). --setenv
# passes a variable to filters and backends. With --owner, a watcher stops the
# daemon as soon as process PID is gone. stop is idempotent.
set -uo pipefail
source "$(dirname "$0")/../support/process_alive.sh"

log() { echo "private_cupsd: $*" >&2; }

stop_instance() {
  local dir=$1 pid
  [ -f "$dir/cupsd.pid" ] || return 0
  pid=$(cat "$dir/cupsd.pid")
  rm -f "$dir/cupsd.pid"
  kill -TERM "$pid" 2>/dev/null
  for _ in $(seq 1 50); do alive "$pid" || return 0; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null
  return 0
}

cmd=${1:-}
dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || { log "usage: $0 start|stop DIR ..."; exit 2; }
shift 2

if [ "$cmd" = stop ]; then
  stop_instance "$dir"
  exit 0
fi
[ "$cmd" = start ] || { log "unknown command $cmd"; exit 2; }

cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
system_bin=/usr/lib/cups
[ -x "$cupsd" ] && [ -d "$system_bin/filter" ] || { log "cupsd is not installed"; exit 77; }

owner=
setenv=()
while [ $# -gt 0 ]; do
  case $1 in
    --owner) owner=$2; shift 2 ;;
    --setenv) setenv+=("SetEnv $2 $3"); shift 3 ;;
    *) log "unknown option $1"; exit 2 ;;
  esac
done

mkdir -p "$dir"/{etc/ppd,bin/backend,spool/tmp,cache,run,log} || exit 1
# Filters run as lp: they must reach the spool below DIR.
chmod 0755 "$dir" "$dir/spool"
for sub in filter cgi-bin daemon driver monitor notifier; do
  [ -e "$system_bin/$sub" ] && ln -sfn "$system_bin/$sub" "$dir/bin/$sub"
done

cat >"$dir/etc/cups-files.conf" <<CONF
ServerRoot $dir/etc
ServerBin $dir/bin
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/run
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/run/printcap
SystemGroup root
$(printf '%s\n' "${setenv[@]}")
CONF
cat >"$dir/etc/cupsd.conf" <<CONF
LogLevel info
Listen $dir/cups.sock
Browsing No
WebInterface No
DefaultAuthType None
JobRetryLimit 0
PreserveJobFiles No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF

setsid "$cupsd" -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" </dev/null >"$dir/log/cupsd.out" 2>&1 &
echo $! >"$dir/cupsd.pid"

for _ in $(seq 1 100); do
  if CUPS_SERVER="$dir/cups.sock" lpstat -r 2>/dev/null | grep -q "is running"; then
    if [ -n "$owner" ]; then
      pid=$(cat "$dir/cupsd.pid")
      setsid bash -c "while kill -0 $owner 2>/dev/null && kill -0 $pid 2>/dev/null; do sleep 1; done; kill -TERM $pid 2>/dev/null" \
        </dev/null >/dev/null 2>&1 &
    fi
    exit 0
  fi
  alive "$(cat "$dir/cupsd.pid")" || break
  sleep 0.1
done
log "cupsd did not start:"
cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null
stop_instance "$dir"
exit 1
