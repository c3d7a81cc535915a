#!/usr/bin/env bash
# Checks a built pelmor_*.deb: every file a desktop installation needs is in
# it, its dependencies are right, lintian finds no error, and the desktop entry
# and the AppStream metadata validate.
#   scripts/check_package.sh build-package/pelmor_0.1.0_amd64.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deb=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "package: $*" >&2; status=1; }

expected=(
  /usr/bin/pelmor
  /usr/bin/pelmor-faxd
  /usr/lib/systemd/user/pelmor-faxd.service
  /usr/share/applications/pelmor.desktop
  /usr/share/icons/hicolor/scalable/apps/pelmor.svg
  /usr/share/metainfo/jp.pelmor.Pelmor.metainfo.xml
  /usr/share/doc/pelmor/README.md
  /usr/share/doc/pelmor/copyright
  /usr/share/doc/pelmor/changelog.gz
  /usr/share/man/man1/pelmor.1.gz
  /usr/share/man/man1/pelmor-faxd.1.gz
)
# Parts that are built once their folder is in the source tree.
[ -f "$root/jobs/CMakeLists.txt" ] && expected+=(/usr/bin/pelmor-jobs)
[ -f "$root/twaindsm/CMakeLists.txt" ] && expected+=(/usr/lib/pelmor/libpelmortwain.so)
if [ -f "$root/cups/CMakeLists.txt" ]; then
  expected+=(/usr/lib/cups/backend/pelmor)
  for ppd in "$root"/cups/*.ppd; do
    [ -e "$ppd" ] && expected+=("/usr/share/ppd/pelmor/$(basename "$ppd")")
  done
fi

dpkg-deb -x "$deb" "$work/root"
for file in "${expected[@]}"; do
  [ -f "$work/root$file" ] || fail "missing $file"
done
for program in pelmor pelmor-faxd pelmor-jobs; do
  file="$work/root/usr/bin/$program"
  [ -f "$file" ] && { [ -x "$file" ] || fail "$program is not executable"; }
done
grep -qx "ExecStart=/usr/bin/pelmor-faxd --foreground" "$work/root/usr/lib/systemd/user/pelmor-faxd.service" ||
  fail "the systemd unit does not start /usr/bin/pelmor-faxd"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = pelmor ] || fail "package name is $(field Package)"
[[ "$(basename "$deb")" == "pelmor_$(field Version)_$(field Architecture).deb" ]] || fail "file name $(basename "$deb")"
depends=$(field Depends)
for needed in fonts-ipafont-gothic libqt6widgets6 libtiff6 libc6; do
  [[ ", $depends," == *", $needed"[\ ,]* ]] || fail "Depends lacks $needed: $depends"
done
for optional in libreoffice hylafax sane-utils; do
  [[ "$depends" != *"$optional"* ]] || fail "$optional must not be a hard dependency"
  [[ "$(field Recommends) $(field Suggests)" == *"$optional"* ]] || fail "$optional is neither recommended nor suggested"
done

desktop-file-validate "$work/root/usr/share/applications/pelmor.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/jp.pelmor.Pelmor.metainfo.xml" >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log" >&2; fail "appstreamcli validate"; }
lintian --fail-on error "$deb" >&2 || fail "lintian reports errors"

[ $status -eq 0 ] && echo "package: $(basename "$deb") checked (${#expected[@]} files)" >&2
exit $status
