# Shared by the README commands: install what is missing, then configure.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

install_deps() {
  if [ "$(id -u)" -eq 0 ]; then
    bash "$root/scripts/install_deps.sh"
  elif ! bash "$root/scripts/install_deps.sh" 2>/dev/null; then
    sudo bash "$root/scripts/install_deps.sh"
  fi
}

jobs=$(nproc 2>/dev/null || echo 2)

# run_fuzzer NAME DIR BINARY MAX_LEN SEEDS: runs a libFuzzer binary in DIR for
# $seconds on DIR/corpus and SEEDS; fails where it fails or leaves a crashing,
# leaking or hanging input in DIR.
run_fuzzer() {
  local name=$1 dir=$2 binary=$3 max_len=$4 seeds=$5 failed=0
  mkdir -p "$dir/corpus"
  if ! (cd "$dir" && "$binary" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 corpus "$seeds" 2>&1 | tail -n 12); then
    failed=1
  fi
  if compgen -G "$dir/crash-*" >/dev/null || compgen -G "$dir/leak-*" >/dev/null || compgen -G "$dir/timeout-*" >/dev/null; then
    echo "!! $name: failing inputs kept in $dir" >&2
    failed=1
  fi
  return $failed
}
