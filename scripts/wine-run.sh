#!/usr/bin/env bash
# Runs one Windows program under 64-bit Wine with the test run's settings, under
# an outer time limit so that a hang fails instead of blocking the run.
# scripts/test.sh exports WINEPREFIX, DISPLAY and the rest; run alone, this
# refuses rather than touch the user's own prefix.
set -u
if [ -z "${LARKSPUR_WINE_READY:-}" ]; then
  echo "wine-run.sh: run the tests through scripts/test.sh (no prepared Wine prefix)" >&2
  exit 125
fi
exec timeout --kill-after=10 "${LARKSPUR_WINE_TIMEOUT:-480}" /usr/lib/wine/wine64 "$@"
