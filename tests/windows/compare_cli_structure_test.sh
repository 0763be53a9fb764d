#!/usr/bin/env bash
# The Windows build of vorlund-obj, under Wine, against the Linux build for what
# compare_cli_test.sh leaves out: the structure conversion (OBJ and MTL text,
# and glb files: the same binary chunk byte for byte, the same JSON but for
# the spelling of the model's path), --extract and --inspect of the sample
# dictionaries, -o DIR over a folder with --recursive, a model that fails, an
# archive, and a small map scene (--map, as OBJ and glb) of a sample with its own dictionary. Files and
# messages must be the same apart from line ends and the spelling of paths.
# Usage: compare_cli_structure_test.sh LINUX_CLI WINDOWS_CLI SCRATCH SAMPLE... [-- CORPUS_MODEL...]
#   structure converts every model named; the -o folder is built from the samples
#   and the first corpus model.
set -euo pipefail
linux_cli=$1 windows_cli=$2 scratch=$3
shift 3
samples=() models=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do samples+=("$1"); models+=("$1"); shift; done
[ $# -gt 0 ] && shift
models+=("$@")
# The samples convert by the search buttons; a corpus model, when there is one,
# converts by structure and brings its MTL file into the output folder too.
tree_models=("${samples[@]}")
[ $# -gt 0 ] && tree_models+=("$1")
wine=$(dirname "$0")/run_in_wine.sh
if [ ! -x "$linux_cli" ]; then
  echo "no Linux command line at $linux_cli: build the release preset first"
  exit 1
fi
windows_path() { local p=${1//\//\\}; echo "Z:$p"; }

# Windows text in Linux spelling: no CRs, and every path under the Windows
# folder spelled as the same path under the Linux one (a plain string match,
# then slashes for the rest of that line's path).
linux_spelling() {  # FILE WINDOWS_FOLDER LINUX_FOLDER
  # Through the environment: awk -v would take the backslashes for escapes.
  FROM=$2 TO=$3 awk '{
    from = ENVIRON["FROM"]; to = ENVIRON["TO"]
    sub(/\r$/, "")
    while ((i = index($0, from)) > 0) {
      rest = substr($0, i + length(from))
      match(rest, /[ :]|$/)
      path = substr(rest, 1, RSTART - 1); gsub(/\\/, "/", path)
      $0 = substr($0, 1, i - 1) to path substr(rest, RSTART)
    }
    print
  }' "$1"
}

failed=0
fail() { echo "FAIL: $*"; failed=1; }

# Runs both builds: Linux with one job, Windows with two worker processes.
# Usage: run_both NAME ARGS... where ARGS spell folders as @/ (replaced per side).
run_both() {
  local name=$1; shift
  local linux_args=() windows_args=() a linux_code=0 windows_code=0
  for a in "$@"; do
    linux_args+=("${a//@\//$work/linux/}")
    if [[ $a == @/* ]]; then windows_args+=("$(windows_path "$work/windows/${a#@/}")")
    else windows_args+=("$a"); fi
  done
  "$linux_cli" -j 1 "${linux_args[@]}" 2>"$work/linux.stderr" || linux_code=$?
  bash "$wine" "$windows_cli" -j 2 "${windows_args[@]}" 2>"$work/windows.stderr" || windows_code=$?
  [ "$linux_code" = "$windows_code" ] ||
    fail "$name: exit status $windows_code on Windows, $linux_code on Linux: $(head -5 "$work/windows.stderr")"
  # Without the trailing separator: a message may name the folder itself.
  linux_spelling "$work/windows.stderr" "$(windows_path "$work/windows")" "$work/linux" \
    >"$work/windows.messages"
  cmp -s "$work/linux.stderr" "$work/windows.messages" ||
    fail "$name: the messages differ: $(diff "$work/linux.stderr" "$work/windows.messages" | head -10)"
}

# Every file under both output folders: the same names, the same text, CR LF on Windows.
compare_outputs() {  # NAME FOLDER [lf] (relative to each side; lf: Windows files may end lines in LF)
  local name=$1 folder=$2 line_ends=${3:-crlf} file count=0
  local linux_files windows_files
  linux_files=$(cd "$work/linux/$folder" && find . -name '*.obj' -o -name '*.mtl' | sort)
  windows_files=$(cd "$work/windows/$folder" && find . -name '*.obj' -o -name '*.mtl' | sort)
  if [ "$linux_files" != "$windows_files" ]; then
    fail "$name: other files written: $(diff <(echo "$linux_files") <(echo "$windows_files") | head -10)"
  fi
  for file in $linux_files; do
    local linux_file=$work/linux/$folder/$file windows_file=$work/windows/$folder/$file
    [ -f "$windows_file" ] || continue
    if [ "$line_ends" = crlf ] && [ -s "$windows_file" ] && ! grep -q $'\r$' "$windows_file"; then
      fail "$name $file: the Windows file has no CR LF line ends"
    fi
    if ! cmp -s "$linux_file" <(linux_spelling "$windows_file" "$(windows_path "$work/windows/")" "$work/linux/"); then
      fail "$name $file: the text differs: $(diff "$linux_file" \
        <(linux_spelling "$windows_file" "$(windows_path "$work/windows/")" "$work/linux/") | head -10)"
    fi
    count=$((count + 1))
  done
  echo "$name: $count files compared"
}

# The glb files under FOLDER on both sides: the JSON chunk's text once the
# paths are spelled alike (JSON doubles each backslash), then the rest byte
# for byte; at least one.
compare_glbs() {  # NAME FOLDER (relative to each side)
  local name=$1 folder=$2 glb other count=0 linux_json windows_json linux_text windows_text
  json_length() { od -An -tu4 -j12 -N4 "$1" | tr -d ' '; }
  for glb in "$work/linux/$folder/"*.glb; do
    [ -f "$glb" ] || continue
    other=$work/windows/$folder/$(basename "$glb")
    if [ ! -f "$other" ]; then fail "$name: no $(basename "$glb") on Windows"; continue; fi
    linux_json=$(json_length "$glb") windows_json=$(json_length "$other")
    linux_text=$(dd if="$glb" bs=1 skip=20 count="$linux_json" 2>/dev/null | sed 's/ *$//')
    windows_text=$(dd if="$other" bs=1 skip=20 count="$windows_json" 2>/dev/null | sed 's/ *$//; s/\\\\/\\/g' |
      linux_spelling /dev/stdin "$(windows_path "$work/windows")" "$work/linux")
    [ "$linux_text" = "$windows_text" ] || fail "$name $(basename "$glb"): the JSON differs"
    cmp -s <(tail -c +$((21 + linux_json)) "$glb") <(tail -c +$((21 + windows_json)) "$other") ||
      fail "$name $(basename "$glb"): the binary chunk differs"
    count=$((count + 1))
  done
  [ "$count" -gt 0 ] || fail "$name: no glb file written"
  echo "$name: $count glb files compared"
}

# The PNG files under FOLDER on both sides: the same names, byte for byte; their
# number left in png_count.
compare_pngs() {  # NAME FOLDER (relative to each side)
  local name=$1 folder=$2 png linux_pngs windows_pngs
  linux_pngs=$(cd "$work/linux/$folder" && find . -name '*.png' | sort)
  windows_pngs=$(cd "$work/windows/$folder" 2>/dev/null && find . -name '*.png' | sort)
  [ "$linux_pngs" = "$windows_pngs" ] || fail "$name: other PNG files written: $windows_pngs"
  for png in $linux_pngs; do
    cmp -s "$work/linux/$folder/$png" "$work/windows/$folder/$png" || fail "$name $png: the images differ"
  done
  png_count=$(echo "$linux_pngs" | grep -c png || true)
  echo "$name: $png_count textures compared"
}

# --inspect of the files named (as @/NAME) on both sides: the same text.
compare_inspect() {  # NAME FILE...
  local name=$1 n
  shift
  local linux_names=() windows_names=()
  for n in "$@"; do
    linux_names+=("$work/linux/${n#@/}")
    windows_names+=("$(windows_path "$work/windows/${n#@/}")")
  done
  "$linux_cli" --inspect "${linux_names[@]}" >"$work/linux.inspect" 2>/dev/null || true
  bash "$wine" "$windows_cli" --inspect "${windows_names[@]}" >"$work/windows.inspect" 2>/dev/null || true
  linux_spelling "$work/windows.inspect" "$(windows_path "$work/windows")" "$work/linux" >"$work/windows.inspect.text"
  [ -s "$work/linux.inspect" ] || fail "$name: no text"
  cmp -s "$work/linux.inspect" "$work/windows.inspect.text" ||
    fail "$name: the text differs: $(diff "$work/linux.inspect" "$work/windows.inspect.text" | head -10)"
  echo "$name: $(grep -c '^== ' "$work/linux.inspect") files compared"
}

# The structure conversion beside each model: OBJ and MTL.
work=$scratch/cli-structure
rm -rf "$work"
mkdir -p "$work/linux" "$work/windows"
names=()
dictionaries=0
for model in "${models[@]}"; do
  ln -s "$model" "$work/linux/$(basename "$model")"
  ln -s "$model" "$work/windows/$(basename "$model")"
  names+=("@/$(basename "$model")")
  # A model's own texture dictionary goes with it (the lamp sample has one).
  if [ -f "${model%.*}.txd" ]; then
    ln -s "${model%.*}.txd" "$work/linux/$(basename "${model%.*}").txd"
    ln -s "${model%.*}.txd" "$work/windows/$(basename "${model%.*}").txd"
    dictionaries=$((dictionaries + 1))
  fi
done
# The lamp again in a folder of its own, its dictionary the PS2 one: the model's
# texture lookup through the console layout.
if [ ${#samples[@]} -gt 0 ] && [ -f "$(dirname "${samples[0]}")/lamp_ps2.txd" ]; then
  for side in linux windows; do
    mkdir -p "$work/$side/ps2"
    ln -s "$(dirname "${samples[0]}")/lamp.dff" "$work/$side/ps2/lamp.dff"
    ln -s "$(dirname "${samples[0]}")/lamp_ps2.txd" "$work/$side/ps2/lamp.txd"
  done
  names+=("@/ps2/lamp.dff")
  dictionaries=$((dictionaries + 1))
fi
run_both structure -b structure -f obj,glb "${names[@]}"
compare_outputs structure .
compare_glbs structure .
ls "$work/linux/"*.mtl >/dev/null 2>&1 || fail "structure: no MTL file written at all"
# The textures: the same PNG files, byte for byte.
compare_pngs structure .
if [ "$dictionaries" -gt 0 ] && [ "$png_count" = 0 ]; then fail "structure: no texture written"; fi

# --inspect: the same chunk trees and findings on both sides.
compare_inspect inspect "${names[@]}"

# --extract of the sample dictionaries (PC and PS2 layouts): the same PNG files,
# byte for byte, and the same --inspect text.
work=$scratch/cli-extract
rm -rf "$work"
mkdir -p "$work/linux" "$work/windows"
dictionary_names=()
if [ ${#samples[@]} -gt 0 ]; then
  for txd in "$(dirname "${samples[0]}")"/*.txd; do
    [ -f "$txd" ] || continue
    ln -s "$txd" "$work/linux/$(basename "$txd")"
    ln -s "$txd" "$work/windows/$(basename "$txd")"
    dictionary_names+=("@/$(basename "$txd")")
  done
fi
if [ ${#dictionary_names[@]} -gt 0 ]; then
  # Each into a folder of its own: the dictionaries share texture names.
  for n in "${dictionary_names[@]}"; do
    base=$(basename "$n" .txd)
    run_both "extract $base" --extract -o "@/png/$base" "$n"
    grep -q "\.txd: [1-9][0-9]* textures\? written to " "$work/linux.stderr" ||
      fail "extract: $base did not extract whole: $(cat "$work/linux.stderr")"
  done
  compare_pngs extract png
  if [ ! -f "$work/linux/png/lamp_ps2/glass_frame.png" ]; then fail "extract: the PS2 sample's textures missing"; fi
  compare_inspect "inspect dictionaries" "${dictionary_names[@]}"
  grep -q "platform PS2" "$work/linux.inspect" || fail "inspect: no PS2 texture listed"
fi

# -o DIR --recursive over a folder of models in subfolders, one of them empty:
# the output folder mirrors the subfolders and holds nothing for the failed model.
work=$scratch/cli-output-dir
rm -rf "$work"
for side in linux windows; do
  mkdir -p "$work/$side/models/sub/deeper" "$work/$side/out"
  k=0
  for model in "${tree_models[@]}"; do
    case $((k % 3)) in
      0) into=models ;; 1) into=models/sub ;; *) into=models/sub/deeper ;;
    esac
    ln -s "$model" "$work/$side/$into/$(basename "$model")"
    k=$((k + 1))
  done
  : >"$work/$side/models/sub/empty.dff"
  echo "not a model" >"$work/$side/models/readme.txt"
done
run_both output-dir --recursive -o @/out @/models
compare_outputs output-dir out
for side in linux windows; do
  ls "$work/$side/out/sub/"empty.dff.* >/dev/null 2>&1 && fail "output-dir: the empty model left a file on $side"
done
grep -q "/models/sub/empty.dff: not converted: empty file$" "$work/linux.stderr" ||
  fail "output-dir: no reason given for the empty model: $(cat "$work/linux.stderr")"

# An archive of the samples, the lamp's dictionary inside it: its models go into
# pack/, their textures into pack/textures/lamp/; a repeated name gets ~2.
work=$scratch/cli-archive
rm -rf "$work"
for side in linux windows; do
  mkdir -p "$work/$side"
  python3 "$(dirname "$0")/../support/pack_archive.py" "$work/$side/pack.img" "${samples[@]}" \
    "$(dirname "${samples[0]}")/lamp.txd" "${samples[0]}"
done
run_both archive @/pack.img
compare_outputs archive pack
linux_pngs=$(cd "$work/linux/pack" && find . -name '*.png' | sort)
windows_pngs=$(cd "$work/windows/pack" && find . -name '*.png' | sort)
[ "$linux_pngs" = "$windows_pngs" ] || fail "archive: other PNG files written: $windows_pngs"
for png in $linux_pngs; do
  cmp -s "$work/linux/pack/$png" "$work/windows/pack/$png" || fail "archive $png: the images differ"
done
grep -q "a second entry of this name" "$work/linux.stderr" || fail "archive: no line for the repeated name"
echo "archive: $(echo "$linux_pngs" | grep -c png) textures compared"

# --map: a text placement file placing a sample that has its own dictionary
# three times (one turned, one inside an interior), written as one scene.
map_model=
for model in "${samples[@]}"; do [ -f "${model%.*}.txd" ] && map_model=$model && break; done
if [ -n "$map_model" ]; then
  work=$scratch/cli-map
  rm -rf "$work"
  name=$(basename "${map_model%.*}")
  for side in linux windows; do
    mkdir -p "$work/$side/models"
    ln -s "$map_model" "$work/$side/models/$(basename "$map_model")"
    ln -s "${map_model%.*}.txd" "$work/$side/models/$name.txd"
    printf 'objs\n1, %s, %s, 100, 2097152\nend\n' "$name" "$name" >"$work/$side/town.ide"
    printf 'inst\n1, %s, 0, 0, 0, 0, 0, 0, 0, 1, -1\n1, %s, 0, 10, 5, 0, 0, 0, 0.7071068, 0.7071068, -1\n1, %s, 7, 20, 0, 0, 0, 0, 0, 1, -1\nend\n' \
      "$name" "$name" "$name" >"$work/$side/town.ipl"
  done
  run_both map --map @/town.ipl --ide @/town.ide -f obj,glb -o @/out @/models
  # The scene is written with LF line ends on Windows too, unlike a model's OBJ file.
  compare_outputs map out lf
  compare_glbs map out
  linux_pngs=$(cd "$work/linux/out" && find . -name '*.png' | sort)
  [ -n "$linux_pngs" ] || fail "map: no texture written"
  for png in $linux_pngs; do
    cmp -s "$work/linux/out/$png" "$work/windows/out/$png" || fail "map $png: the images differ"
  done
fi

exit $failed
