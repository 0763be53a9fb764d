#!/usr/bin/env bash
# Builds and runs every test: the optimized build, the sanitizer build, fuzzing,
# the Windows program (cross-built, checked, and tested under Wine), then the
# packages (the .deb installed, run and removed; the Windows zip checked and run).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

for preset in release asan; do
  echo "=== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done

echo "=== fuzzing"
bash scripts/run-fuzz.sh 60

bash scripts/run-windows-tests.sh

echo "=== packages"
bash scripts/make-packages.sh
bash scripts/check-packages.sh
