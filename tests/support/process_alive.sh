# Sourced by the scripts that run private daemons for tests.

# alive PID: true while the process runs; a zombie is as good as gone.
alive() {
  local state
  state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}
