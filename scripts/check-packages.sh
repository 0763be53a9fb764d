#!/usr/bin/env bash
# Checks the packages of scripts/make-packages.sh as a user meets them.
# The .deb: apt-get installs it over an older version, the installed
# vorlund-obj runs from PATH on the samples, man finds its page; then it is
# removed and no file of it stays. The .zip: the files a Windows user needs,
# text with CR LF, the 32-bit programs checked as files (these machines cannot
# run 32-bit Windows code); the same package built for 64-bit Windows is
# unpacked and its programs run under Wine.
# Usage: scripts/check-packages.sh [PACKAGE_DIR]   (as root; default build/packages)
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD
packages=$(realpath "${1:-build/packages}")
version=$(sed -n 's/^project(vorlund_obj VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
failed=0
fail() { echo "FAIL: $*"; failed=1; }
[ "$(id -u)" = 0 ] || { echo "check-packages.sh installs a package: run it as root" >&2; exit 1; }

scratch=$(mktemp -d)
installed_here=0
cleanup() {
  if [ $installed_here = 1 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -q vorlund-obj >/dev/null 2>&1 || true
  fi
  declare -F wine_session_stop >/dev/null && wine_session_stop
  rm -rf "$scratch"
}
trap cleanup EXIT

# ---- the .deb ----------------------------------------------------------------
deb=$packages/vorlund-obj_${version}_amd64.deb
[ -f "$deb" ] || { echo "no $deb: run scripts/make-packages.sh first" >&2; exit 1; }
if dpkg-query -W -f='${Status}' vorlund-obj 2>/dev/null | grep -q "install ok installed"; then
  echo "vorlund-obj is installed on this machine already; remove it before the check" >&2
  exit 1
fi
echo "=== $deb"
depends=$(dpkg-deb -f "$deb" Depends)
echo "depends on: $depends"
for needed in libc6 libstdc++6 libgcc-s1 zlib1g; do
  [[ ", $depends," == *", $needed "* || ", $depends," == *", $needed,"* ]] ||
    fail "the package does not depend on $needed"
done

# An older version to install over: the same package as 0.0.1, with a file
# that the new one no longer has.
dpkg-deb -R "$deb" "$scratch/older"
sed -i 's/^Version: .*/Version: 0.0.1/' "$scratch/older/DEBIAN/control"
echo "an older version" >"$scratch/older/usr/share/doc/vorlund-obj/OLD-NOTES"
find "$scratch/older" -type d -exec chmod 755 {} +
(cd "$scratch/older" && find usr -type f -exec md5sum {} + >DEBIAN/md5sums)
dpkg-deb -b --root-owner-group "$scratch/older" "$scratch/vorlund-obj_0.0.1_amd64.deb" >/dev/null

# Docker-like images tell dpkg to leave out manual pages and documentation;
# a package's own paths can be taken back in.
apt_install() {
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    -o DPkg::Options::=--path-include='/usr/share/man/man1/vorlund-obj.1*' \
    -o DPkg::Options::=--path-include='/usr/share/doc/vorlund-obj/*' "$@" >"$scratch/apt.log" 2>&1 ||
    { cat "$scratch/apt.log"; return 1; }
}
installed_version() { dpkg-query -W -f='${Version}' vorlund-obj 2>/dev/null || true; }

installed_here=1
apt_install "$scratch/vorlund-obj_0.0.1_amd64.deb"
[ "$(installed_version)" = 0.0.1 ] || fail "the older version did not install"
apt_install "$deb"
[ "$(installed_version)" = "$version" ] || fail "installed over 0.0.1, the version is $(installed_version)"
[ ! -e /usr/share/doc/vorlund-obj/OLD-NOTES ] || fail "the older version's OLD-NOTES stayed"
mapfile -t files < <(dpkg -L vorlund-obj)
for want in /usr/bin/vorlund-obj /usr/share/man/man1/vorlund-obj.1 \
  /usr/share/bash-completion/completions/vorlund-obj /usr/share/doc/vorlund-obj/README.md \
  /usr/share/doc/vorlund-obj/LICENCES.txt; do
  printf '%s\n' "${files[@]}" | grep -qx "$want" || fail "dpkg -L does not list $want"
  [ -f "$want" ] || fail "$want is not on disk"
done

# The installed program, from PATH, on the samples, far from this folder.
program=$(cd / && command -v vorlund-obj || true)
[ "$program" = /usr/bin/vorlund-obj ] || fail "vorlund-obj on PATH is '$program'"
[ "$(cd / && vorlund-obj --version)" = "vorlund-obj $version" ] || fail "--version: $(vorlund-obj --version)"
cp "$source"/samples/*.dff "$source"/samples/*.txd "$scratch/"
status=0
(cd / && vorlund-obj -q -o "$scratch/out" "$scratch"/*.dff) || status=$?
[ $status = 0 ] || fail "the installed vorlund-obj converted the samples with status $status"
for sample in "$source"/samples/*.dff; do
  obj=$scratch/out/$(basename "$sample").obj
  [ -s "$obj" ] || fail "no $obj"
done
echo "the installed vorlund-obj converted $(ls "$scratch"/out/*.obj | wc -l) samples into $(ls "$scratch"/out | wc -l) files"
page=$(man -w vorlund-obj 2>/dev/null || true)
[ "$page" = /usr/share/man/man1/vorlund-obj.1 ] || fail "man -w vorlund-obj finds '$page'"
bash -c 'source /usr/share/bash-completion/completions/vorlund-obj && complete -p vorlund-obj' \
  >/dev/null || fail "the completion does not load"

DEBIAN_FRONTEND=noninteractive apt-get purge -y -q vorlund-obj >/dev/null
installed_here=0
[ -z "$(installed_version)" ] || dpkg-query -W -f='${Status}' vorlund-obj | grep -q not-installed ||
  fail "the package is still installed"
for f in "${files[@]}"; do
  case $f in /usr/bin/vorlund-obj | */vorlund-obj.1 | */completions/vorlund-obj | /usr/share/doc/vorlund-obj*)
    [ ! -e "$f" ] || fail "$f stayed after the removal" ;;
  esac
done
echo "installed over 0.0.1, ran from PATH, removed: none of its ${#files[@]} paths stayed"

# ---- the .zip ----------------------------------------------------------------
# The files of a Windows package, in its top folder NAME.
zip_files() {
  printf '%s\n' "$1/LICENCES.txt" "$1/README.txt" "$1/licences/gcc-runtime-library-exception.txt" \
    "$1/licences/mingw-w64-runtime.txt" "$1/licences/stb_image.txt" "$1/licences/zlib.txt" "$1/vorlund-obj.exe" \
    "$1/vorlund-window.exe"
}
# Unpacks ZIP into a folder of its own; checks its files and their line ends.
unpack_zip() {
  local zip=$1 name
  name=$(basename "$zip" .zip)
  unzip -q "$zip" -d "$scratch/$name"
  local got
  got=$(cd "$scratch/$name" && find . -type f -printf '%P\n' | sort)
  [ "$got" = "$(zip_files "$name")" ] || fail "$zip holds:"$'\n'"$got"
  local text
  for text in "$scratch/$name/$name"/*.txt "$scratch/$name/$name"/licences/*.txt; do
    [ -s "$text" ] || { fail "$text is empty"; continue; }
    # Every line ends with CR LF, and the file with a line end.
    ! grep -qv $'\r$' "$text" || fail "$text has lines without CR LF"
    [ "$(tail -c 1 "$text" | od -An -c | tr -d ' ')" = '\n' ] || fail "$text does not end with a line end"
  done
  unpacked=$scratch/$name/$name
}

zip32=$packages/vorlund-obj-$version-win32.zip
[ -f "$zip32" ] || { echo "no $zip32: run scripts/make-packages.sh first" >&2; exit 1; }
echo "=== $zip32"
unpack_zip "$zip32"
cmp -s "$unpacked/README.txt" <(sed 's/$/\r/' README.md) || fail "README.txt is not README.md with CR LF"
bash tests/windows/check_program_file.sh i686-w64-mingw32-objdump "$unpacked/vorlund-window.exe" pei-i386 ||
  failed=1
dump=$(i686-w64-mingw32-objdump -p "$unpacked/vorlund-obj.exe")
grep -qE '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$dump" || fail "vorlund-obj.exe is not PE32"
grep -qE '^Subsystem[[:space:]]+00000003[[:space:]]+\(Windows CUI\)' <<<"$dump" ||
  fail "vorlund-obj.exe is not a console program"
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr 'a-z' 'A-Z' | sort -u | tr '\n' ' ')
for dll in $imports; do
  case $dll in KERNEL32.DLL | USER32.DLL | MSVCRT.DLL) ;; *) fail "vorlund-obj.exe imports $dll" ;; esac
done
echo "vorlund-obj.exe: PE32, console, system DLLs only ($imports)"

# The 64-bit build packed the same way, run under Wine.
win64=$source/build/win64
driver=$win64/tests/windows/window_driver.exe
if [ ! -f "$win64/CPackConfig.cmake" ] || [ ! -f "$driver" ]; then
  fail "no 64-bit Windows build with its window driver: run scripts/run-windows-tests.sh first"
else
  cpack --config "$win64/CPackConfig.cmake" -B "$scratch/win64" >/dev/null
  zip64=$scratch/win64/vorlund-obj-$version-win64.zip
  echo "=== $(basename "$zip64"), under Wine"
  unpack_zip "$zip64"
  # shellcheck source=scripts/wine-session.sh
  source scripts/wine-session.sh
  wine_session_start
  wine=(bash tests/windows/run_in_wine.sh)
  windows_path() { local p=${1//\//\\}; echo "Z:$p"; }
  windows_models=()
  for sample in "$scratch"/*.dff; do windows_models+=("$(windows_path "$sample")"); done
  got=$("${wine[@]}" "$unpacked/vorlund-obj.exe" --version | tr -d '\r')
  [ "$got" = "vorlund-obj $version" ] || fail "the packaged vorlund-obj.exe --version says '$got'"
  mkdir -p "$scratch/wine-out"
  status=0
  "${wine[@]}" "$unpacked/vorlund-obj.exe" -q -o "$(windows_path "$scratch/wine-out")" "${windows_models[@]}" ||
    status=$?
  [ $status = 0 ] || fail "the packaged vorlund-obj.exe converted the samples with status $status"
  # The same files as the installed Linux program wrote, the same OBJ text
  # apart from line ends and the comments, which name the models by path.
  [ "$(ls "$scratch/wine-out")" = "$(ls "$scratch/out")" ] ||
    fail "the packaged vorlund-obj.exe wrote $(ls "$scratch/wine-out" | tr '\n' ' ')"
  for sample in "$source"/samples/*.dff; do
    obj=$(basename "$sample").obj
    cmp -s <(tr -d '\r' <"$scratch/wine-out/$obj" | grep -v '^#') <(grep -v '^#' "$scratch/out/$obj") ||
      fail "the packaged vorlund-obj.exe's $obj differs from the Linux one's"
  done
  "${wine[@]}" "$driver" startup "$unpacked/vorlund-window.exe" || fail "the packaged window program"
fi

[ $failed = 0 ] && echo "the packages are good"
exit $failed
