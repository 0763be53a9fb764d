#!/usr/bin/env bash
# Speed of whole conversions: generates the large synthetic models (12, 40 and
# 120 MB, one per strategy) into build/bench-models, builds the release preset,
# times every model against the floor of reading it and writing as much text,
# and reports the peak resident size of one conversion of a 120 MB model.
# Usage: scripts/run-benchmarks.sh [REPEATS]   (default 3; the median is shown)
# Not part of the tests: the figures depend on the machine and its load.
set -euo pipefail
cd "$(dirname "$0")/.."
repeats=${1:-3}
models=build/bench-models

bash scripts/install-deps.sh core
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target make_large_model bench_conversion
cli=build/release/cli/vorlund-obj
if [ -f cli/CMakeLists.txt ]; then
  cmake --build --preset release -j "$(nproc)" --target vorlund-obj
fi

# The models are the same for the same seed: made once, kept between runs.
missing=0
for s in go1 go2 go3 go4; do
  for mb in 12 40 120; do
    [ -f "$models/$s-${mb}mb.dff" ] || missing=1
  done
done
if [ "$missing" = 1 ]; then
  echo "=== generating models into $models"
  build/release/tools/make_large_model "$models"
fi

echo "=== conversion against the floor (median of $repeats runs)"
build/release/tools/bench_conversion "$models" "$repeats"

echo "=== peak resident size, one go1 conversion of the 120 MB model"
if [ -x "$cli" ]; then
  measured=("$cli" --button go1 "$models/go1-120mb.dff")
else
  measured=(build/release/tools/bench_conversion --once "$models/go1-120mb.dff" go1)
fi
/usr/bin/time -v "${measured[@]}" 2>"$models/time.txt" >/dev/null
rm -f "$models/go1-120mb.dff.obj"
echo "${measured[*]}"
grep -E "Maximum resident set size|Elapsed \(wall clock\)" "$models/time.txt"
