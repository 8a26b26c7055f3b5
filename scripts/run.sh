#!/usr/bin/env bash
# Runs Larkspur against the bundled service simulator in demo mode: installs
# what is missing, builds the simulator and the Windows program, and serves
# the demo site until interrupted (Ctrl+C).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

bash "$root/scripts/setup.sh"

port=$(free_port "${LARKSPUR_PORT:-47110}")
echo "== building the simulator and Larkspur.exe for web host localhost:$port"
build_native "$build/run-native" -DLARKSPUR_TESTS=OFF
make_certs
build_windows x86_64 "$build/run64" -DLARKSPUR_TESTS=OFF -DLARKSPUR_WEB_HOST="localhost:$port"

site_pid=""
trap '[ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null; exit 0' INT TERM EXIT
start_site "$build/run-native" "$port" --demo
echo "== the demo site runs at http://localhost:$port/ (account demo / demo); Ctrl+C stops it"
wait "$site_pid"
