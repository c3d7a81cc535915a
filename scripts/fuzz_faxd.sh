#!/usr/bin/env bash
# Fuzzes the fax service's readers (BMP, JPEG, PNG, TIFF, text, the office
# formats' signatures) with clang's
# libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer, each for a
# bounded time: FUZZ_SECONDS per reader (default 60). Crashing inputs are kept
# in build-fuzz/<reader>/ and make the script fail.
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_deps
seconds=${FUZZ_SECONDS:-60}
out="$root/build-fuzz"
mkdir -p "$out"
faxd="$root/faxd"
sources=(bmp_reader.cpp jpeg_reader.cpp png_reader.cpp tiff_picture_reader.cpp tiff_file.cpp grey_picture.cpp
         picture_fit.cpp fax_page.cpp text_encoding.cpp text_layout.cpp ../src/automation/office/office_format.cpp)
# The BMP reader is the application's own picture library, without its Qt
# widgets.
image_sources=()
for file in "$root"/src/image/*.cpp; do
  grep -q '#include <Q' "$file" || image_sources+=("$file")
done
image_sources+=("$root"/src/durable/*.cpp)
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I"$faxd" -I"$root/src"
       -DPELMOR_MAX_PICTURE_PIXELS=1000000)
libs=($(pkg-config --libs libtiff-4 libpng libjpeg))

# Seeds: small pictures of every kind the readers take.
seeds="$out/seeds"
if [ ! -d "$seeds" ]; then
  mkdir -p "$seeds"/{bmp,jpeg,png,tiff,text}
  convert -size 23x17 gradient:red-blue "$seeds/colour.ppm"
  convert "$seeds/colour.ppm" -type truecolor "BMP3:$seeds/bmp/24.bmp"
  convert "$seeds/colour.ppm" -colors 16 -type palette "BMP3:$seeds/bmp/4.bmp"
  convert "$seeds/colour.ppm" -colors 200 -type palette "BMP3:$seeds/bmp/8.bmp"
  convert "$seeds/colour.ppm" -monochrome "BMP3:$seeds/bmp/1.bmp"
  convert "$seeds/colour.ppm" -quality 80 "$seeds/jpeg/a.jpg"
  convert "$seeds/colour.ppm" -colorspace gray -interlace plane "$seeds/jpeg/progressive.jpg"
  convert "$seeds/colour.ppm" "$seeds/png/a.png"
  convert "$seeds/colour.ppm" -alpha set -channel A -evaluate set 50% "$seeds/png/alpha.png"
  convert "$seeds/colour.ppm" -monochrome "$seeds/png/mono.png"
  convert "$seeds/colour.ppm" "$seeds/colour.ppm" -compress lzw "$seeds/tiff/two.tif"
  convert "$seeds/colour.ppm" -monochrome -compress group4 "$seeds/tiff/g4.tif"
  printf 'こんにちは、世界。\tタブ\fページ\r\n' > "$seeds/text/utf8.txt"
  printf '\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\n' > "$seeds/text/sjis.txt"
  printf '\xa4\xb3\xa4\xf3\xa4\xcb\xa4\xc1\xa4\xcf\n' > "$seeds/text/euc.txt"
  printf '\xff\xfe\x53\x30\x93\x30' > "$seeds/text/utf16.txt"
  rm "$seeds/colour.ppm"
fi

if [ ! -d "$seeds/office" ]; then
  mkdir -p "$seeds/office"
  (cd "$seeds/office" && python3 -c '
import zipfile
with zipfile.ZipFile("a.docx", "w") as z:
    z.writestr("[Content_Types].xml", "<Types/>"); z.writestr("word/document.xml", "<w:document/>")
with zipfile.ZipFile("a.odt", "w") as z:
    z.writestr("mimetype", "application/vnd.oasis.opendocument.text"); z.writestr("content.xml", "<x/>")
')
  printf '\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1' > "$seeds/office/ole.doc"
fi

status=0
number=1
for reader in bmp jpeg png tiff text office; do
  binary="$out/fuzz_$reader"
  clang++ "${flags[@]}" -DFUZZ_READER=$number "$root/tests/faxd/fuzz/reader_fuzzer.cpp" \
    "${sources[@]/#/$faxd/}" ${image_sources[@]} "${libs[@]}" -o "$binary"
  echo "== fuzzing the $reader reader for $seconds s"
  run_fuzzer "$reader" "$out/$reader" "$binary" 65536 "$seeds/$reader" || status=1
  number=$((number + 1))
done
exit $status
