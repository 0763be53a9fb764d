#!/usr/bin/env bash
# The generated lamp post's glb imported by Blender: its four lights (one of
# each length on the post, the lamp head's on each of the two turned arms that
# draw it) come in as light objects at their places.
# Usage: import_lights_test.sh CLI MAKE_MODELS SCRATCH
set -euo pipefail
cli=$1 make_models=$2 scratch=$3
here=$(dirname "$0")
rm -rf "$scratch"
mkdir -p "$scratch"
"$make_models" "$scratch" >/dev/null
"$cli" -q -b structure -f glb "$scratch/lamp-post.dff" 2>"$scratch/stderr" || { cat "$scratch/stderr"; exit 1; }
printf '%s\tlights=4\tlight=0:0:1\tlight=0:0:2\tlight=0.25:0.5:7\tlight=-0.25:-0.5:7\n' \
  "$scratch/lamp-post.dff.glb" >"$scratch/manifest.tsv"
bash "$here/blender_check.sh" "$scratch/manifest.tsv" "$scratch/blender.log"
