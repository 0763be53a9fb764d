#!/usr/bin/env bash
# cmake --install puts the program, its manual page, the completion, the
# README with the pages and pictures of docs/ and the licences where a Linux
# system looks for them, with the project's version in the program and the
# manual page.
# Usage: install_tree_test.sh BUILD_DIR SCRATCH_DIR VERSION SOURCE_DIR
set -euo pipefail
build=$1 root=$2 version=$3 source=$4
failed=0
fail() { echo "FAIL: $*"; failed=1; }

rm -rf "$root"
cmake --install "$build" --prefix "$root/usr/local" >/dev/null
cd "$root/usr/local"
want="bin/vorlund-obj
share/bash-completion/completions/vorlund-obj
share/doc/vorlund-obj/LICENCES.txt
share/doc/vorlund-obj/README.md
share/doc/vorlund-obj/gcc-runtime-library-exception.txt
share/doc/vorlund-obj/stb_image.txt
share/man/man1/vorlund-obj.1"
docs=$(cd "$source/docs" && find . -maxdepth 1 -type f \( -name '*.md' -o -name '*.png' \) -printf 'share/doc/vorlund-obj/docs/%P\n')
[ -n "$docs" ] || fail "no pages in $source/docs"
want=$(printf '%s\n%s\n' "$want" "$docs" | sort)
got=$(find . -type f -printf '%P\n' | sort)
[ "$got" = "$want" ] || fail "installed files:"$'\n'"$got"
[ -x bin/vorlund-obj ] || fail "bin/vorlund-obj is not executable"
[ "$(bin/vorlund-obj --version)" = "vorlund-obj $version" ] || fail "--version says $(bin/vorlund-obj --version)"
grep -q "^\.TH VORLUND-OBJ 1 .*\"vorlund-obj $version\"" share/man/man1/vorlund-obj.1 ||
  fail "the manual page does not carry version $version"
if command -v man >/dev/null; then
  # The page must format without a warning.
  warnings=$(MANWIDTH=80 man --warnings -l share/man/man1/vorlund-obj.1 2>&1 >/dev/null || true)
  [ -z "$warnings" ] || fail "the manual page formats with warnings: $warnings"
fi
rm -rf "$root"
[ $failed = 0 ] && echo "installed under $root/usr/local: $(echo $want)"
exit $failed
