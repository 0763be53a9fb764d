#!/usr/bin/env bash
# Fuzzes the texture dictionary reader and the four strategies with libFuzzer under ASan and UBSan.
# Usage: scripts/run-fuzz.sh [seconds]   (default 60). Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/install-deps.sh fuzz

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target fuzz_strategies

# Seeds: the bundled samples, the synthetic models and dictionaries of the test
# builder and, where present, the public corpus. The working corpus grows in build/fuzz.
corpus=build/fuzz/corpus
seeds=build/fuzz/seeds
mkdir -p "$corpus" "$seeds"
cp samples/*.dff "$seeds"/ 2>/dev/null || true
[ -x build/release/tools/make_fuzz_seeds ] && build/release/tools/make_fuzz_seeds "$seeds" >/dev/null
[ -x build/release/tools/make_dictionary_seeds ] && build/release/tools/make_dictionary_seeds "$seeds" >/dev/null
# The glTF test models: BinMesh draw lists that give triangle records their
# materials, sheared and mirrored frames, faces drawn from both sides.
[ -x build/release/tools/make_gltf_models ] && build/release/tools/make_gltf_models "$seeds" >/dev/null
# Skinned characters of every layout: the skin and bone readers and the upright placement.
[ -x build/release/tools/make_characters ] && build/release/tools/make_characters "$seeds" >/dev/null
for f in ../shared/corpus/*.dff ../shared/corpus/*.txd; do [ -f "$f" ] && cp "$f" "$seeds"/; done

echo "=== fuzzing the strategies for ${seconds} s"
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  build/fuzz/tests/fuzz/fuzz_strategies "$corpus" "$seeds" \
    -max_total_time="$seconds" -max_len=65536 -timeout=300 -rss_limit_mb=4096 \
    -artifact_prefix=build/fuzz/ -print_final_stats=1
