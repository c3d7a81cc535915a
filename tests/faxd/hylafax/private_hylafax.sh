#!/usr/bin/env bash
# A private HylaFAX instance for tests: its own spool folder, its own hfaxd
# port on 127.0.0.1 and, on request, two iaxmodems that call each other over
# loopback (no PBX), each driven by a faxgetty. Nothing of the machine's own
# HylaFAX set-up is used or changed; every daemon is stopped by its PID.
#
#   private_hylafax.sh start DIR PORT [--owner PID] [--modems UDP_A UDP_B]
#   private_hylafax.sh stop DIR
#
# start writes DIR/instance.env (SPOOL, PORT, MODEM_A, MODEM_B) and exits 0 once
# hfaxd answers and the modems are idle; 77 when HylaFAX is not installed; 1 on
# failure (after stopping what it started). With --owner, a watcher stops the
# instance as soon as process PID is gone, so that a crashed test leaves
# nothing running. stop is idempotent.
set -uo pipefail
source "$(dirname "$0")/../../support/process_alive.sh"

log() { echo "private_hylafax: $*" >&2; }

stop_instance() {
  local dir=$1 pid
  [ -f "$dir/pids" ] || return 0
  # Last started first: faxgetty before its iaxmodem, hfaxd before faxq.
  local pids
  pids=$(tac "$dir/pids")
  rm -f "$dir/pids"
  for pid in $pids; do
    kill -TERM -- "-$pid" 2>/dev/null
    kill -TERM "$pid" 2>/dev/null
  done
  for pid in $pids; do
    for _ in $(seq 1 50); do alive "$pid" || break; sleep 0.1; done
    if alive "$pid"; then
      kill -KILL -- "-$pid" 2>/dev/null
      kill -KILL "$pid" 2>/dev/null
    fi
  done
  return 0
}

# Starts a daemon in a session of its own (so that stop also reaches what it
# forks) and records its PID.
launch() {
  local dir=$1 name=$2
  shift 2
  setsid "$@" </dev/null >"$dir/$name.log" 2>&1 &
  echo $! >>"$dir/pids"
}

# The modems turn fax into audio in real time: on a busy machine a late
# packet breaks the T.30 exchange. Run them, and what talks to them, ahead of
# ordinary work when the system allows it.
launch_timely() {
  local dir=$1 name=$2
  shift 2
  if chrt -f 10 true 2>/dev/null; then
    launch "$dir" "$name" chrt -f 10 "$@"
  elif nice -n -10 true 2>/dev/null; then
    launch "$dir" "$name" nice -n -10 "$@"
  else
    launch "$dir" "$name" "$@"
  fi
}

hfaxd_answers() {
  (
    exec 3<>"/dev/tcp/127.0.0.1/$1" || exit 1
    read -r -t 2 line <&3 || exit 1
    printf 'QUIT\r\n' >&3
    [[ $line == 220* ]]
  ) 2>/dev/null
}

write_modem_configs() {
  local dir=$1 spool=$2 name=$3 port=$4 other=$5
  cat >"$dir/modems/iax$name.cfg" <<CFG
device $dir/modems/tty$name
owner uucp:uucp
mode 660
port $port
refresh 0
server 127.0.0.1:$other
peername pelmor$name
secret none
cidname Pelmor $name
cidnumber 0000000$name
codec slinear
CFG
  # faxgetty names a device outside /dev by its path, "/" turned into "_".
  local devid
  devid=$(echo "$dir/modems/tty$name" | tr / _)
  cat >"$spool/etc/config.$devid" <<CFG
CountryCode:		81
AreaCode:		3
LongDistancePrefix:	0
InternationalPrefix:	010
DialStringRules:	etc/dialrules
FAXNumber:		0000000$name
LocalIdentifier:	"Pelmor $name"
ServerTracing:		0x001
SessionTracing:		0x04F
RecvFileMode:		0644
LogFileMode:		0644
DeviceMode:		0600
RingsBeforeAnswer:	1
SpeakerVolume:		off
TagLineFont:		""
MaxRecvPages:		50
JobReqProto:		5
UUCPLockDir:		$dir/locks
ModemType:		Class1
ModemResetCmds:		"ATH1\nAT+VCID=1"
ModemReadyCmds:		ATH0
Class1AdaptRecvCmd:	AT+FAR=1
Class1TMConnectDelay:	400
CFG
  echo "$devid"
}

start_instance() {
  local dir=$1 port=$2
  shift 2
  local owner="" udpA="" udpB=""
  while [ $# -gt 0 ]; do
    case $1 in
      --owner) owner=$2; shift 2 ;;
      --modems) udpA=$2; udpB=$3; shift 3 ;;
      *) log "unknown option $1"; return 1 ;;
    esac
  done
  local need=(faxq hfaxd)
  [ -n "$udpA" ] && need+=(faxgetty iaxmodem)
  local tool
  for tool in "${need[@]}"; do
    if ! PATH=$PATH:/usr/sbin:/sbin command -v "$tool" >/dev/null; then
      log "$tool is not installed (Debian packages hylafax-server, iaxmodem)"
      return 77
    fi
  done
  if [ ! -d /var/spool/hylafax ] || [ ! -d /etc/hylafax ]; then
    log "no HylaFAX spool layout to copy (/var/spool/hylafax, /etc/hylafax)"
    return 77
  fi
  # faxq starts faxsend set-user-id with its standard descriptors closed; the
  # dynamic loader then opens /dev/full and crashes when that is no device.
  if [ ! -c /dev/full ] || [ ! -c /dev/null ]; then
    log "/dev/full or /dev/null is not a character device: faxsend cannot start"
    return 1
  fi
  export PATH=$PATH:/usr/sbin:/sbin
  mkdir -p "$dir" && dir=$(cd "$dir" && pwd) || return 1
  chmod 755 "$dir"
  # The daemons run as uucp: every folder above the spool must let it through.
  if command -v runuser >/dev/null && ! runuser -u uucp -- test -x "$dir"; then
    log "user uucp cannot reach $dir (a folder above it is closed to others)"
    return 1
  fi
  local spool=$dir/spool
  rm -rf "$spool"
  cp -a /var/spool/hylafax "$spool" || return 1
  cp -a /etc/hylafax/. "$spool/etc/" || return 1
  rm -f "$spool"/FIFO* "$spool"/status/* "$spool"/etc/config.*
  # No mail from a test instance.
  printf '#!/bin/sh\nexit 0\n' >"$spool/bin/notify"
  printf '#!/bin/sh\nexit 0\n' >"$spool/bin/faxrcvd"
  chmod 755 "$spool/bin/notify" "$spool/bin/faxrcvd"
  # Debian's /usr/sbin/faxsend, tiffcheck and the like are wrappers that
  # bind-mount /etc/hylafax over the system spool: call the programs themselves.
  if [ -x /usr/lib/hylafax/bin/faxsend ]; then
    printf 'SendFaxCmd:\t\t/usr/lib/hylafax/bin/faxsend\n' >>"$spool/etc/config"
    sed -i "s#^SBIN=.*#SBIN='/usr/lib/hylafax/bin'#" "$spool/etc/setup.cache"
  fi
  : >"$dir/pids"

  launch_timely "$dir" faxq faxq -D -q "$spool"
  for _ in $(seq 1 50); do [ -p "$spool/FIFO" ] && break; sleep 0.1; done
  launch "$dir" hfaxd hfaxd -d -q "$spool" -l 127.0.0.1 -i "$port"
  local ok=""
  for _ in $(seq 1 100); do
    if hfaxd_answers "$port"; then ok=1; break; fi
    sleep 0.1
  done
  if [ -z "$ok" ]; then
    log "hfaxd did not answer on 127.0.0.1:$port"; cat "$dir/hfaxd.log" >&2
    stop_instance "$dir"; return 1
  fi

  local modemA="" modemB=""
  if [ -n "$udpA" ]; then
    if [ ! -d /etc/iaxmodem ]; then
      log "/etc/iaxmodem is missing (iaxmodem reads its configuration below it)"
      stop_instance "$dir"; return 77
    fi
    mkdir -p "$dir/modems" "$dir/locks"
    chown uucp:uucp "$dir/locks"
    modemA=$(write_modem_configs "$dir" "$spool" A "$udpA" "$udpB")
    modemB=$(write_modem_configs "$dir" "$spool" B "$udpB" "$udpA")
    # iaxmodem reads /etc/iaxmodem/NAME: a relative name reaches our folder.
    launch_timely "$dir" iaxmodemA iaxmodem "../..$dir/modems/iaxA.cfg"
    launch_timely "$dir" iaxmodemB iaxmodem "../..$dir/modems/iaxB.cfg"
    for _ in $(seq 1 50); do
      [ -e "$dir/modems/ttyA" ] && [ -e "$dir/modems/ttyB" ] && break
      sleep 0.1
    done
    launch_timely "$dir" faxgettyA faxgetty -q "$spool" "$dir/modems/ttyA"
    launch_timely "$dir" faxgettyB faxgetty -q "$spool" "$dir/modems/ttyB"
    ok=""
    for _ in $(seq 1 600); do
      if grep -qs "idle" "$spool/status/$modemA" && grep -qs "idle" "$spool/status/$modemB"; then ok=1; break; fi
      sleep 0.1
    done
    if [ -z "$ok" ]; then
      log "the modems did not become ready"
      cat "$dir"/iaxmodem*.log "$spool"/status/* >&2 2>/dev/null
      stop_instance "$dir"; return 1
    fi
  fi

  cat >"$dir/instance.env" <<ENV
SPOOL=$spool
PORT=$port
MODEM_A=$modemA
MODEM_B=$modemB
ENV
  if [ -n "$owner" ]; then
    local self
    self=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/$(basename "${BASH_SOURCE[0]}")
    (
      while alive "$owner" && [ -f "$dir/pids" ]; do sleep 1; done
      bash "$self" stop "$dir"
    ) </dev/null >/dev/null 2>&1 &
  fi
  return 0
}

case ${1:-} in
  start)
    [ $# -ge 3 ] || { log "usage: $0 start DIR PORT [--owner PID] [--modems UDP_A UDP_B]"; exit 2; }
    start_instance "${@:2}"
    ;;
  stop)
    [ $# -eq 2 ] || { log "usage: $0 stop DIR"; exit 2; }
    stop_instance "$2"
    ;;
  *)
    log "usage: $0 start|stop ..."; exit 2 ;;
esac
