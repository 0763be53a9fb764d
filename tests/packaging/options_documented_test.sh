#!/usr/bin/env bash
# Every option that --help lists is described in the manual page, completed
# by the bash completion and has a row in the options table of docs/options.md;
# the buttons of -b complete after -b and --button=.
# Usage: options_documented_test.sh PROGRAM MANUAL_PAGE.1.in COMPLETION OPTIONS_PAGE.md
set -euo pipefail
program=$1 page=$2 completion=$3 options_page=$4
failed=0
fail() { echo "FAIL: $*"; failed=1; }

help=$("$program" --help)
# The option lines: "  -b, --button BUTTON  ..." or "      --local  ...".
mapfile -t options < <(grep -oE '^ {2,6}(-[[:alnum:]], )?--[[:alnum:]][-[:alnum:]]*' <<<"$help" |
  tr -d ' ' | tr ',' '\n')
[ ${#options[@]} -ge 15 ] || fail "only ${#options[@]} options found in --help: ${options[*]}"
# The buttons, from the usage line: "[-b structure|go1|...|auto]".
mapfile -t buttons < <(grep -oE '\[-b [a-z0-9|]+\]' <<<"$help" | head -1 | tr -d '[]' |
  sed 's/^-b //' | tr '|' '\n')
[ ${#buttons[@]} -ge 2 ] || fail "no buttons found in the usage line"

manual=$(sed 's/\\-/-/g' "$page")
# The first cells of the options table's rows: "| `-b`, `--button auto` |".
table=$(grep -oE '^\| [^|]+\|' "$options_page")
# shellcheck source=/dev/null
source "$completion"
# What the completion offers for the last word of a command line.
offered() {
  COMP_WORDS=(vorlund-obj "$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _vorlund_obj
  printf '%s\n' "${COMPREPLY[@]}" | sort
}

for option in "${options[@]}"; do
  grep -qE -- "(^|[^-[:alnum:]])$option([^-[:alnum:]]|\$)" <<<"$manual" ||
    fail "the manual page does not describe $option"
  offered "$option" | grep -qx -- "$option" || fail "the completion does not offer $option"
  grep -qE -- "\`$option[\` ]" <<<"$table" || fail "$options_page has no row for $option"
done
want=$(printf '%s\n' "${buttons[@]}" | sort)
for words in "-b|" "--button|" "-q|-b|"; do
  IFS='|' read -ra line <<<"$words"
  got=$(offered "${line[@]}" "")
  [ "$got" = "$want" ] || fail "after '${line[*]}' the completion offers $(echo $got), not $(echo $want)"
done
got=$(offered --button=g | sed 's/^--button=//' | tr '\n' ' ')
[ "$got" = "go1 go2 go3 go4 " ] || fail "--button=g completes to $got"
for button in "${buttons[@]}"; do
  grep -qw -- "$button" <<<"$manual" || fail "the manual page does not name the button $button"
done

[ $failed = 0 ] && echo "${#options[@]} options and ${#buttons[@]} buttons in the manual page and the completion"
exit $failed
