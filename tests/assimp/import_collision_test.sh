#!/usr/bin/env bash
# A second importer on the collision output: assimp reads every triangle of
# each collision OBJ and glb, raw (-r; its post-processing would drop the
# zero-area triangles real files hold), as many faces as the OBJ's f lines.
# Inputs: the public corpus's collision files (when there) and generated
# records of every version, with a model's embedded record (--collision).
# Skipped without the assimp command (Debian package assimp-utils).
# Usage: import_collision_test.sh CLI MAKE_COLLISION SCRATCH CORPUS_DIR
set -euo pipefail
cli=$1 make_collision=$2 scratch=$3 corpus=${VORLUND_CORPUS_DIR:-$4}
if ! command -v assimp >/dev/null; then
  echo "SKIP: the assimp command is needed (Debian package assimp-utils)"
  exit 77
fi
rm -rf "$scratch"
mkdir -p "$scratch/in"
"$make_collision" "$scratch/in" >/dev/null
if [ -d "$corpus/collision" ]; then
  for col in "$corpus"/collision/*.col; do ln -s "$(readlink -f "$col")" "$scratch/in/"; done
else
  echo "no corpus at $corpus: generated records only"
fi
code=0
"$cli" -j 1 -q --collision -f obj,glb -o "$scratch/out" "$scratch/in" 2>"$scratch/stderr" || code=$?
if [ "$code" -gt 1 ]; then
  echo "FAIL: exit status $code"
  cat "$scratch/stderr"
  exit 1
fi
faces() { assimp info "$1" -r 2>&1 | awk '/^Faces:/ { print $2 }'; }
status=0 checked=0
for obj in "$scratch"/out/*.col.obj; do
  want=$(grep -c '^f ' "$obj" || true)
  # A model's glb holds the model too: only a collision file's glb is all collision.
  glb=${obj%.obj}.glb
  for file in "$obj" "$glb"; do
    [ -f "$file" ] || continue
    got=$(faces "$file")
    checked=$((checked + 1))
    if [ "$got" != "$want" ]; then
      echo "FAIL: $file: assimp reads ${got:-no} faces, the OBJ has $want"
      status=1
    fi
  done
done
[ "$checked" -gt 0 ] || { echo "FAIL: no collision files written"; exit 1; }
[ "$status" -eq 0 ] && echo "$checked files: assimp reads every triangle"
exit "$status"
