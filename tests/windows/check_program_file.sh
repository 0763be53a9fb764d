#!/usr/bin/env bash
# Checks the Windows program file without running it: its format, the GUI
# subsystem, imports from system DLLs only, and its resources (the menu
# MAINMENU and icon group 5000, US English, nothing else).
# Usage: check_program_file.sh OBJDUMP PROGRAM.exe FORMAT   (pei-i386 or pei-x86-64)
set -euo pipefail
objdump=$1 program=$2 format=$3
dump=$("$objdump" -p "$program")
failed=0
fail() { echo "FAIL: $*"; failed=1; }

grep -q "file format $format\$" <<<"$dump" || fail "not of format $format"
if [ "$format" = pei-i386 ]; then
  grep -qE '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$dump" || fail "not PE32"
fi
grep -qE '^Subsystem[[:space:]]+00000002[[:space:]]+\(Windows GUI\)' <<<"$dump" ||
  fail "not a GUI program"

# The C and C++ runtimes are linked in: only the system's own DLLs remain.
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr 'a-z' 'A-Z' | sort -u)
for dll in $imports; do
  case $dll in
    KERNEL32.DLL | USER32.DLL | GDI32.DLL | COMDLG32.DLL | MSVCRT.DLL) ;;
    *) fail "imports $dll" ;;
  esac
done
for dll in KERNEL32.DLL USER32.DLL COMDLG32.DLL; do
  grep -qx "$dll" <<<"$imports" || fail "does not import $dll"
done

# The resource directory: types ICON (3), MENU (4) and GROUP_ICON (14) only,
# the menu named MAINMENU, the icon group 5000 (0x1388), every language 0x409.
resources=$(sed -n '/The .rsrc Resource Directory section:/,$p' <<<"$dump")
[ -n "$resources" ] || fail "no resources"
types=$(grep -oE '^0[0-9a-f]{2}   Entry: ID: 0x[0-9a-f]+' <<<"$resources" | awk '{print $4}' | tr '\n' ' ')
[ "$types" = "0x000003 0x000004 0x00000e " ] || fail "resource types are $types"
grep -q 'name: .*: MAINMENU, Value' <<<"$resources" || fail "no menu MAINMENU"
grep -qE '^0[0-9a-f]{2}     Entry: ID: 0x001388' <<<"$resources" || fail "no icon group 5000"
languages=$(grep -oE 'Entry: ID: 0x[0-9a-f]+, Value: 0x0000' <<<"$resources" | awk '{print $3}' |
  sort -u | tr '\n' ' ')
[ "$languages" = "0x000409, " ] || fail "resource languages are $languages"
# One icon image: 40 header bytes, 256 palette entries, 32 x 32 pixels and mask.
grep -qE 'Leaf: Addr: 0x[0-9a-f]+, Size: 0x0008a8' <<<"$resources" ||
  fail "the icon image is not 32 x 32 with 256 colours"

[ $failed = 0 ] && echo "$program: $format, GUI, system DLLs only ($(echo $imports)), MAINMENU and icon 5000"
exit $failed
