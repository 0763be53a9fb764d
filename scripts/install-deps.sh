#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
# Usage: scripts/install-deps.sh [core|packages|windows|fuzz|blender|all]   (default: all)
set -euo pipefail
what=${1:-all}

core=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev libtinyobjloader-dev libstb-dev
      nlohmann-json3-dev zlib1g-dev time)
# The glTF validator the tests run is an npm package: node and npm, unless a
# node with its npm is there already (a Debian npm would not go with it).
command -v npm >/dev/null || core+=(nodejs npm)
# assimp, the second importer the tests run on the collision files.
core+=(assimp-utils)
# Making and checking the packages: dpkg-shlibdeps for the .deb's dependencies,
# man for the installed manual page, unzip for the Windows package.
packages=(dpkg-dev man-db unzip)
windows=(g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 libz-mingw-w64-dev wine wine64 fonts-wine
         xvfb x11-utils x11-apps imagemagick)
fuzz=(clang libclang-rt-14-dev)
# The modelling program whose OBJ and glTF importers the tests run headless
# (about 600 MB); its glTF importer needs numpy.
blender=(blender python3-numpy)

case $what in
  core) want=("${core[@]}") ;;
  packages) want=("${packages[@]}") ;;
  windows) want=("${windows[@]}") ;;
  fuzz) want=("${fuzz[@]}") ;;
  blender) want=("${blender[@]}") ;;
  all) want=("${core[@]}" "${packages[@]}" "${windows[@]}" "${fuzz[@]}" "${blender[@]}") ;;
  *) echo "usage: $0 [core|packages|windows|fuzz|blender|all]" >&2; exit 2 ;;
esac

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
