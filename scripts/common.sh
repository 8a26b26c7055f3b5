# Shared by scripts/run.sh and scripts/test.sh: build folders, the simulator,
# the Wine prefix and the X display. Source it; it defines functions only.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
jobs=2

# Free TCP port on loopback, starting at $1.
free_port() {
  local port=$1
  while (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do
    port=$((port + 1))
  done
  echo "$port"
}

# Native build (simulator, portable core): build_native DIR [cmake args]
build_native() {
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DLARKSPUR_SITE=ON "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
}

# Cross-builds for Windows: build_windows x86_64|i686 DIR [cmake args]
build_windows() {
  local arch=$1 dir=$2
  shift 2
  cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
}

make_certs() {
  bash "$root/scripts/make-certs.sh" "$build/certs" >/dev/null
}

# Starts the simulator built in native tree $1 on port $2 with extra
# arguments; waits until it listens.
start_site() {
  local tree=$1 port=$2
  shift 2
  local out="$build/site-$port.out"
  "$tree/site/larkspur-site" --port "$port" --data "$build/certs" "$@" >"$out" 2>&1 &
  site_pid=$!
  for _ in $(seq 1 100); do
    grep -q "listening on port" "$out" 2>/dev/null && return 0
    kill -0 "$site_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "the simulator did not start:" >&2
  cat "$out" >&2
  return 1
}

# A fresh Wine prefix at $1 that trusts the run's CA, with settings that keep
# Wine from asking questions and make windows behave under a bare X server.
fresh_prefix() {
  export WINEPREFIX=$1
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEDEBUG=-all
  export LANG=ja_JP.UTF-8
  rm -rf "$WINEPREFIX"
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /t REG_SZ /d IPAPGothic /f >/dev/null 2>&1
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /t REG_SZ /d IPAPGothic /f >/dev/null 2>&1
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /t REG_SZ /d IPAGothic /f >/dev/null 2>&1
  /usr/lib/wine/wine64 "$2" "$build/certs/ca.crt"
}

# An X display of our own: sets DISPLAY and xvfb_pid.
start_xvfb() {
  local fd_file="$build/xvfb.display"
  rm -f "$fd_file"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    [ -s "$fd_file" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$fd_file")"
}
