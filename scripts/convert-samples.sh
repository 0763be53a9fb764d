#!/usr/bin/env bash
# Sets up, builds the converter and converts the bundled sample models; then
# tells where each OBJ file went and what it holds, with its materials and
# textures where the model has them. Exits non-zero when a sample does not
# convert.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh core
cmake --preset release >/dev/null
# Only the converter: the tests and tools are built by scripts/run-tests.sh.
cmake --build --preset release -j "$(nproc)" --target vorlund-obj

status=0
build/release/cli/vorlund-obj samples || status=$?
echo
for model in samples/*.dff; do
  obj=$model.obj
  if [ ! -f "$obj" ]; then
    echo "$PWD/$model: no OBJ file written"
    status=1
    continue
  fi
  groups=$(grep -c '^g ' "$obj" || true)
  objects=$(grep -c '^o ' "$obj" || true)
  vertices=$(grep -c '^v ' "$obj" || true)
  faces=$(grep -c '^f ' "$obj" || true)
  parts="$groups groups"
  [ "$objects" -gt 0 ] && parts="$objects objects"
  echo "$PWD/$obj: $parts, $vertices vertices, $faces faces"
  # structure's materials and the textures they name, written beside the OBJ file.
  mtl=${obj%.obj}.mtl
  if [ -f "$mtl" ]; then
    materials=$(grep -c '^newmtl ' "$mtl" || true)
    # An MTL file without textures is fine: grep finding nothing must not end the run.
    textures=$({ grep -E '^map_(Kd|d) ' "$mtl" || true; } | cut -d' ' -f2- | sort -u | while read -r png; do
      if [ -f "samples/$png" ]; then printf ' %s' "$png"; fi; done)
    echo "$PWD/$mtl: $materials materials; textures written:${textures:- none}"
  fi
done
exit "$status"
