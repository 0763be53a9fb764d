#!/usr/bin/env bash
# A generated city through --map, as OBJ and as glb in one run: Blender
# imports each scene and must find one mesh object per placed instance, with
# every face and vertex of the OBJ file, and each scene's materials.
# Usage: import_map_test.sh CLI MAKE_CITY SCRATCH
set -euo pipefail
cli=$1 make_city=$2 scratch=$3
here=$(dirname "$0")
rm -rf "$scratch"
mkdir -p "$scratch"
"$make_city" "$scratch/city" 40 400 >/dev/null
"$cli" --map "$scratch"/city/maps/*.ipl --ide "$scratch/city/city.ide" -f obj,glb -o "$scratch/out" \
  "$scratch/city/models" 2>"$scratch/stderr" || { echo "FAIL: --map ended with $?"; cat "$scratch/stderr"; exit 1; }
obj=$scratch/out/map.obj glb=$scratch/out/map.glb
placed=$(grep -o ': [0-9]* instances of' "$scratch/stderr" | grep -o '[0-9]*')
meshes=$(grep -c '^o ' "$obj")
if [ "$meshes" != "$placed" ]; then
  echo "FAIL: $meshes objects in $obj for $placed placed instances"
  exit 1
fi
faces=$(grep -c '^f ' "$obj") vertices=$(grep -c '^v ' "$obj")
printf '%s\tfaces=%s\tvertices=%s\tmeshes=%s\tmaterials=%s\n' "$obj" "$faces" "$vertices" "$meshes" \
  "$(grep '^usemtl ' "$obj" | sort -u | wc -l)" >"$scratch/manifest.tsv"
# The glb's JSON chunk: its instance nodes (those with a mesh) and its materials.
read -r nodes materials < <(python3 - "$glb" <<'PY'
import json, struct, sys
data = open(sys.argv[1], "rb").read()
length, = struct.unpack_from("<I", data, 12)
doc = json.loads(data[20:20 + length])
print(sum("mesh" in n for n in doc["nodes"]), len(doc.get("materials", [])))
PY
)
if [ "$nodes" != "$placed" ]; then
  echo "FAIL: $nodes instance nodes in $glb for $placed placed instances"
  exit 1
fi
printf '%s\tfaces=%s\tvertices=%s\tmeshes=%s\tmaterials=%s\n' "$glb" "$faces" "$vertices" "$placed" "$materials" \
  >>"$scratch/manifest.tsv"
bash "$here/blender_check.sh" "$scratch/manifest.tsv" "$scratch/blender.log"
