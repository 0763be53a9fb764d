#!/usr/bin/env bash
# Generated characters of every skin layout, converted by structure, must
# stand upright in Blender: imported keeping the OBJ's axes (z up, as the
# model's world), the feet at the bottom and the head at the top along z,
# taller than wide. Their glb files too, posed by an armature of one bone a
# joint, with a vertex group for each of the four bones that carry weight;
# and the character sample, ten bones of which nine carry weight, and with
# its walk: standing mid-walk with its feet apart.
# Usage: characters_upright_test.sh CLI MAKE_CHARACTERS SCRATCH SAMPLE
set -euo pipefail
cli=$1 make=$2 scratch=$3 sample=$4
here=$(dirname "$0")
rm -rf "$scratch"
mkdir -p "$scratch"
manifest=$scratch/manifest.tsv
: >"$manifest"
"$make" "$scratch" | while read -r name low high; do
  "$cli" -j 1 -q --button structure -f obj,glb "$scratch/$name"
  printf '%s\tmeshes=1\tvertices=6\tfaces=3\tzrange=%s:%s\n' "$scratch/$name.obj" "$low" "$high" >>"$manifest"
  printf '%s\tmeshes=1\tvertices=6\tfaces=3\tzrange=%s:%s\tbones=5\tgroups=4\n' "$scratch/$name.glb" "$low" "$high" >>"$manifest"
done
cp "$sample" "$scratch/"
"$cli" -j 1 -q --button structure -f obj,glb "$scratch/character.dff"
for file in "$scratch/character.dff.obj" "$scratch/character.dff.glb"; do
  skin=""
  [ "${file##*.}" = glb ] && skin=$'\tbones=10\tgroups=9'
  printf '%s\tmeshes=1\tvertices=264\tfaces=132\tzrange=-0.97:0.86%s\n' "$file" "$skin" >>"$manifest"
done
# The sample with its walk: one action per animation the skeleton plays
# (the third drives no bone of it); halfway through the walk it stands, feet apart.
cp "$(dirname "$sample")/character_walk.ifp" "$scratch/"
"$cli" -j 1 -q --button structure -f glb --animations "$scratch/character_walk.ifp" -o "$scratch/walking" \
  "$scratch/character.dff"
printf '%s\tmeshes=1\tbones=10\tactions=2\tplaying=walk:0.5\n' "$scratch/walking/character.dff.glb" >>"$manifest"
bash "$here/blender_check.sh" "$manifest" "$scratch/blender.log"
