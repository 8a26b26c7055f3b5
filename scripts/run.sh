#!/usr/bin/env bash
# Runs Larkspur against the bundled service simulator in demo mode: installs
# what is missing, builds the simulator and Larkspur.exe, prepares a Wine
# prefix of its own that trusts the simulator's certificate authority, and
# starts the program signed in to the demo account.
#
# On a usable X display the window appears there. Without one the program
# runs on a private Xvfb, and once the timeline has loaded a screenshot is
# saved to build/screenshots/larkspur-run.png. Ctrl+C, or closing the
# window, stops everything the script started.
#
#   bash scripts/run.sh               run until Ctrl+C or the window closes
#   bash scripts/run.sh --screenshot  private display, screenshot, then stop
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

screenshot_only=0
case "${1:-}" in
  "") ;;
  --screenshot) screenshot_only=1 ;;
  *)
    echo "usage: $0 [--screenshot]" >&2
    exit 2
    ;;
esac

run_prefix="$build/wine-run"
run_log="$build/run.log"
exe="$build/run64/src/app/Larkspur.exe"
shot="$build/screenshots/larkspur-run.png"

# Runs a command with its output in the run's log; shows the log's end when
# it fails.
quietly() {
  if ! "$@" >>"$run_log" 2>&1; then
    echo "failed: $*" >&2
    tail -n 40 "$run_log" >&2
    return 1
  fi
}

bash "$root/scripts/setup.sh"

mkdir -p "$build"
: >"$run_log"
port=$(free_port "${LARKSPUR_PORT:-47110}")
echo "== building the simulator (build/run-native; output in build/run.log)"
quietly cmake -S "$root" -B "$build/run-native" -DCMAKE_BUILD_TYPE=Release -DLARKSPUR_SITE=ON -DLARKSPUR_TESTS=OFF
quietly cmake --build "$build/run-native" --target larkspur-site -j"$jobs"
quietly make_certs
echo "== building Larkspur.exe for web host localhost:$port (build/run64)"
# The certificate tool lives with the tests: configure them, build only it
# and the program.
quietly cmake -S "$root" -B "$build/run64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DLARKSPUR_TESTS=ON -DLARKSPUR_WEB_HOST="localhost:$port"
quietly cmake --build "$build/run64" --target Larkspur add_root_cert -j"$jobs"

site_pid=""
xvfb_pid=""
program_pid=""
wine_started=0
cleanup() {
  trap - EXIT INT TERM
  echo "== stopping"
  if [ -n "$program_pid" ]; then
    kill "$program_pid" 2>/dev/null || true
  fi
  if [ "$wine_started" -eq 1 ]; then
    # Every Wine process of the run's prefix, the server last.
    WINEPREFIX="$run_prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
    WINEPREFIX="$run_prefix" timeout 10 /usr/lib/wine/wineserver -w 2>/dev/null || true
  fi
  if [ -n "$site_pid" ]; then
    kill "$site_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
  fi
  wait 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

headless=1
if [ "$screenshot_only" -eq 0 ] && display_usable; then
  headless=0
  echo "== the window opens on display $DISPLAY"
else
  start_xvfb
  echo "== no display in use: a private Xvfb on $DISPLAY"
fi

wine_started=1
if prefix_trusts_ca "$run_prefix"; then
  echo "== Wine prefix build/wine-run (kept: it trusts the current CA)"
  quietly reuse_prefix "$run_prefix" "$build/run64/tests/add_root_cert.exe"
else
  echo "== Wine prefix build/wine-run (new, trusting the current CA; takes a few seconds)"
  quietly reuse_prefix "$run_prefix" "$build/run64/tests/add_root_cert.exe"
  # Links open in the desktop's browser, not in the tests' recorder.
  /usr/lib/wine/wine64 reg delete 'HKCU\Software\Wine\WineBrowser' /f >/dev/null 2>&1 || true
fi

start_site "$build/run-native" "$port" --demo
echo "== the demo site runs at http://localhost:$port/ (account demo / demo)"

# The demo account, so that no settings dialog opens.
printf '[ACCOUNT]\r\nUSER=demo\r\nPASS=demo\r\n[TWITTER]\r\nRELOAD_TIMELINE=10\r\n' >"${exe%.exe}.ini"
echo "== starting Larkspur.exe"
(cd "$(dirname "$exe")" && exec /usr/lib/wine/wine64 Larkspur.exe) >>"$run_log" 2>&1 &
program_pid=$!

if [ "$headless" -eq 1 ]; then
  echo "== waiting for the sign-in and the timeline"
  if ! wait_for_request "$port" '^https POST /sessions 302' 60 || ! wait_for_request "$port" ' GET /images/' 60; then
    echo "the program did not sign in and load the timeline within two minutes" >&2
    exit 1
  fi
  mkdir -p "$(dirname "$shot")"
  # The list refreshes on the program's one-second tick: wait until its
  # rows (pictures and text, many colours) show, cropped to the window.
  colours=0
  for _ in $(seq 1 15); do
    sleep 1
    import -window root png:- | convert png:- -trim +repage "$shot"
    colours=$(convert "$shot" -crop 440x300+10+150 +repage -format '%k' info:)
    [ "$colours" -gt 50 ] && break
  done
  [ "$colours" -gt 50 ] || echo "warning: the screenshot shows no rows in the list" >&2
  echo "== screenshot: $shot"
  if [ "$screenshot_only" -eq 1 ]; then
    exit 0
  fi
fi

echo "== Larkspur runs; Ctrl+C (or closing its window) stops everything"
code=0
wait "$program_pid" || code=$?
program_pid=""
echo "== Larkspur exited with code $code"
