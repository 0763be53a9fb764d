#!/usr/bin/env bash
# One sample model through the window program under Wine, one button after the
# other, against the OBJ text that the Linux command line writes for each button.
# Usage: convert_sample_test.sh LINUX_CLI DRIVER PROGRAM SAMPLE SCRATCH [PICTURE.bmp]
set -euo pipefail
cli=$1 driver=$2 program=$3 sample=$4 scratch=$5 picture=${6:-}
name=$(basename "$sample" .dff)
if [ ! -x "$cli" ]; then
  echo "no Linux command line at $cli: build the release preset first"
  exit 1
fi
work=$scratch/$name
rm -rf "$work"
mkdir -p "$work/reference" "$work/linux" "$work/window"

# What each button writes on Linux; with a button named, doubtful output stays
# in the file, as the window leaves it while it says "There were errors!".
# --exact-text: the window's own text, without the command line's vertices-first order.
for n in 1 2 3 4; do
  cp "$sample" "$work/linux/$name.dff"
  code=0
  "$cli" --exact-text --button "go$n" "$work/linux/$name.dff" 2>"$work/reference/go$n.stderr" || code=$?
  case $code in
    0) echo clean >"$work/reference/go$n.status" ;;
    1) echo doubtful >"$work/reference/go$n.status" ;;
    *) echo "the Linux command line failed on go$n (exit $code):"; cat "$work/reference/go$n.stderr"
       exit 1 ;;
  esac
  mv "$work/linux/$name.dff.obj" "$work/reference/go$n.obj"
done

cp "$sample" "$work/window/$name.dff"
exec bash "$(dirname "$0")/run_in_wine.sh" "$driver" convert "$program" "$work/window/$name.dff" \
  "$work/reference" $picture
