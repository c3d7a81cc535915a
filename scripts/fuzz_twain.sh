#!/usr/bin/env bash
# Fuzzes the scanner memory transfer with libFuzzer (clang, from Debian) for a
# bounded time: a scripted source describes its page and delivers strips,
# all taken from the fuzzer's input.
#
#   scripts/fuzz_twain.sh [seconds, default 60]
#
# Inputs that crash, leak or hang are left in build-fuzz/findings/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
out="$root/build-fuzz"
mkdir -p "$out/findings" "$out/corpus/strips"

image=(bitmap.cpp bitmap_draw.cpp bmp_reader.cpp bmp_writer.cpp color.cpp color_tables.cpp picture_file.cpp pixel_buffer.cpp
       pixel_rows.cpp two_colors.cpp)
platform=(dib_section.cpp global_memory.cpp library_loader.cpp message_window.cpp)
twain=(twain_host.cpp twain_identity.cpp twain_source.cpp twain_transfer.cpp)
flags=(-std=c++20 -O1 -g -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -I"$root/src" $(pkg-config --cflags Qt6Core))

echo "building the strip fuzzer"
clang++ "${flags[@]}" "$root/tests/twain/fuzz/strip_fuzz.cpp" \
  "${image[@]/#/$root/src/image/}" "${platform[@]/#/$root/src/platform/}" "${twain[@]/#/$root/src/twain/}" \
  $(pkg-config --libs Qt6Core) -ldl -o "$out/strip_fuzz"

echo "fuzzing the memory transfer for $seconds s"
status=0
(cd "$out/findings" &&
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  LSAN_OPTIONS=suppressions="$root/tests/lsan.supp":print_suppressions=0 \
  "$out/strip_fuzz" "$out/corpus/strips" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -print_final_stats=1 2>&1 | tail -n 20) || status=1
ls "$out/findings" | grep -E '^(crash|leak|timeout|oom)-' && status=1
exit $status
