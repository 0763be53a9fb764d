#!/usr/bin/env bash
# Builds the window program for 32-bit Windows (as shipped) and 64-bit Windows,
# checks the 32-bit program file, and runs the Windows tests on the 64-bit build
# under Wine in a virtual X display (these machines cannot run 32-bit Windows code).
# Usage: scripts/run-windows-tests.sh [--update-pictures]
#   --update-pictures   copies the screenshots taken by the tests into docs/
set -euo pipefail
cd "$(dirname "$0")/.."
update_pictures=0
[ "${1:-}" = --update-pictures ] && update_pictures=1

bash scripts/install-deps.sh core
bash scripts/install-deps.sh windows
jobs=$(nproc)

# The Windows build's OBJ text is compared with the Linux command line's.
if [ -f cli/CMakeLists.txt ]; then
  echo "=== the Linux command line, for reference"
  cmake --preset release >/dev/null
  cmake --build --preset release -j "$jobs" --target vorlund-obj
fi

for preset in win32 win64; do
  echo "=== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

echo "=== win32: the program as shipped, checked statically"
ctest --preset win32

echo "=== win64: under Wine"
# shellcheck source=scripts/wine-session.sh
source scripts/wine-session.sh
trap wine_session_stop EXIT
wine_session_start
# One display and one prefix: the tests run one after the other.
ctest --preset win64

for bmp in build/win64/pictures/*.bmp; do
  [ -e "$bmp" ] || continue
  /usr/bin/convert "$bmp" -strip "${bmp%.bmp}.png"
  if [ $update_pictures = 1 ]; then
    cp "${bmp%.bmp}.png" docs/
    echo "updated docs/$(basename "${bmp%.bmp}.png")"
  fi
done
