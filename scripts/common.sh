# Shared by scripts/run.sh and scripts/test.sh: build folders, the simulator,
# the Wine prefix and the X display. Source it; it defines functions only.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
jobs=2

# True when this machine runs 32-bit x86 Linux programs, as Wine's 32-bit
# loader is one: runs a 96-byte static i386 program that exits with 42. A
# kernel without IA-32 emulation refuses to load it. The probe is written
# under build/, where the project runs what it builds anyway (a temporary
# folder may be mounted noexec).
runs_i386_programs() {
  local probe status=0
  mkdir -p "$build"
  probe=$(mktemp "$build/i386-probe.XXXXXX") || return 1
  {
    # ELF header: 32-bit, little-endian, an executable for the 80386 entered
    # at 0x08048054, one program header right after this header.
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
    printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
    # The one segment: the whole file, readable and executable, at 0x08048000.
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
    printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
    # mov ebx, 42; mov eax, 1 (exit); int 0x80
    printf '\xbb\x2a\x00\x00\x00\xb8\x01\x00\x00\x00\xcd\x80'
  } >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

# The line shown wherever the 32-bit runs are left out.
no_i386_line="this machine cannot run 32-bit (i386) programs: no wine32, the i686 Wine tests are skipped"

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
  # The caption buttons are drawn with Marlett, which Wine finds only in the
  # prefix's own font folder.
  cp -f /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # Addresses the program opens go to a script that records them (when
  # LARKSPUR_BROWSER_LOG names a file), never to a real browser or mailer.
  local recorder="$root/tests/tools/record-browser.sh"
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ /d "$recorder" /f >/dev/null 2>&1
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\WineBrowser' /v Mailers /t REG_SZ /d "$recorder" /f >/dev/null 2>&1
  /usr/lib/wine/wine64 "$2" "$build/certs/ca.crt"
}

# An X display of our own, with a screen of size $1 (1280x1024 unless
# given): sets DISPLAY and xvfb_pid.
start_xvfb() {
  local fd_file
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${1:-1280x1024}x24" -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    [ -s "$fd_file" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$fd_file")"
  rm -f "$fd_file"
}

# True when $DISPLAY names an X display that answers.
display_usable() {
  [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

# The run's CA as a SHA-256 fingerprint (empty when there is none).
ca_fingerprint() {
  openssl x509 -in "$build/certs/ca.crt" -noout -fingerprint -sha256 2>/dev/null
}

# True when the Wine prefix at $1 exists and was made for the current CA.
prefix_trusts_ca() {
  local fingerprint
  fingerprint=$(ca_fingerprint)
  [ -n "$fingerprint" ] && [ -f "$1/system.reg" ] && [ "$(cat "$1/.larkspur-ca" 2>/dev/null)" = "$fingerprint" ]
}

# A Wine prefix at $1 that trusts the run's CA, kept across runs: made anew
# (fresh_prefix, with the certificate tool $2) only when it is missing or was
# made for another CA. Exports the same settings as fresh_prefix.
reuse_prefix() {
  local dir=$1 tool=$2
  if prefix_trusts_ca "$dir"; then
    export WINEPREFIX=$dir
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEDEBUG=-all
    export LANG=ja_JP.UTF-8
    return 0
  fi
  fresh_prefix "$dir" "$tool" || return 1
  ca_fingerprint >"$dir/.larkspur-ca"
}

# Waits until a line of the simulator's request log (on port $1) matches the
# extended regular expression $2, at most $3 seconds.
wait_for_request() {
  local port=$1 pattern=$2 seconds=$3
  for _ in $(seq 1 $((seconds * 5))); do
    curl -s "http://127.0.0.1:$port/__control/log" | grep -Eq "$pattern" && return 0
    sleep 0.2
  done
  return 1
}
