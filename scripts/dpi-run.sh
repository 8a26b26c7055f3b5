#!/usr/bin/env bash
# Runs one Windows program under Wine as on a display scaled to DPI dots per
# inch: sets LogPixels in the test prefix (Wine 8 takes the system DPI, and
# the fonts' with it, from HKCU\Control Panel\Desktop; the fonts key under
# HKLM alone changes nothing, it is kept in step), restarts the prefix's
# server so that every process starts at that DPI, and runs the program on
# an X display of its own, large enough for a window scaled to 200 %.
# Afterwards the prefix is at 96 DPI again. Run through scripts/test.sh (it prepares the prefix).
#
#   dpi-run.sh DPI PROGRAM [ARGS...]
set -u
if [ -z "${LARKSPUR_WINE_READY:-}" ] || [ -z "${WINEPREFIX:-}" ] || [ $# -lt 2 ]; then
  echo "usage: dpi-run.sh DPI PROGRAM [ARGS...], through scripts/test.sh" >&2
  exit 125
fi
dpi=$1
shift
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver

# Wine's processes must never hold this script's output open: CTest waits
# for it to close.
set_dpi() {
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  "$wine" reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels \
    /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  "$server" -k >/dev/null 2>&1
  "$server" -w >/dev/null 2>&1
}

old_display=${DISPLAY:-}
start_xvfb 2560x1600

# The desktop process that the program's first window starts lives as long
# as the server and keeps the output it was given: the program writes to a
# file, shown afterwards.
output=$(mktemp)
set_dpi "$dpi"
timeout --kill-after=10 "${LARKSPUR_WINE_TIMEOUT:-480}" "$wine" "$@" >"$output" 2>&1
code=$?
cat "$output"
rm -f "$output"
set_dpi 96
# The run's own server again, as scripts/test.sh keeps it, with its desktop
# started here so that no later test's output is held open by it.
export DISPLAY=$old_display
"$server" -p >/dev/null 2>&1 </dev/null
"$wine" rundll32.exe user32.dll,GetDesktopWindow >/dev/null 2>&1 </dev/null
kill "$xvfb_pid" 2>/dev/null
wait "$xvfb_pid" 2>/dev/null
exit "$code"
