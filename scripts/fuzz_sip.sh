#!/usr/bin/env bash
# Fuzzes the SIP line's parsers (UDPTL, RTP, SDP) with clang's libFuzzer under
# AddressSanitizer and UndefinedBehaviorSanitizer, each for FUZZ_SECONDS
# (default 60). Crashing inputs are kept in build-fuzz/sip-<parser>/ and make
# the script fail.
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_deps
seconds=${FUZZ_SECONDS:-60}
out="$root/build-fuzz"
sip="$root/faxd/sip"
mkdir -p "$out"
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I"$sip"
       $(pkg-config --cflags spandsp))
libs=($(pkg-config --libs spandsp))

# Seeds: a datagram with redundancy, one with FEC, an RTP packet, an offer.
seeds="$out/sip-seeds"
if [ ! -d "$seeds" ]; then
  mkdir -p "$seeds"/{udptl,rtp,sdp}
  printf '\x0c\x00\x05\x03\x00\x01\x00\x01\x02\x01\x00' > "$seeds/udptl/redundancy"
  printf '\x0d\x00\x07\x02\x00\x01\x80\x01\x03\x01\x02\x05\x05' > "$seeds/udptl/fec"
  printf '\x0e\x80\x00\x00\x01\x00\x00\x00\xa0\x12\x34\x56\x78\xff\x7f' > "$seeds/rtp/pcmu"
  printf 'v=0\r\no=- 1 1 IN IP4 192.0.2.1\r\ns=-\r\nc=IN IP4 192.0.2.1\r\nt=0 0\r\nm=audio 4000 RTP/AVP 0 8\r\nm=image 4002 udptl t38\r\na=T38FaxVersion:0\r\na=T38MaxBitRate:14400\r\na=T38FaxUdpEC:t38UDPRedundancy\r\n' > "$seeds/sdp/offer"
fi

status=0
number=1
for parser in udptl rtp sdp; do
  binary="$out/fuzz_sip_$parser"
  clang++ "${flags[@]}" -DFUZZ_PARSER=$number "$root/tests/faxd/fuzz/sip_fuzzer.cpp" \
    "$sip/udptl.cpp" "$sip/rtp.cpp" "$sip/sdp.cpp" "${libs[@]}" -o "$binary"
  echo "== fuzzing the $parser parser for $seconds s"
  run_fuzzer "$parser" "$out/sip-$parser" "$binary" 4096 "$seeds/$parser" || status=1
  number=$((number + 1))
done
exit $status
