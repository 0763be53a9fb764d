#!/usr/bin/env bash
# Makes the packages: the .deb of the command line for Debian 12 (amd64) and
# the .zip for Windows with the 32-bit window program and the 32-bit
# vorlund-obj.exe. Both land in build/packages/ (or the folder named).
# Usage: scripts/make-packages.sh [OUTPUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/packages}")

bash scripts/install-deps.sh core
bash scripts/install-deps.sh packages
bash scripts/install-deps.sh windows
jobs=$(nproc)
mkdir -p "$out"

# cpack from a build folder: its configuration, its package into $out.
pack() {
  local build=$1
  cpack --config "$build/CPackConfig.cmake" -B "$out/staging" >/dev/null
  mv "$out"/staging/*.{deb,zip} "$out"/ 2>/dev/null || true
  rm -rf "$out/staging"
}

echo "=== the .deb (release build)"
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" --target vorlund-obj
rm -f "$out"/vorlund-obj_*.deb
pack build/release

echo "=== the .zip (win32 build)"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs" --target vorlund-obj vorlund_window
rm -f "$out"/vorlund-obj-*-win32.zip
pack build/win32

ls -l "$out"/*.deb "$out"/*-win32.zip
