#!/usr/bin/env bash
# Builds the shipped program (i686, Release, stripped) and its release archive:
#
#   build/dist/Larkspur-VERSION-win32.zip         Larkspur-VERSION/ with Larkspur.exe,
#   build/dist/Larkspur-VERSION-win32.zip.sha256  README.txt (Japanese and English),
#                                                 LICENSE.txt and licenses/ (the
#                                                 notices of what is linked in)
#
# VERSION is CMake's project version. The archive is reproducible: built twice
# from one commit on one machine it is the same bytes (SOURCE_DATE_EPOCH is the
# commit's time and stamps the executable and every zip entry; no path of the
# checkout lands in the executable; entries are stored in a fixed order with
# no extra fields).
#
#   bash scripts/package.sh [--web-host HOST]   the archive (HOST: host or host:port;
#                                               CMake's default when not given)
#   bash scripts/package.sh --check             builds it twice, in two build trees
#                                               and without the compiler cache, and
#                                               fails unless both are byte-identical
#                                               and hold what a release must hold
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

web_host=""
check=0
while [ $# -gt 0 ]; do
  case $1 in
    --web-host) web_host=${2:?--web-host needs a host}; shift 2 ;;
    --check) check=1; shift ;;
    *) echo "usage: bash scripts/package.sh [--web-host HOST] [--check]" >&2; exit 2 ;;
  esac
done

dist="$build/dist"
# The DLLs a Windows installation has by itself; the executable may import
# nothing else.
system_dlls="comctl32.dll crypt32.dll gdi32.dll gdiplus.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll user32.dll
  wininet.dll"

# One fixed time for the whole build: the commit's, so that a rebuild of the
# same commit stamps the same time.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)
fi
export SOURCE_DATE_EPOCH

# A text file for Windows: CRLF line ends; $3 = bom adds a UTF-8 byte-order
# mark, which Notepad needs to tell UTF-8 from the ANSI code page.
windows_text() {
  local from=$1 to=$2
  { [ "${3:-}" = bom ] && printf '\xef\xbb\xbf'; sed 's/\r$//; s/$/\r/' "$from"; } >"$to"
}

# The notices of the libraries linked statically into Larkspur.exe, as
# Debian's packages of the cross compiler record them: the MinGW-w64 runtime
# (start-up code, CRT glue, winpthreads) and GCC's runtime (libstdc++, libgcc),
# which comes under the GCC Runtime Library Exception.
write_notices() {
  local to=$1 mingw=/usr/share/doc/mingw-w64-common/copyright gcc=/usr/share/doc/gcc-mingw-w64-base/copyright
  mkdir -p "$to"
  {
    echo "Larkspur.exe contains parts of the MinGW-w64 runtime: its start-up code, C runtime"
    echo "support (libmingw32, libmingwex) and the winpthreads library. Their copyright and"
    echo "licence terms, as recorded by the Debian package mingw-w64, follow."
    echo
    cat "$mingw"
  } >"$to/mingw-w64.tmp"
  local exception
  exception=$(sed -n '/^GCC RUNTIME LIBRARY EXCEPTION$/,/^requirements of the license of GCC\.$/p' "$gcc")
  [ -n "$exception" ] || { echo "package: no GCC Runtime Library Exception in $gcc" >&2; return 1; }
  {
    echo "Larkspur.exe contains parts of GCC's runtime libraries, libstdc++ and libgcc,"
    echo "Copyright (C) Free Software Foundation, Inc. They are licensed under the GNU"
    echo "General Public License, version 3 or later, with version 3.1 of the GCC Runtime"
    echo "Library Exception, which allows a program compiled with GCC to be conveyed under"
    echo "terms of its own choice. Both texts follow."
    echo
    echo "$exception"
    echo
    echo
    cat /usr/share/common-licenses/GPL-3
  } >"$to/gcc-runtime.tmp"
  windows_text "$to/mingw-w64.tmp" "$to/mingw-w64.txt"
  windows_text "$to/gcc-runtime.tmp" "$to/gcc-runtime.txt"
  rm -f "$to"/*.tmp
}

# Builds Larkspur.exe in tree $1 and writes the archive and its checksum into
# folder $2; prints the archive's path.
make_package() {
  local tree=$1 out=$2
  local host_arg=(-ULARKSPUR_WEB_HOST)
  [ -n "$web_host" ] && host_arg=(-DLARKSPUR_WEB_HOST="$web_host")
  rm -rf "$tree"
  cmake -S "$root" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DLARKSPUR_TESTS=OFF -DCMAKE_EXE_LINKER_FLAGS=-s "${host_arg[@]}" >/dev/null
  cmake --build "$tree" --target Larkspur -j"$jobs" >&2

  local version host
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$tree/CMakeCache.txt")
  host=$(sed -n 's/^LARKSPUR_WEB_HOST:STRING=//p' "$tree/CMakeCache.txt")
  [ -n "$version" ] || { echo "package: no project version in $tree" >&2; return 1; }

  local name="Larkspur-$version" stage="$tree/stage"
  rm -rf "$stage"
  mkdir -p "$stage/$name"
  cp "$tree/src/app/Larkspur.exe" "$stage/$name/Larkspur.exe"
  sed "s|@VERSION@|$version|; s|@WEB_HOST@|$host|" "$root/dist/README.txt" >"$stage/README.tmp"
  windows_text "$stage/README.tmp" "$stage/$name/README.txt" bom
  rm -f "$stage/README.tmp"
  windows_text "$root/LICENSE" "$stage/$name/LICENSE.txt"
  write_notices "$stage/$name/licenses"

  # Every entry gets the same time and plain permissions; zip writes DOS times
  # in local time, hence UTC.
  find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  find "$stage" -type d -exec chmod 755 {} +
  find "$stage" -type f -exec chmod 644 {} +
  mkdir -p "$out"
  local zip="$out/$name-win32.zip"
  rm -f "$zip" "$zip.sha256"
  (cd "$stage" && find "$name" -print | LC_ALL=C sort | TZ=UTC zip -X -D -q -9 "$zip" -@)
  (cd "$out" && sha256sum "$(basename "$zip")" >"$(basename "$zip").sha256")
  echo "$zip"
}

# What a release must hold: the files, a 32-bit GUI executable importing
# only system DLLs, the version resource and manifest of this version, and
# no path of the build machine.
check_package() {
  local zip=$1 version=$2 listing exe
  listing=$(unzip -Z1 "$zip")
  local expected="Larkspur-$version/Larkspur.exe Larkspur-$version/LICENSE.txt Larkspur-$version/README.txt
Larkspur-$version/licenses/gcc-runtime.txt Larkspur-$version/licenses/mingw-w64.txt"
  for f in $expected; do
    grep -qx "$f" <<<"$listing" || { echo "package check: $f missing from $zip" >&2; return 1; }
  done
  exe=$(mktemp "$build/package-check.XXXXXX")
  unzip -p "$zip" "Larkspur-$version/Larkspur.exe" >"$exe"
  local status=0
  local kind
  kind=$(file -b "$exe")
  grep -q '^PE32 executable (GUI) Intel 80386' <<<"$kind" \
    || { echo "package check: not a 32-bit GUI program: $kind" >&2; status=1; }
  local dll
  for dll in $(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z'); do
    grep -qw "$dll" <<<"$system_dlls" || { echo "package check: imports $dll" >&2; status=1; }
  done
  # The version resource's texts are UTF-16; the manifest is UTF-8. (Read
  # whole before matching: grep -q leaving a pipe early fails it under pipefail.)
  local texts wide
  texts=$(strings -a "$exe")
  wide=$(strings -a -el "$exe")
  grep -A1 -x 'ProductVersion' <<<"$wide" | grep -qx "$version" \
    || { echo "package check: the version resource does not say $version" >&2; status=1; }
  grep -q "name=\"Larkspur\" version=\"$version.0\"" <<<"$texts" \
    || { echo "package check: the manifest does not name version $version.0" >&2; status=1; }
  if grep -F -e "$root" -e "$build" <<<"$texts"; then
    echo "package check: a path of the checkout is in the executable" >&2
    status=1
  fi
  rm -f "$exe"
  return "$status"
}

if [ "$check" -eq 0 ]; then
  zip=$(make_package "$build/package" "$dist")
  echo "== $(cat "$zip.sha256")"
  exit 0
fi

# Two builds from nothing, in trees of different paths, each compiling every
# file itself: only then does equality show that the build is reproducible.
echo "== building the release archive twice"
export CCACHE_DISABLE=1
first=$(make_package "$build/package-check/a" "$build/package-check/a-dist")
second=$(make_package "$build/package-check/tree-b" "$build/package-check/b-dist")
version=$(basename "$first" | sed 's/^Larkspur-\(.*\)-win32\.zip$/\1/')
echo "== $(cat "$first.sha256")"
echo "== $(cat "$second.sha256")"
if ! cmp "$first" "$second"; then
  echo "== FAILED: the two builds differ"
  exit 1
fi
check_package "$first" "$version" || { echo "== FAILED: the archive is not a release"; exit 1; }
echo "== the release archive is reproducible and complete ($version)"
