#!/usr/bin/env bash
# Makes the README's pictures: converts samples/lamp.dff with its textures
# into a scratch folder and has Blender render the OBJ, MTL and PNG files
# there, headless, with Cycles on the CPU; with --gltf, the glb files of the
# lamp and of the character sample (when there is one) instead; with --city, a
# generated city of 300 models placed 800 times, through --map; with
# --collision, the public corpus's monkey model beside its collision file
# (the collision's colours are its surface groups).
# With --walk, three moments of the character sample's walk from its glb;
# with --night, the lamp sample's glb lit by its own light at night; with
# --vehicle, a generated car with every stored part and as the game draws it.
# Usage: scripts/render-picture.sh [--gltf|--city|--collision|--walk|--night|--vehicle] [OUT.png]
#   (default docs/lamp.png, or docs/MODE.png)
set -euo pipefail
cd "$(dirname "$0")/.."
mode=lamp
case "${1:-}" in
  --gltf|--city|--collision|--walk|--night|--vehicle) mode=${1#--}; shift ;;
esac
out=${1:-docs/$mode.png}
bash scripts/install-deps.sh core
bash scripts/install-deps.sh blender
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target vorlund-obj make_city make_gltf_models

scratch=build/picture
rm -rf "$scratch"
mkdir -p "$scratch"
files=()
render=()
case "$mode" in
gltf)
  models=()
  for model in samples/character.dff samples/lamp.dff; do [ -f "$model" ] && models+=("$model"); done
  build/release/cli/vorlund-obj -q -b structure -f glb -o "$scratch" "${models[@]}"
  for model in "${models[@]}"; do files+=("$PWD/$scratch/$(basename "$model").glb"); done ;;
collision)
  corpus=../shared/corpus
  build/release/cli/vorlund-obj -q -o "$scratch" "$corpus/monkey.dff" "$corpus/collision/monkey-3.col"
  files=("$PWD/$scratch/monkey.dff.obj" "$PWD/$scratch/monkey-3.col.obj") ;;
city)
  build/release/tools/make_city "$scratch/city" 300 800 >/dev/null
  build/release/cli/vorlund-obj -q --map "$scratch"/city/maps/*.ipl --ide "$scratch/city/city.ide" \
    -o "$scratch" "$scratch/city/models"
  files=("$PWD/$scratch/map.obj") ;;
walk)
  # Three moments of the character sample's walk, from its glb with the walk in it.
  build/release/cli/vorlund-obj -q -b structure -f glb --animations samples/character_walk.ifp \
    -o "$scratch" samples/character.dff
  files=("$PWD/$scratch/character.dff.glb")
  render=(--frames 0,6,12) ;;
night)
  # A generated street lamp at night, lit by the point light of its light effect.
  build/release/tools/make_gltf_models "$scratch/models" >/dev/null
  build/release/cli/vorlund-obj -q -b structure -f glb -o "$scratch" "$scratch/models/street-lamp.dff"
  files=("$PWD/$scratch/street-lamp.dff.glb")
  render=(--night) ;;
vehicle)
  # A generated car as every part stored shows it (before), and as the game draws it (after).
  build/release/tools/make_gltf_models "$scratch/models" >/dev/null
  build/release/cli/vorlund-obj -q -b structure -f glb --parts all -o "$scratch/before" "$scratch/models/showcar.dff"
  build/release/cli/vorlund-obj -q -b structure -f glb --carcols "$scratch/models/carcols.dat" \
    -o "$scratch/after" "$scratch/models/showcar.dff"
  files=("$PWD/$scratch/before/showcar.dff.glb" "$PWD/$scratch/after/showcar.dff.glb") ;;
*)
  build/release/cli/vorlund-obj -q -o "$scratch" samples/lamp.dff
  files=("$PWD/$scratch/lamp.dff.obj") ;;
esac
timeout 900 blender -b --factory-startup --python-exit-code 1 \
  --python scripts/render_picture.py -- "$PWD/$scratch/picture.png" "${render[@]}" "${files[@]}" \
  >"$scratch/blender.log" 2>&1 || { tail -20 "$scratch/blender.log"; exit 1; }
grep -q '^RENDERED ' "$scratch/blender.log"
mkdir -p "$(dirname "$out")"
cp "$scratch/picture.png" "$out"
echo "$out"
