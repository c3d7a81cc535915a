#!/bin/bash
# Drives the real window on a private Xvfb display, in a fresh folder with no
# settings file: opens "画像送信時の設定", then drops an A4 landscape photograph
# (3508 × 2480 JPEG) on the drop screen, releases the threshold slider and
# presses "OK(送信)". The picture goes to a private pelmor-faxd on its
# simulated line. Screenshots and tmp0.bmp are kept in the output folder.
#
#   scripts/try_picture_preview.sh BUILD_BIN_DIR OUTPUT_DIR
#
# Needs xvfb-run, xdotool and ImageMagick; BUILD_BIN_DIR holds pelmor,
# pelmor-faxd and pelmor_drag_source (built with -DPELMOR_BUILD_TESTS=ON).
set -eu
bin=$(cd "$1" && pwd)
out=$(mkdir -p "$2" && cd "$2" && pwd)

if [ -z "${PELMOR_INSIDE_XVFB:-}" ]; then
  PELMOR_INSIDE_XVFB=1 exec timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d)
app="$work/app"
mkdir -p "$app" "$work/run" "$work/data"
chmod 700 "$work/run"
cp "$bin/pelmor" "$bin/pelmor-faxd" "$app/"
export XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/data" ASAN_OPTIONS=detect_leaks=0
convert -size 3508x2480 gradient:'#d08040-#2050a0' -attenuate 0.4 +noise Gaussian \
  -fill '#202020' -draw 'circle 1750,1240 1750,600' -quality 90 "$work/photo.jpg"

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  local faxd
  faxd=$(pgrep -f "^$app/pelmor-faxd" || true)
  [ -n "$faxd" ] && kill $faxd 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$app/pelmor" > "$out/pelmor.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdotool search --name '^Pelmor$' > /dev/null 2>&1 && break; sleep 0.2; done
sleep 1
read -r wx wy < <(xdotool search --name '^Pelmor$' getwindowgeometry | awk '/Position/ {split($2, p, ","); print p[1], p[2]}')
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click 1; sleep "${3:-0.5}"; }

click 44 299                       # "画像送信時の設定"
import -window root "$out/settings.png"
click 209 24                       # "Cancel"

click 20 22                        # the direct-entry field
xdotool type --delay 50 0612345678
click 112 23                       # "OK": the drop screen

pelmor_drag=("$bin/pelmor_drag_source" "$work/photo.jpg")
"${pelmor_drag[@]}" > /dev/null 2>&1 &
pids+=($!)
sleep 1
xdotool mousemove 80 610 mousedown 1
for step in 1 2 3 4 5 6 7 8; do
  xdotool mousemove $((80 + (wx + 200 - 80) * step / 8)) $((610 + (wy + 200 - 610) * step / 8)); sleep 0.1
done
xdotool mouseup 1
sleep 4
read -r wx wy ww < <(xdotool search --name '^Pelmor$' getwindowgeometry |
  awk '/Position/ {split($2, p, ","); x = p[1]; y = p[2]} /Geometry/ {split($2, g, "x"); print x, y, g[1]}')
echo "window after the drop: at $wx,$wy, $ww wide" | tee "$out/result.txt"
import -window root "$out/preview.png"

click 240 41 2                     # a press and release on the slider's thumb
import -window root "$out/thresholded.png"
click 561 13 6                     # "OK(送信)"
import -window root "$out/sent.png"

cp "$app/tmp0.bmp" "$out/tmp0.bmp" 2>/dev/null || echo "no tmp0.bmp written" | tee -a "$out/result.txt"
identify -format 'tmp0.bmp: %w x %h, %z-bit %[type]\n' "$out/tmp0.bmp" 2>/dev/null | tee -a "$out/result.txt" || true
jobs=$(find "$work/data/pelmor-faxd" -type f 2>/dev/null | sed "s|$work/data/||" | sort)
printf 'fax service files:\n%s\n' "$jobs" | tee -a "$out/result.txt"
