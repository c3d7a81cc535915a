#!/usr/bin/env bash
# Tries a built package on a clean Debian 12: makes a minimal Debian 12 root
# with debootstrap in ROOT (kept, and reused when it is there already), installs
# the package into it with apt and its dependencies from Debian's mirror, then,
# as an ordinary user of that root, runs `pelmor-faxd --help` and starts
# `pelmor` on a private X server (Xvfb) to see that its window opens and that
# its files go to ~/.local/share/pelmor. A screenshot is left in ROOT/tmp/pelmor.png.
# Needs root (debootstrap, chroot); nothing of the machine itself is touched.
#
#   scripts/try_package_clean_root.sh build-package/pelmor_0.1.0_amd64.deb /tmp/pelmor-root
set -euo pipefail
deb=$(realpath "$1")
target=${2:-/tmp/pelmor-root}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
[ "$(id -u)" -eq 0 ] || { echo "run as root" >&2; exit 1; }
command -v debootstrap >/dev/null ||
  apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends debootstrap >/dev/null

if [ ! -f "$target/etc/debian_version" ]; then
  echo "== debootstrap bookworm into $target"
  debootstrap --variant=minbase bookworm "$target" "$mirror" >"$target.debootstrap.log" 2>&1 ||
    { tail "$target.debootstrap.log" >&2; exit 1; }
fi
# No service of the root starts while packages are installed.
printf '#!/bin/sh\nexit 101\n' >"$target/usr/sbin/policy-rc.d"
chmod +x "$target/usr/sbin/policy-rc.d"
cp /etc/resolv.conf "$target/etc/resolv.conf"
mountpoint -q "$target/proc" || { mount -t proc proc "$target/proc"; trap 'umount "$target/proc"' EXIT; }
cp "$deb" "$target/tmp/"
in_root() { chroot "$target" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }

echo "== apt install ./$(basename "$deb")"
in_root apt-get update -qq
in_root bash -c "cd /tmp && apt-get install -y -q ./$(basename "$deb")" >"$target/tmp/apt-install.log" 2>&1 ||
  { tail -20 "$target/tmp/apt-install.log" >&2; exit 1; }
grep "newly installed" "$target/tmp/apt-install.log" | sed 's/^/   /'
# Only for looking at the window: a private X server and its tools.
in_root apt-get install -y -qq --no-install-recommends xvfb x11-utils x11-apps imagemagick >/dev/null 2>&1
in_root id tanaka >/dev/null 2>&1 || in_root useradd -m -s /bin/bash tanaka

cat >"$target/tmp/try_pelmor.sh" <<'EOF'
#!/bin/bash
# Runs as the user inside the root; every process it starts is stopped by its PID.
set -u
cd ~
echo "== pelmor-faxd --help"
pelmor-faxd --help | head -3 || exit 1
echo "== pelmor on Xvfb"
Xvfb :7 -screen 0 1024x768x24 -nolisten tcp >/tmp/xvfb.log 2>&1 &
xvfb=$!
sleep 2
DISPLAY=:7 pelmor >/tmp/pelmor.log 2>&1 &
pelmor=$!
status=1
for _ in $(seq 30); do
  if DISPLAY=:7 xwininfo -root -tree 2>/dev/null | grep -q '"Pelmor"'; then status=0; break; fi
  sleep 1
done
sleep 1
DISPLAY=:7 import -window root /tmp/pelmor.png 2>/dev/null
kill "$pelmor" 2>/dev/null; wait "$pelmor" 2>/dev/null
kill "$xvfb"; wait "$xvfb" 2>/dev/null
[ $status -eq 0 ] && echo "   the window \"Pelmor\" opened" || { echo "   no Pelmor window"; cat /tmp/pelmor.log; }
echo "   ~/.local/share/pelmor holds: $(ls ~/.local/share/pelmor 2>/dev/null | tr '\n' ' ')"
[ -f ~/.local/share/pelmor/faxnum ] || status=1
exit $status
EOF
chmod +x "$target/tmp/try_pelmor.sh"
in_root su - tanaka -c "timeout 120 /tmp/try_pelmor.sh"
echo "== done: screenshot in $target/tmp/pelmor.png"
