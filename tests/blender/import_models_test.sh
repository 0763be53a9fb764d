#!/usr/bin/env bash
# Every model through each conversion of the command line; Blender imports
# every OBJ file that a conversion makes clean and must find all its faces and
# vertices, as many as the file has f and v lines; for structure also one mesh
# an object, the materials its faces use and every texture at its size, and
# the same again from the glb file that structure writes beside it.
# Usage: import_models_test.sh CLI SCRATCH MODEL...
set -euo pipefail
cli=$1 scratch=$2
shift 2
here=$(dirname "$0")
rm -rf "$scratch"
mkdir -p "$scratch"
manifest=$scratch/manifest.tsv
: >"$manifest"

# WIDTHxHEIGHT from a PNG file's header.
png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }'
}

i=0
for model in "$@"; do
  i=$((i + 1))
  for conversion in structure go1 go2 go3 go4; do
    work=$scratch/$i-$conversion
    mkdir -p "$work"
    ln -s "$(readlink -f "$model")" "$work/$(basename "$model")"
    # The model's own texture dictionary, where it has one.
    for txd in "${model%.*}".txd "${model%.*}".TXD; do
      [ -f "$txd" ] && ln -s "$(readlink -f "$txd")" "$work/$(basename "$txd")"
    done
    obj=$work/$(basename "$model").obj
    code=0
    formats=obj
    if [ "$conversion" = structure ]; then formats=obj,glb; fi
    "$cli" -j 1 --button "$conversion" -f "$formats" "$work/$(basename "$model")" 2>"$work/stderr" || code=$?
    case $code in
      0) ;;
      1) continue ;;  # doubtful: not a model anyone would import
      *) echo "FAIL: $conversion $model: exit status $code"; cat "$work/stderr"; exit 1 ;;
    esac
    faces=$(grep -c '^f ' "$obj" || true)
    vertices=$(grep -c '^v ' "$obj" || true)
    line="$obj"$'\t'"faces=$faces"$'\t'"vertices=$vertices"
    if [ "$conversion" = structure ]; then
      meshes=$(grep -c '^o ' "$obj" || true)
      materials=$(grep '^usemtl ' "$obj" | sort -u | wc -l)
      line+=$'\t'"meshes=$meshes"$'\t'"materials=$materials"
      mtl=${obj%.obj}.mtl
      # glTF gives a face whose three vertices another face of its object and
      # material has (the other side of a double-sided face) copies of its own.
      copies=$(awk '/^o /{o=$0; m=""} /^usemtl /{m=$0} /^f /{
          for (i = 2; i <= 4; i++) { split($i, c, "/"); v[i - 1] = c[1] + 0 }
          if (v[1] > v[2]) { t = v[1]; v[1] = v[2]; v[2] = t }
          if (v[2] > v[3]) { t = v[2]; v[2] = v[3]; v[3] = t }
          if (v[1] > v[2]) { t = v[1]; v[1] = v[2]; v[2] = t }
          k = o SUBSEP m SUBSEP v[1] SUBSEP v[2] SUBSEP v[3]
          if (k in seen) n += 3; else seen[k] = 1 } END { print n + 0 }' "$obj")
      glb_line=${obj%.obj}.glb${line#"$obj"}
      glb_line=${glb_line/$'\t'vertices=$vertices$'\t'/$'\t'vertices=$((vertices + copies))$'\t'}
      for png in $(grep -aE '^map_(Kd|d) ' "$mtl" | cut -d' ' -f2- | sort -u); do
        [ -f "$work/$png" ] || continue
        line+=$'\t'"image=$png:$(png_size "$work/$png")"
      done
      # glTF has no alpha maps; its images are named after their textures.
      for png in $(grep -aE '^map_Kd ' "$mtl" | cut -d' ' -f2- | sort -u); do
        [ -f "$work/$png" ] || continue
        glb_line+=$'\t'"image=${png%.png}:$(png_size "$work/$png")"
      done
    fi
    printf '%s\n' "$line" >>"$manifest"
    if [ "$conversion" = structure ]; then printf '%s\n' "$glb_line" >>"$manifest"; fi
  done
done
if [ ! -s "$manifest" ]; then
  echo "FAIL: no model converts clean with any button"
  exit 1
fi
bash "$here/blender_check.sh" "$manifest" "$scratch/blender.log"
