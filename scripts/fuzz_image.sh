#!/usr/bin/env bash
# Fuzzes the BMP reader and the JPEG path with libFuzzer (clang, from Debian)
# for a bounded time each, starting from pictures made by ImageMagick and by
# our own writer.
#
#   scripts/fuzz_image.sh [seconds per reader, default 60]
#
# Inputs that crash, leak or hang are left in build-fuzz/findings/; once the
# fault is mended, copy them to tests/image/fuzz/cases/, where the image tests
# read every file with both readers.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
out="$root/build-fuzz"
mkdir -p "$out/findings"

sources=(bitmap.cpp bitmap_draw.cpp bmp_reader.cpp color.cpp color_tables.cpp jpeg_reader.cpp
         picture_file.cpp pixel_buffer.cpp pixel_rows.cpp two_colors.cpp bmp_writer.cpp)
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -I"$root/src")

for reader in bmp jpeg; do
  echo "building the $reader fuzzer"
  clang++ "${flags[@]}" "$root/tests/image/fuzz/${reader}_fuzz.cpp" \
    "${sources[@]/#/$root/src/image/}" -ljpeg -o "$out/${reader}_fuzz"
done

# Seeds: every BMP flavour and JPEG kind we read.
seeds="$out/seeds"
mkdir -p "$seeds/bmp" "$seeds/jpeg"
convert=$(command -v convert-im6.q16 || command -v convert)
"$convert" rose: -resize 40x27! "$seeds/photo.png"
i=0
for options in "BMP3:" "BMP:" "BMP2:" "-colors 16 -type Palette BMP3:" "-colors 60 -compress RLE BMP3:" \
               "-monochrome BMP3:" "-define bmp:subtype=RGB565 BMP:" "-alpha set BMP:"; do
  "$convert" "$seeds/photo.png" ${options% *} "${options##* }$seeds/bmp/seed$i.bmp" 2>/dev/null || true
  i=$((i + 1))
done
for options in "-quality 80" "-interlace Plane" "-colorspace Gray" "-colorspace CMYK" "-sampling-factor 1x1"; do
  "$convert" "$seeds/photo.png" $options "$seeds/jpeg/seed$i.jpg" 2>/dev/null || true
  i=$((i + 1))
done
cp "$root"/tests/image/fuzz/cases/* "$seeds/bmp/" 2>/dev/null || true
cp "$root"/tests/image/fuzz/cases/* "$seeds/jpeg/" 2>/dev/null || true

status=0
for reader in bmp jpeg; do
  echo "fuzzing the $reader reader for $seconds s"
  mkdir -p "$out/corpus/$reader"
  (cd "$out/findings" &&
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$out/${reader}_fuzz" "$out/corpus/$reader" "$seeds/$reader" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -print_final_stats=1 2>&1 | tail -n 20) || status=1
done
ls "$out/findings" | grep -E '^(crash|leak|timeout|oom)-' && status=1
exit $status
