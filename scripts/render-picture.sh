#!/usr/bin/env bash
# Makes the README's picture of a converted sample: converts samples/lamp.dff
# with its textures into a scratch folder and has Blender render the OBJ, MTL
# and PNG files there, headless, with Cycles on the CPU.
# Usage: scripts/render-picture.sh [OUT.png]   (default docs/lamp.png)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/lamp.png}
bash scripts/install-deps.sh core
bash scripts/install-deps.sh blender
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target vorlund-obj

scratch=build/picture
rm -rf "$scratch"
mkdir -p "$scratch"
build/release/cli/vorlund-obj -q -o "$scratch" samples/lamp.dff
timeout 600 blender -b --factory-startup --python-exit-code 1 \
  --python scripts/render_picture.py -- "$PWD/$scratch/lamp.png" "$PWD/$scratch/lamp.dff.obj" \
  >"$scratch/blender.log" 2>&1 || { tail -20 "$scratch/blender.log"; exit 1; }
grep -q '^RENDERED ' "$scratch/blender.log"
mkdir -p "$(dirname "$out")"
cp "$scratch/lamp.png" "$out"
echo "$out"
