#!/usr/bin/env bash
# Runs every test of the project from a fresh Debian machine: installs what is
# missing, builds the simulator and the portable core natively, cross-builds
# the client and its tests for Windows (x86_64 and i686, the shipped
# architecture), then runs the native tests (simulator, core under
# AddressSanitizer/UBSan), the client tests under Wine against the simulator
# for each architecture the machine can run, the fuzzer for a bounded time,
# and the release archive's reproducibility check (scripts/package.sh --check).
# A machine that runs no 32-bit programs skips the i686 runs and says so.
#
# For work on one part: `bash scripts/test.sh -R REGEX` runs only the client
# tests whose CTest names match REGEX (no native tests, no fuzzing, no archive),
# in both architectures.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

filter=()
if [ "${1:-}" = "-R" ] && [ -n "${2:-}" ]; then
  filter=(-R "$2")
fi

bash "$root/scripts/setup.sh"

# The build tree of each architecture.
declare -A trees=([x86_64]="$build/win64" [i686]="$build/win32")
run_archs=(x86_64)
skipped=""
if runs_i386_programs; then
  run_archs+=(i686)
else
  skipped="i686 skipped (no 32-bit programs run here)"
  echo "== $no_i386_line"
fi

port=$(free_port 47110)
echo "== native build (simulator, portable core)"
build_native "$build/native" -DLARKSPUR_TESTS=ON
make_certs
for arch in x86_64 i686; do
  echo "== Windows build ($arch) for web host localhost:$port"
  build_windows "$arch" "${trees[$arch]}" -DLARKSPUR_TESTS=ON -DLARKSPUR_WEB_HOST="localhost:$port"
done

site_pid=""
xvfb_pid=""
cleanup() {
  [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null || true
  [ -n "${WINEPREFIX:-}" ] && /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

echo "== X display, simulator"
start_xvfb
start_site "$build/native" "$port"

failed=0
if [ ${#filter[@]} -eq 0 ]; then
  echo "== native tests"
  ctest --no-tests=error --test-dir "$build/native" --output-on-failure || failed=1
fi

# One architecture's client tests, in a Wine prefix of their own (cookies and
# cache that a run leaves in its prefix never reach the other architecture).
# Wine's 64-bit loader hands a 32-bit program to the 32-bit one, so a 64-bit
# prefix runs both.
run_wine_tests() {
  local arch=$1 tree=${trees[$1]} status=0
  echo "== client tests under Wine ($arch)"
  fresh_prefix "$build/wine-test-$arch" "$tree/tests/add_root_cert.exe"
  /usr/lib/wine/wineserver -p || true  # keeps one server for the whole run
  # Addresses the client opens reach the prefix's recording browser, which
  # writes them here for the tests to read.
  export LARKSPUR_BROWSER_LOG="$build/browser-$arch.log"
  # Window tests leave screenshots of what they saw here, for a person to look at.
  export LARKSPUR_SCREENSHOTS="$build/screenshots/$arch"
  rm -rf "$LARKSPUR_SCREENSHOTS"
  mkdir -p "$LARKSPUR_SCREENSHOTS"
  LARKSPUR_WINE_READY=1 TZ=Asia/Tokyo ctest --no-tests=error --test-dir "$tree" --output-on-failure \
    "${filter[@]}" || status=1
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  for shot in "$LARKSPUR_SCREENSHOTS"/*.bmp; do
    [ -e "$shot" ] && convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
  done
  echo "== screenshots ($arch): $(ls "$LARKSPUR_SCREENSHOTS"/*.png 2>/dev/null | wc -l) in $LARKSPUR_SCREENSHOTS"
  return "$status"
}

ran=()
for arch in "${run_archs[@]}"; do
  if run_wine_tests "$arch"; then
    ran+=("$arch passed")
  else
    ran+=("$arch FAILED")
    failed=1
  fi
done
wine_summary=$(printf '%s, ' "${ran[@]}")
wine_summary="Wine tests: ${wine_summary%, }"
[ -n "$skipped" ] && wine_summary="$wine_summary; $skipped"
echo "== $wine_summary"

if [ ${#filter[@]} -ne 0 ]; then
  [ "$failed" -ne 0 ] && { echo "== FAILED ($wine_summary)"; exit 1; }
  echo "== selected tests passed ($wine_summary)"
  exit 0
fi

echo "== fuzzing the scraper and the text functions (60 s)"
CC=clang CXX=clang++ cmake -S "$root" -B "$build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLARKSPUR_FUZZ=ON -DLARKSPUR_SITE=OFF -DLARKSPUR_SANITIZE=OFF -DLARKSPUR_TSAN=OFF >/dev/null
cmake --build "$build/fuzz" --target timeline_fuzz -j"$jobs"
ctest --no-tests=error --test-dir "$build/fuzz" -R timeline_fuzz --output-on-failure || failed=1

echo "== the release archive, built twice and compared"
bash "$root/scripts/package.sh" --check || failed=1

if [ "$failed" -ne 0 ]; then
  echo "== FAILED ($wine_summary)"
  exit 1
fi
echo "== all tests passed ($wine_summary)"
