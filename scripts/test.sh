#!/usr/bin/env bash
# Runs every test of the project from a fresh Debian machine: installs what is
# missing, builds the simulator and the portable core natively, cross-builds
# the client for Windows (x86_64), then runs the native tests (simulator,
# core under AddressSanitizer/UBSan), the client tests under Wine against the
# simulator, and the fuzzer for a bounded time.
#
# For work on one part: `bash scripts/test.sh -R REGEX` runs only the client
# tests whose CTest names match REGEX (no native tests, no fuzzing).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

filter=()
if [ "${1:-}" = "-R" ] && [ -n "${2:-}" ]; then
  filter=(-R "$2")
fi

bash "$root/scripts/setup.sh"

port=$(free_port 47110)
echo "== native build (simulator, portable core)"
build_native "$build/native" -DLARKSPUR_TESTS=ON
make_certs
echo "== Windows build (x86_64) for web host localhost:$port"
build_windows x86_64 "$build/win64" -DLARKSPUR_TESTS=ON -DLARKSPUR_WEB_HOST="localhost:$port"

site_pid=""
xvfb_pid=""
cleanup() {
  [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null || true
  [ -n "${WINEPREFIX:-}" ] && /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

echo "== Wine prefix, X display, simulator"
start_xvfb
fresh_prefix "$build/wine-test" "$build/win64/tests/add_root_cert.exe"
/usr/lib/wine/wineserver -p || true  # keeps one server for the whole run
start_site "$build/native" "$port"

failed=0
if [ ${#filter[@]} -eq 0 ]; then
  echo "== native tests"
  ctest --no-tests=error --test-dir "$build/native" --output-on-failure || failed=1
fi
echo "== client tests under Wine"
# Addresses the client opens reach the prefix's recording browser, which
# writes them here for the tests to read.
export LARKSPUR_BROWSER_LOG="$build/browser.log"
# Window tests leave screenshots of what they saw here, for a person to look at.
export LARKSPUR_SCREENSHOTS="$build/screenshots"
rm -rf "$LARKSPUR_SCREENSHOTS"
mkdir -p "$LARKSPUR_SCREENSHOTS"
LARKSPUR_WINE_READY=1 TZ=Asia/Tokyo ctest --no-tests=error --test-dir "$build/win64" --output-on-failure \
  "${filter[@]}" || failed=1
for shot in "$LARKSPUR_SCREENSHOTS"/*.bmp; do
  [ -e "$shot" ] && convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
done
echo "== screenshots: $(ls "$LARKSPUR_SCREENSHOTS"/*.png 2>/dev/null | wc -l) in $LARKSPUR_SCREENSHOTS"

if [ ${#filter[@]} -ne 0 ]; then
  [ "$failed" -ne 0 ] && { echo "== FAILED"; exit 1; }
  echo "== selected tests passed"
  exit 0
fi

echo "== fuzzing the scraper and the text functions (60 s)"
CC=clang CXX=clang++ cmake -S "$root" -B "$build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLARKSPUR_FUZZ=ON -DLARKSPUR_SITE=OFF -DLARKSPUR_SANITIZE=OFF -DLARKSPUR_TSAN=OFF >/dev/null
cmake --build "$build/fuzz" --target timeline_fuzz -j"$jobs"
ctest --no-tests=error --test-dir "$build/fuzz" -R timeline_fuzz --output-on-failure || failed=1

if [ "$failed" -ne 0 ]; then
  echo "== FAILED"
  exit 1
fi
echo "== all tests passed"
