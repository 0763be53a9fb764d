#!/usr/bin/env bash
# Every model through each conversion of the command line; Blender imports
# every OBJ file that a conversion makes clean and must find all its faces and
# vertices, as many as the file has f and v lines; for structure also one mesh
# an object, the materials its faces use and every texture at its size, and
# the same again from the glb file that structure writes beside it.
# Options written as --name=value before a model are given with that model
# only (a vehicle's item definitions, wheels and colours).
# Usage: import_models_test.sh CLI SCRATCH [--OPTION=VALUE...] MODEL...
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
options=()
for model in "$@"; do
  case $model in
    --*) options+=("$model"); continue ;;
  esac
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
    "$cli" -j 1 --button "$conversion" -f "$formats" ${options[@]+"${options[@]}"} "$work/$(basename "$model")" 2>"$work/stderr" || code=$?
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
      # Blender makes a glTF primitive (an object's faces of one material) its
      # own vertices, those its faces use, and glTF gives a face whose three
      # vertices another face of its primitive has (the other side of a
      # double-sided face) copies of its own; an object without faces keeps all.
      glb_vertices=$(awk 'function flush() { if (o != "" && faces == 0) n += vertices }
        /^o / { flush(); o = $0; m = ""; vertices = 0; faces = 0 }
        /^v / { vertices++ }
        /^usemtl / { m = $0 }
        /^f / { faces++
          for (i = 2; i <= 4; i++) { split($i, c, "/"); v[i - 1] = c[1] + 0; if (!((o, m, v[i - 1]) in used)) { used[o, m, v[i - 1]] = 1; n++ } }
          if (v[1] > v[2]) { t = v[1]; v[1] = v[2]; v[2] = t }
          if (v[2] > v[3]) { t = v[2]; v[2] = v[3]; v[3] = t }
          if (v[1] > v[2]) { t = v[1]; v[1] = v[2]; v[2] = t }
          if ((o, m, v[1], v[2], v[3]) in seen) n += 3; else seen[o, m, v[1], v[2], v[3]] = 1 }
        END { flush(); print n + 0 }' "$obj")
      glb_line=${obj%.obj}.glb${line#"$obj"}
      glb_line=${glb_line/$'\t'vertices=$vertices$'\t'/$'\t'vertices=$glb_vertices$'\t'}
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
  options=()
done
if [ ! -s "$manifest" ]; then
  echo "FAIL: no model converts clean with any button"
  exit 1
fi
bash "$here/blender_check.sh" "$manifest" "$scratch/blender.log"
