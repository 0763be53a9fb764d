#!/usr/bin/env bash
# Runs Blender once, headless, over the OBJ files of a manifest (see
# import_check.py) and passes only when every file imports as expected and the
# closing result line says so: Blender may end with 0 though the script failed.
# Usage: blender_check.sh MANIFEST LOG        BLENDER names the program (default blender)
# Exit status 77 when Blender is missing.
set -uo pipefail
manifest=$1 log=$2
blender=${BLENDER:-blender}
if ! command -v "$blender" >/dev/null; then
  echo "SKIP: no $blender (bash scripts/install-deps.sh blender)"
  exit 77
fi
expected=$(grep -c . "$manifest")
"$blender" -b --factory-startup --python-exit-code 1 \
  --python "$(dirname "$0")/import_check.py" -- "$manifest" >"$log" 2>&1
code=$?
grep '^RESULT' "$log"
if [ $code != 0 ] || ! grep -qx "RESULT files=$expected failed=0" "$log"; then
  echo "FAIL: Blender ended with $code; its output is in $log"
  grep -m 5 -i 'invalid\|error' "$log"
  exit 1
fi
