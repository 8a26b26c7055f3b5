#!/usr/bin/env bash
# Installs every Debian package the project needs and generates the Japanese
# locale. Where the machine runs 32-bit programs it also adds the i386
# architecture and 32-bit Wine, which runs the shipped i686 Larkspur.exe.
# Idempotent: a second run only checks what is already there.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

packages=(
  cmake make git ca-certificates tzdata
  g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64
  xvfb xauth x11-utils xdotool imagemagick
  locales fonts-ipafont-gothic fonts-wine
  googletest libgtest-dev
  libboost-dev libssl-dev libstb-dev openssl
  procps psmisc curl zip unzip
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# 32-bit Wine only where the kernel loads 32-bit programs: asked by running
# one, since a 64-bit kernel may or may not have IA-32 emulation.
if runs_i386_programs; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture"
    $sudo dpkg --add-architecture i386
  fi
  packages+=(wine32:i386)
else
  echo "setup: $no_i386_line"
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine takes its ANSI code page from the locale: ja_JP.UTF-8 gives 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "setup: generating ja_JP.UTF-8"
  $sudo sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen
fi
echo "setup: done"
