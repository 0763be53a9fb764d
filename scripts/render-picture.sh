#!/usr/bin/env bash
# Makes the README's pictures: converts samples/lamp.dff with its textures
# into a scratch folder and has Blender render the OBJ, MTL and PNG files
# there, headless, with Cycles on the CPU; with --gltf, the glb files of the
# lamp and of the character sample (when there is one) instead; with --city, a
# generated city of 300 models placed 800 times, through --map; with
# --collision, the public corpus's monkey model beside its collision file
# (the collision's colours are its surface groups).
# Usage: scripts/render-picture.sh [--gltf|--city|--collision] [OUT.png]
#   (default docs/lamp.png, docs/gltf.png, docs/city.png, docs/collision.png)
set -euo pipefail
cd "$(dirname "$0")/.."
gltf=0
city=0
if [ "${1:-}" = --gltf ]; then gltf=1; shift; fi
if [ "${1:-}" = --city ]; then city=1; shift; fi
collision=0
if [ "${1:-}" = --collision ]; then collision=1; shift; fi
out=${1:-docs/lamp.png}
[ "$gltf" = 1 ] && out=${1:-docs/gltf.png}
[ "$city" = 1 ] && out=${1:-docs/city.png}
[ "$collision" = 1 ] && out=${1:-docs/collision.png}
bash scripts/install-deps.sh core
bash scripts/install-deps.sh blender
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target vorlund-obj make_city

scratch=build/picture
rm -rf "$scratch"
mkdir -p "$scratch"
files=()
if [ "$gltf" = 1 ]; then
  models=()
  for model in samples/character.dff samples/lamp.dff; do [ -f "$model" ] && models+=("$model"); done
  build/release/cli/vorlund-obj -q -b structure -f glb -o "$scratch" "${models[@]}"
  for model in "${models[@]}"; do files+=("$PWD/$scratch/$(basename "$model").glb"); done
elif [ "$collision" = 1 ]; then
  corpus=../shared/corpus
  build/release/cli/vorlund-obj -q -o "$scratch" "$corpus/monkey.dff" "$corpus/collision/monkey-3.col"
  files=("$PWD/$scratch/monkey.dff.obj" "$PWD/$scratch/monkey-3.col.obj")
elif [ "$city" = 1 ]; then
  build/release/tools/make_city "$scratch/city" 300 800 >/dev/null
  build/release/cli/vorlund-obj -q --map "$scratch"/city/maps/*.ipl --ide "$scratch/city/city.ide" \
    -o "$scratch" "$scratch/city/models"
  files=("$PWD/$scratch/map.obj")
else
  build/release/cli/vorlund-obj -q -o "$scratch" samples/lamp.dff
  files=("$PWD/$scratch/lamp.dff.obj")
fi
timeout 900 blender -b --factory-startup --python-exit-code 1 \
  --python scripts/render_picture.py -- "$PWD/$scratch/picture.png" "${files[@]}" \
  >"$scratch/blender.log" 2>&1 || { tail -20 "$scratch/blender.log"; exit 1; }
grep -q '^RENDERED ' "$scratch/blender.log"
mkdir -p "$(dirname "$out")"
cp "$scratch/picture.png" "$out"
echo "$out"
