#!/usr/bin/env bash
# Makes the README's pictures: converts samples/lamp.dff with its textures
# (or, with --city, a generated city of 300 models placed 800 times, through
# --map) into a scratch folder and has Blender render the OBJ, MTL and PNG
# files there, headless, with Cycles on the CPU.
# Usage: scripts/render-picture.sh [--city] [OUT.png]   (default docs/lamp.png, docs/city.png)
set -euo pipefail
cd "$(dirname "$0")/.."
city=0
if [ "${1:-}" = --city ]; then
  city=1
  shift
fi
out=${1:-docs/$([ $city = 1 ] && echo city || echo lamp).png}
bash scripts/install-deps.sh core
bash scripts/install-deps.sh blender
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target vorlund-obj make_city

scratch=build/picture
rm -rf "$scratch"
mkdir -p "$scratch"
if [ $city = 1 ]; then
  build/release/tools/make_city "$scratch/city" 300 800 >/dev/null
  build/release/cli/vorlund-obj -q --map "$scratch"/city/maps/*.ipl --ide "$scratch/city/city.ide" \
    -o "$scratch" "$scratch/city/models"
  obj=$scratch/map.obj
else
  build/release/cli/vorlund-obj -q -o "$scratch" samples/lamp.dff
  obj=$scratch/lamp.dff.obj
fi
timeout 900 blender -b --factory-startup --python-exit-code 1 \
  --python scripts/render_picture.py -- "$PWD/$scratch/picture.png" "$PWD/$obj" \
  >"$scratch/blender.log" 2>&1 || { tail -20 "$scratch/blender.log"; exit 1; }
grep -q '^RENDERED ' "$scratch/blender.log"
mkdir -p "$(dirname "$out")"
cp "$scratch/picture.png" "$out"
echo "$out"
