#!/usr/bin/env bash
# The glTF files of the command line checked by the Khronos validator: every
# sample (with its own dictionary), every public corpus model and the small
# generated models of the glTF tests and vehicles (with their item definitions,
# wheels and colours), as .glb and as .gltf, and a generated city's map scene
# (--map) and the lamp post's (effects, UV animations) as both, with 0 errors
# and 0 warnings. The
# validator (npm package gltf-validator) is installed under NODE_PREFIX when
# missing; without node and npm the test is skipped.
# A generated character with animations of both layouts is checked too.
# Usage: validate_test.sh CLI MAKE_MODELS MAKE_CITY MAKE_CHARACTERS SCRATCH NODE_PREFIX MODEL...
set -euo pipefail
cli=$1 make_models=$2 make_city=$3 make_characters=$4 scratch=$5 prefix=$6
shift 6
here=$(cd "$(dirname "$0")" && pwd)
module=$prefix/node_modules/gltf-validator
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  echo "SKIP: node and npm are needed for the glTF validator"
  exit 77
fi
if [ ! -f "$module/package.json" ]; then
  mkdir -p "$prefix"
  if ! npm install --silent --no-audit --no-fund --prefix "$prefix" gltf-validator >"$scratch.npm.log" 2>&1; then
    cat "$scratch.npm.log"
    echo "SKIP: could not install gltf-validator with npm"
    exit 77
  fi
fi
rm -rf "$scratch"
mkdir -p "$scratch/generated"
"$make_models" "$scratch/generated"
i=0
for model in "$@" "$scratch"/generated/*.dff; do
  i=$((i + 1))
  work=$scratch/$i
  mkdir -p "$work"
  ln -s "$(readlink -f "$model")" "$work/$(basename "$model")"
  for txd in "${model%.*}".txd "${model%.*}".TXD; do
    [ -f "$txd" ] && ln -s "$(readlink -f "$txd")" "$work/$(basename "$txd")"
  done
  code=0
  # The generated vehicles' item definitions, wheels and colours: each car as the game draws it.
  "$cli" -j 1 -q --button structure -f glb,gltf --ide "$scratch/generated/vehicles.ide" \
    --wheels "$scratch/generated/wheels.dff" --carcols "$scratch/generated/carcols.dat" "$work/$(basename "$model")" 2>"$work/stderr" || code=$?
  # Doubtful models are checked too: what they write must be valid.
  if [ "$code" -gt 1 ]; then
    echo "FAIL: $model: exit status $code"
    cat "$work/stderr"
    exit 1
  fi
done
# A city of 40 models placed 400 times across 20 placement files, one in seven double-sided.
"$make_city" "$scratch/city" 40 400 >/dev/null
if ! "$cli" -q --map "$scratch"/city/maps/*.ipl --ide "$scratch/city/city.ide" -f glb,gltf -o "$scratch/city/out" \
  "$scratch/city/models" 2>"$scratch/city/stderr"; then
  echo "FAIL: the city's map scene"
  cat "$scratch/city/stderr"
  exit 1
fi
# The generated lamp post placed twice: each instance its effects and lights,
# the scene its UV animations once.
mkdir -p "$scratch/lamps"
printf 'objs\n1200, lamp-post, lamp-post, 100, 0\nend\n' >"$scratch/lamps/lamps.ide"
printf 'inst\n1200, lamp-post, 0, 10, 0, 0, 0, 0, 0, 1, -1\n1200, lamp-post, 0, -10, 5, 0, 0, 0, 0.7071068, 0.7071068, -1\nend\n' \
  >"$scratch/lamps/lamps.ipl"
if ! "$cli" -q --map "$scratch/lamps/lamps.ipl" --ide "$scratch/lamps/lamps.ide" -f glb,gltf -o "$scratch/lamps/out" \
  "$scratch/generated" 2>"$scratch/lamps/stderr"; then
  echo "FAIL: the lamp posts' map scene"
  cat "$scratch/lamps/stderr"
  exit 1
fi
# A character with the animations of both layouts.
"$make_characters" "$scratch/animated" >/dev/null
if ! "$cli" -j 1 -q --button structure -f glb,gltf --animations "$scratch/animated/walk-anpk.ifp" \
  --animations "$scratch/animated/walk-anp3.ifp" "$scratch/animated/character-pelvis-space.dff" \
  2>"$scratch/animated/stderr"; then
  echo "FAIL: the character with animations"
  cat "$scratch/animated/stderr"
  exit 1
fi
# Collision: the public fixtures and generated records of every version, and
# a model with its embedded collision as a node of its glTF.
make_collision=$(dirname "$make_city")/make_collision
collision=$scratch/collision
mkdir -p "$collision/in"
[ -x "$make_collision" ] && "$make_collision" "$collision/in" >/dev/null
for col in "$here"/../../../shared/corpus/collision/*.col; do [ -f "$col" ] && ln -s "$(readlink -f "$col")" "$collision/in/"; done
code=0
"$cli" -j 1 -q --collision -f glb,gltf -o "$collision/out" "$collision/in" 2>"$collision/stderr" || code=$?
if [ "$code" -gt 1 ]; then
  echo "FAIL: the collision files: exit status $code"
  cat "$collision/stderr"
  exit 1
fi
files=("$scratch"/*/*.glb "$scratch"/*/*.gltf "$scratch"/city/out/map.glb "$scratch"/city/out/map.gltf
  "$scratch"/lamps/out/map.glb "$scratch"/lamps/out/map.gltf)
# The city's map scene with each instance's collision beside it.
if ! "$cli" -q --collision --map "$scratch"/city/maps/*.ipl --ide "$scratch/city/city.ide" -f glb -o "$collision/map" \
  "$scratch/city/models" "$scratch/city/collision" 2>"$collision/map-stderr"; then
  echo "FAIL: the city's map scene with its collision"
  cat "$collision/map-stderr"
  exit 1
fi
files+=("$collision"/out/*.glb "$collision"/out/*.gltf "$collision"/map/map.glb)
echo "validating ${#files[@]} files"
status=0
report=$(node "$here/validate.js" "$module" "${files[@]}") || status=$?
grep -v '^RESULT .* errors 0 warnings 0' <<<"$report" || true
[ "$status" -eq 0 ] && echo "every file: 0 errors, 0 warnings"
exit "$status"
