#!/usr/bin/env bash
# Runs one Windows program in the Wine session that scripts/run-windows-tests.sh
# starts (virtual display, our own prefix), with a timeout: a hung window never
# ends on its own.
set -u
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "no Wine session: run these tests through scripts/run-windows-tests.sh" >&2
  exit 1
fi
exec timeout -k 5 "${WINE_TIMEOUT:-180}" wine "$@"
