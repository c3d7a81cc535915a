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
