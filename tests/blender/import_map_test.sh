#!/usr/bin/env bash
# A generated city through --map: Blender imports the scene and must find one
# mesh object per placed instance, with every face and vertex of the file.
# Usage: import_map_test.sh CLI MAKE_CITY SCRATCH
set -euo pipefail
cli=$1 make_city=$2 scratch=$3
here=$(dirname "$0")
rm -rf "$scratch"
mkdir -p "$scratch"
"$make_city" "$scratch/city" 40 400 >/dev/null
"$cli" --map "$scratch"/city/maps/*.ipl --ide "$scratch/city/city.ide" -o "$scratch/out" "$scratch/city/models" \
  2>"$scratch/stderr" || { echo "FAIL: --map ended with $?"; cat "$scratch/stderr"; exit 1; }
obj=$scratch/out/map.obj
placed=$(grep -o ': [0-9]* instances of' "$scratch/stderr" | grep -o '[0-9]*')
meshes=$(grep -c '^o ' "$obj")
if [ "$meshes" != "$placed" ]; then
  echo "FAIL: $meshes objects in $obj for $placed placed instances"
  exit 1
fi
printf '%s\tfaces=%s\tvertices=%s\tmeshes=%s\tmaterials=%s\n' "$obj" "$(grep -c '^f ' "$obj")" \
  "$(grep -c '^v ' "$obj")" "$meshes" "$(grep '^usemtl ' "$obj" | sort -u | wc -l)" >"$scratch/manifest.tsv"
bash "$here/blender_check.sh" "$scratch/manifest.tsv" "$scratch/blender.log"
