#!/usr/bin/env bash
# Every model through each button of the command line; Blender imports every
# OBJ file that a button converts clean and must find all its faces and
# vertices, as many as the file has f and v lines.
# Usage: import_models_test.sh CLI SCRATCH MODEL...
set -euo pipefail
cli=$1 scratch=$2
shift 2
here=$(dirname "$0")
rm -rf "$scratch"
mkdir -p "$scratch"
manifest=$scratch/manifest.tsv
: >"$manifest"

i=0
for model in "$@"; do
  i=$((i + 1))
  for n in 1 2 3 4; do
    work=$scratch/$i-go$n
    mkdir -p "$work"
    ln -s "$(readlink -f "$model")" "$work/$(basename "$model")"
    obj=$work/$(basename "$model").obj
    code=0
    "$cli" --button "go$n" "$work/$(basename "$model")" 2>"$work/stderr" || code=$?
    case $code in
      0) ;;
      1) continue ;;  # doubtful: not a model anyone would import
      *) echo "FAIL: go$n $model: exit status $code"; cat "$work/stderr"; exit 1 ;;
    esac
    faces=$(grep -c '^f ' "$obj" || true)
    vertices=$(grep -c '^v ' "$obj" || true)
    printf '%s\tfaces=%d\tvertices=%d\n' "$obj" "$faces" "$vertices" >>"$manifest"
  done
done
if [ ! -s "$manifest" ]; then
  echo "FAIL: no model converts clean with any button"
  exit 1
fi
bash "$here/blender_check.sh" "$manifest" "$scratch/blender.log"
