#!/usr/bin/env bash
# Speed of map scenes: a generated city (tools/make_city: 3,000 models placed
# 30,000 times across 20 placement files, build/bench-city) converted as its
# models alone (-j 1, one OBJ file each), as one OBJ scene, as one glb scene
# and as both in one run; each run's seconds, peak resident size and output.
# Run by scripts/run-benchmarks.sh after the release build; alone:
# Usage: scripts/bench-city.sh [REPEATS]   (default 3; the median is shown)
set -euo pipefail
cd "$(dirname "$0")/.."
repeats=${1:-3}
cli=build/release/cli/vorlund-obj
cmake --build --preset release -j "$(nproc)" --target make_city vorlund-obj >/dev/null
echo "=== a generated city: 3,000 models placed 30,000 times across 20 placement files (median of $repeats runs)"
city=build/bench-city
if [ ! -f "$city.txt" ]; then
  rm -rf "$city"
  build/release/tools/make_city "$city" >"$city.txt"
fi
cat "$city.txt"
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# "SECONDS PEAK_KB" of one run, the city's output removed first.
city_run() {
  rm -rf "$city/out"
  /usr/bin/time -f '%e %M' -o "$city/time" "$cli" "$@" >/dev/null 2>&1 || true
  tail -n 1 "$city/time"
}
map=(-q --map "$city"/maps/district*.ipl --ide "$city/city.ide" -o "$city/out")
printf '| %-34s | %8s | %12s | %10s | %s\n' "Run" "s" "peak RSS MB" "output MB" "scene files"
for run in models obj glb obj,glb; do
  times=() peaks=()
  # Rounds: a change of the machine's load falls on every run alike.
  for _ in $(seq "$repeats"); do
    if [ "$run" = models ]; then
      read -r t kb < <(city_run -q -j 1 -o "$city/out" "$city/models")
    else
      read -r t kb < <(city_run "${map[@]}" -f "$run" "$city/models")
    fi
    times+=("$t") peaks+=("$kb")
  done
  t=$(printf '%s\n' "${times[@]}" | median)
  kb=$(printf '%s\n' "${peaks[@]}" | median)
  mb=$(du -sm "$city/out" | cut -f1)
  files=$(cd "$city/out" && for f in map.obj map.glb; do [ -f "$f" ] && printf '%s %s MB ' "$f" \
    "$(awk -v b="$(stat -c %s "$f")" 'BEGIN { printf "%.1f", b / 1048576 }')"; done; true)
  case $run in
    models) label="the 3,000 models alone, -j 1" ;;
    obj) label="--map, one OBJ scene" ;;
    glb) label="--map -f glb, one glb scene" ;;
    *) label="--map -f obj,glb, both" ;;
  esac
  printf '| %-34s | %8.2f | %12.1f | %10s | %s\n' "$label" "$t" "$(awk -v k="$kb" 'BEGIN { print k / 1024 }')" "$mb" "$files"
done
rm -rf "$city/out" "$city/time"
