#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one of them for a given time.
#   scripts/fuzz.sh TARGET SECONDS    TARGET: kosinski_decoder_fuzz, optimal_roundtrip_fuzz,
#                                             level_load_fuzz, nemesis_decoder_fuzz
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?target}
seconds=${2:-600}
for package in clang libclang-rt-14-dev cmake; do
    dpkg -s "$package" >/dev/null 2>&1 || { apt-get update -qq && apt-get install -y -qq "$package"; }
done
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVEX_BUILD_FUZZERS=ON -DORVEX_BUILD_GUI=OFF -DORVEX_BUILD_TESTS=OFF -DORVEX_BUILD_BENCHMARKS=OFF
cmake --build build-fuzz -j "$(nproc)" --target "$target" orvex_fuzz_seeds
mkdir -p build-fuzz/corpus build-fuzz/findings
[ -d "build-fuzz/corpus/$target" ] || ./build-fuzz/tests/fuzz/orvex_fuzz_seeds build-fuzz/corpus
max_len=$([ "$target" = optimal_roundtrip_fuzz ] && echo 65536 || echo 8192)
./build-fuzz/tests/fuzz/"$target" -max_total_time="$seconds" -max_len="$max_len" \
    -artifact_prefix=build-fuzz/findings/"$target"- "build-fuzz/corpus/$target"
