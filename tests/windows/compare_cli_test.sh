#!/usr/bin/env bash
# The Windows build of vorlund-obj, under Wine, writes the same OBJ text as the
# Linux build for every model and button (line ends and the header line, which
# names the model by its path, aside), says the same on stderr and ends with the
# same exit status, the Windows build converting with two worker processes.
# Usage: compare_cli_test.sh LINUX_CLI WINDOWS_CLI SCRATCH MODEL...
set -euo pipefail
linux_cli=$1 windows_cli=$2 scratch=$3
shift 3
wine=$(dirname "$0")/run_in_wine.sh
if [ ! -x "$linux_cli" ]; then
  echo "no Linux command line at $linux_cli: build the release preset first"
  exit 1
fi
windows_path() { local p=${1//\//\\}; echo "Z:$p"; }

failed=0 compared=0
for n in 1 2 3 4; do
  work=$scratch/cli-go$n
  rm -rf "$work"
  mkdir -p "$work/linux" "$work/windows"
  linux_models=() windows_models=()
  for model in "$@"; do
    # Links, not copies: the OBJ files go beside them, the models stay where they are.
    ln -s "$model" "$work/linux/$(basename "$model")"
    ln -s "$model" "$work/windows/$(basename "$model")"
    linux_models+=("$work/linux/$(basename "$model")")
    windows_models+=("$(windows_path "$work/windows/$(basename "$model")")")
  done
  linux_code=0 windows_code=0
  # One job on Linux, two worker processes on Windows: the workers' pipes and
  # their order must not change a line or a byte.
  "$linux_cli" -j 1 --button "go$n" "${linux_models[@]}" 2>"$work/linux.stderr" || linux_code=$?
  bash "$wine" "$windows_cli" -j 2 --button "go$n" "${windows_models[@]}" 2>"$work/windows.stderr" ||
    windows_code=$?
  if [ "$linux_code" != "$windows_code" ]; then
    echo "FAIL: go$n: exit status $windows_code on Windows, $linux_code on Linux"
    cat "$work/windows.stderr"
    failed=1
  fi
  # The same messages, the paths in them aside.
  windows_folder=$(windows_path "$work/windows/")
  while IFS= read -r line; do
    line=${line%$'\r'}
    echo "${line//"$windows_folder"/"$work/linux/"}"
  done <"$work/windows.stderr" >"$work/windows.messages"
  if ! cmp -s "$work/linux.stderr" "$work/windows.messages"; then
    echo "FAIL: go$n: the messages differ:"
    diff "$work/linux.stderr" "$work/windows.messages" | head -10
    failed=1
  fi
  for model in "$@"; do
    name=$(basename "$model")
    linux_obj=$work/linux/$name.obj windows_obj=$work/windows/$name.obj
    if [ ! -f "$windows_obj" ] || [ ! -f "$linux_obj" ]; then
      echo "FAIL: go$n $name: no OBJ file ($windows_obj, $linux_obj)"
      failed=1
      continue
    fi
    if [ -s "$windows_obj" ] && ! grep -q $'\r$' "$windows_obj"; then
      echo "FAIL: go$n $name: the Windows OBJ file has no CR LF line ends"
      failed=1
    fi
    if ! cmp -s <(tail -n +2 "$linux_obj") <(tail -n +2 "$windows_obj" | sed 's/\r$//'); then
      echo "FAIL: go$n $name: the OBJ text differs:"
      diff <(tail -n +2 "$linux_obj") <(tail -n +2 "$windows_obj" | sed 's/\r$//') | head -10
      failed=1
    fi
    compared=$((compared + 1))
  done
done
echo "$compared OBJ files compared ($# models, 4 buttons)"
exit $failed
