#!/usr/bin/env bash
# Runs one Windows program under Wine with the test run's settings, under an
# outer time limit so that a hang fails instead of blocking the run. Wine's
# 64-bit loader hands a 32-bit program to the 32-bit loader (wine32), so this
# serves the x86_64 and the i686 build trees alike.
# scripts/test.sh exports WINEPREFIX, DISPLAY and the rest; run alone, this
# refuses rather than touch the user's own prefix.
set -u
if [ -z "${LARKSPUR_WINE_READY:-}" ]; then
  echo "wine-run.sh: run the tests through scripts/test.sh (no prepared Wine prefix)" >&2
  exit 125
fi
exec timeout --kill-after=10 "${LARKSPUR_WINE_TIMEOUT:-480}" /usr/lib/wine/wine64 "$@"
