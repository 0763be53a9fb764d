#!/usr/bin/env bash
# Sets up, builds the converter and converts the bundled sample models; then
# tells where each OBJ file went and what it holds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh core
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

status=0
build/release/cli/vorlund-obj samples || status=$?
echo
for model in samples/*.dff; do
  obj=$model.obj
  if [ ! -f "$obj" ]; then
    echo "$PWD/$model: no OBJ file written"
    continue
  fi
  groups=$(grep -c '^g ' "$obj" || true)
  vertices=$(grep -c '^v ' "$obj" || true)
  faces=$(grep -c '^f ' "$obj" || true)
  echo "$PWD/$obj: $groups groups, $vertices vertices, $faces faces"
done
exit "$status"
