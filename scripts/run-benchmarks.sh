#!/usr/bin/env bash
# Speed of whole conversions: generates the large synthetic models (12, 40 and
# 120 MB, one per strategy) into build/bench-models, builds the release preset,
# times every model against the floor of reading it and writing as much text,
# reports the peak resident size of one conversion of a 120 MB model, runs the
# command line on each 120 MB model with its default text and with
# --exact-text side by side (time and peak resident size), and
# times a batch of 10,000 small models (build/bench-batch) with one job, with
# one job per core and as a shell loop of one program run per model, and
# (scripts/bench-city.sh) a generated city as map scenes, OBJ and glb.
# Usage: scripts/run-benchmarks.sh [REPEATS]   (default 3; the median is shown)
# Not part of the tests: the figures depend on the machine and its load.
set -euo pipefail
cd "$(dirname "$0")/.."
repeats=${1:-3}
models=build/bench-models

bash scripts/install-deps.sh core
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target make_large_model make_batch_models bench_conversion \
  bench_whole_runs bench_structure time_texture_extract
cli=build/release/cli/vorlund-obj
if [ -f cli/CMakeLists.txt ]; then
  cmake --build --preset release -j "$(nproc)" --target vorlund-obj
fi

# The models are the same for the same seed: made once, kept between runs.
missing=0
for s in go1 go2 go3 go4; do
  for mb in 12 40 120; do
    [ -f "$models/$s-${mb}mb.dff" ] || missing=1
  done
done
if [ "$missing" = 1 ]; then
  echo "=== generating models into $models"
  build/release/tools/make_large_model "$models"
fi

echo "=== conversion against the floor (median of $repeats runs)"
build/release/tools/bench_conversion "$models" "$repeats"

echo "=== peak resident size, one go1 conversion of the 120 MB model"
if [ -x "$cli" ]; then
  measured=("$cli" --button go1 "$models/go1-120mb.dff")
else
  measured=(build/release/tools/bench_conversion --once "$models/go1-120mb.dff" go1)
fi
/usr/bin/time -v "${measured[@]}" 2>"$models/time.txt" >/dev/null
rm -f "$models/go1-120mb.dff.obj"
echo "${measured[*]}"
grep -E "Maximum resident set size|Elapsed \(wall clock\)" "$models/time.txt"

if [ -x "$cli" ]; then
  echo "=== whole program runs on the 120 MB models: default text against --exact-text (median of $repeats runs)"
  build/release/tools/bench_whole_runs "$cli" "$models" "$repeats"
  if [ -d /dev/shm ]; then
    echo "=== the same, the OBJ files written to memory (/dev/shm), the disk left out"
    shm=$(mktemp -d /dev/shm/vorlund-bench.XXXXXX)
    build/release/tools/bench_whole_runs "$cli" "$models" "$repeats" 120 "$shm"
    rm -rf "$shm"
  fi
fi

echo "=== the structure conversion of a 40 MB model of many geometries (median of $repeats runs)"
build/release/tools/bench_structure "$models" 40 "$repeats"
if [ -x "$cli" ]; then
  # Peak resident size of the whole command: the OBJ conversion against glb alone.
  for format in obj glb; do
    /usr/bin/time -v "$cli" -j 1 -q -b structure -f "$format" "$models/structure-40mb.dff" 2>"$models/time.txt"
    echo "-f $format: $(grep -E "Maximum resident set size" "$models/time.txt" | tr -s ' \t' ' ')," \
      "$(grep -E "Elapsed \(wall clock\)" "$models/time.txt" | tr -s ' \t' ' ')"
  done
  rm -f "$models"/structure-40mb.dff.{obj,mtl,glb}
fi

echo "=== extracting a dictionary of 19 textures (about 1.3 MB) to PNG files"
build/release/tools/time_texture_extract "$repeats"

echo "=== batch of small models (median of $repeats runs)"
batch=build/bench-batch
if [ ! -f "$batch.txt" ]; then
  rm -rf "$batch"
  build/release/tools/make_batch_models "$batch" 10000 >"$batch.txt"
fi
cat "$batch.txt"
count=$(find "$batch" -name '*.dff' | wc -l)
bytes=$(find "$batch" -name '*.dff' -printf '%s\n' | awk '{ s += $1 } END { print s }')
cores=$(nproc)
# The shell loop starts a program a model, far slower: it runs over the first
# 1000 models (the folder a00) only, and its rates are of those.
loop_folder=$batch/a00
loop_count=$(find "$loop_folder" -name '*.dff' | wc -l)
loop_bytes=$(find "$loop_folder" -name '*.dff' -printf '%s\n' | awk '{ s += $1 } END { print s }')
loop() { find "$loop_folder" -name '*.dff' | sort | while IFS= read -r m; do "$cli" "$m" || true; done; }
# Seconds of one run of the command, the OBJ files of the last run removed first.
seconds() {
  find "$batch" -name '*.obj' -delete
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
printf '| %-24s | %8s | %10s | %8s |\n' "Run" "s" "models/s" "MB/s"
for run in "-j 1" "-j $cores" "loop"; do
  times=()
  for _ in $(seq "$repeats"); do
    if [ "$run" = loop ]; then
      times+=("$(seconds loop)")
    else
      # shellcheck disable=SC2086
      times+=("$(seconds "$cli" $run --recursive "$batch")")
    fi
  done
  t=$(printf '%s\n' "${times[@]}" | median)
  n=$count b=$bytes
  [ "$run" = loop ] && n=$loop_count b=$loop_bytes && run="loop, $loop_count models"
  awk -v r="$run" -v t="$t" -v n="$n" -v b="$b" \
    'BEGIN { printf "| %-24s | %8.2f | %10.0f | %8.2f |\n", r, t, n / t, b / 1000000 / t }'
done
find "$batch" -name '*.obj' -delete

echo "=== the same batch as one archive against loose files, -j 2 (median of $repeats runs)"
# The archives are written by make_batch_models beside the loose tree. Each
# run's peak resident size is of its largest process (GNU time reports the
# largest of the program and its workers); the target is the largest entry plus 32 MB.
archives=$batch/archives
largest=$(find "$batch" -name '*.dff' -printf '%s\n' | sort -n | tail -1)
clean_batch() {
  find "$batch" -name '*.obj' -delete
  rm -rf "$archives/batch" "$archives/batch-v1"
}
runs=("loose files" "version 2 archive" "version 1 archive" "version 2 archive, --ide")
run_args() {
  case "$1" in
    "loose files") args=(--recursive "$batch") ;;
    "version 2 archive") args=("$archives/batch.img") ;;
    "version 1 archive") args=("$archives/batch-v1.dir") ;;
    *) args=(--ide "$archives/batch.ide" "$archives/batch.img") ;;
  esac
}
# Taken in turn, a round of every run at a time: a change of the machine's load
# falls on all of them alike.
declare -A times peaks
for _ in $(seq "$repeats"); do
  for run in "${runs[@]}"; do
    run_args "$run"
    clean_batch
    /usr/bin/time -f '%e %M' -o "$batch.time" "$cli" -q -j 2 "${args[@]}" >/dev/null 2>&1 || true
    # A failed model makes the exit status 1, and time puts a line saying so first.
    read -r t kb < <(tail -n 1 "$batch.time")
    times[$run]+="$t " peaks[$run]+="$kb "
  done
done
printf '| %-34s | %8s | %10s | %12s |\n' "Run, -j 2" "s" "models/s" "peak RSS MB"
for run in "${runs[@]}"; do
  # shellcheck disable=SC2086
  t=$(printf '%s\n' ${times[$run]} | median)
  # shellcheck disable=SC2086
  kb=$(printf '%s\n' ${peaks[$run]} | sort -g | tail -1)
  awk -v r="$run" -v t="$t" -v n="$count" -v kb="$kb" \
    'BEGIN { printf "| %-34s | %8.2f | %10.0f | %12.1f |\n", r, t, n / t, kb / 1024 }'
done
awk -v b="$largest" 'BEGIN { printf "largest entry %d bytes: peak target %.1f MB\n", b, b / 1048576 + 32 }'
clean_batch

bash scripts/bench-city.sh "$repeats"
