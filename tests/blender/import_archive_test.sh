#!/usr/bin/env bash
# A model converted from an archive imports with its textures from the
# per-dictionary folders: the lamp sample and its dictionary are packed into a
# version 2 archive, converted, and Blender must find every face and vertex,
# one mesh an object and each texture at its size, read from textures/lamp/.
# Usage: import_archive_test.sh CLI SCRATCH SAMPLES_FOLDER
set -euo pipefail
cli=$1 scratch=$2 samples=$3
here=$(dirname "$0")
rm -rf "$scratch"
mkdir -p "$scratch"
python3 "$here/../support/pack_archive.py" "$scratch/pack.img" "$samples/lamp.dff" "$samples/lamp.txd"
"$cli" -j 1 -b structure "$scratch/pack.img" 2>"$scratch/stderr" || { cat "$scratch/stderr"; exit 1; }
obj=$scratch/pack/lamp.dff.obj
mtl=$scratch/pack/lamp.dff.mtl
line="$obj"$'\t'"faces=$(grep -c '^f ' "$obj")"$'\t'"vertices=$(grep -c '^v ' "$obj")"
line+=$'\t'"meshes=$(grep -c '^o ' "$obj")"$'\t'"materials=$(grep '^usemtl ' "$obj" | sort -u | wc -l)"
images=0
for png in $(grep -E '^map_(Kd|d) ' "$mtl" | cut -d' ' -f2- | sort -u); do
  case $png in
    textures/lamp/*) ;;
    *) echo "FAIL: $mtl names $png, not a file of textures/lamp/"; exit 1 ;;
  esac
  size=$(od -An -tu1 -j16 -N8 "$scratch/pack/$png" |
    awk '{ printf "%dx%d", $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }')
  line+=$'\t'"image=$(basename "$png"):$size"
  images=$((images + 1))
done
[ "$images" -gt 0 ] || { echo "FAIL: $mtl names no texture"; exit 1; }
printf '%s\n' "$line" >"$scratch/manifest.tsv"
bash "$here/blender_check.sh" "$scratch/manifest.tsv" "$scratch/blender.log"
