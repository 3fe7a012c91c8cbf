#!/usr/bin/env bash
# The 32-bit Windows build and its tests under Wine.
#
# Installs the cross compiler and Wine when they are missing and it can
# (as root, or through sudo, with apt-get; Debian packages
# g++-mingw-w64-i686 for the DLLs, wine and wine32 to run them), builds the
# three DLLs and the Windows host programs, and runs their tests under Wine
# (ctest in <windows build>/windows). The comparisons with Linux use a native
# build of the same tree, which scripts/test.sh has built already.
#
# Prints "skipped: ..." and succeeds when the tools cannot be installed,
# and runs only the export-table check when the machine cannot execute
# 32-bit programs; fails on any build or test failure.
#
# Environment: TARNIX_NATIVE_BUILD (default build), TARNIX_WINDOWS_BUILD
# (default build-win32).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
native=$root/${TARNIX_NATIVE_BUILD:-build}
cross=$root/${TARNIX_WINDOWS_BUILD:-build-win32}
jobs=$(nproc 2>/dev/null || echo 2)
started=$(date +%s)

compiler=i686-w64-mingw32-g++-posix
objdump=i686-w64-mingw32-objdump
packages=(g++-mingw-w64-i686 wine wine32:i386)

have_tools() {
  command -v "$compiler" >/dev/null && command -v "$objdump" >/dev/null &&
    command -v wine >/dev/null && dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null |
    grep -q "install ok installed"
}

skip() {
  echo "skipped: the 32-bit Windows build and its Wine tests ($*)"
  exit 0
}

if ! have_tools; then
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null && sudo -n true 2>/dev/null ||
      skip "${packages[*]} are not installed, and there is no root to install them"
    sudo_cmd=(sudo -n)
  fi
  command -v apt-get >/dev/null || skip "no apt-get to install ${packages[*]}"
  echo "== windows: installing ${packages[*]}"
  # Without the recommended packages (fonts, graphics and sound stacks for
  # both architectures) the installation takes a fraction of the time, and
  # console programs need none of them.
  if ! { dpkg --print-foreign-architectures | grep -qx i386 ||
           "${sudo_cmd[@]}" dpkg --add-architecture i386; } ||
     ! "${sudo_cmd[@]}" apt-get update -qq ||
     ! DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
         --no-install-recommends "${packages[@]}" >/dev/null; then
    skip "could not install ${packages[*]}"
  fi
  have_tools || skip "${packages[*]} did not install"
  echo "== windows: installed in $(($(date +%s) - started)) s"
fi

echo "== windows: native tools and libraries ($native)"
cmake -S . -B "$native" -DTARNIX_WERROR=ON >/dev/null
cmake --build "$native" -j "$jobs" --target lexmill_dictc tarnix_host layout_check keyword_compare \
  lexmill_dictionaries extend_kvr_data >/dev/null

echo "== windows: cross build ($cross)"
cmake -S . -B "$cross" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DBUILD_TESTING=OFF \
  -DTARNIX_WERROR=ON -DLEXMILL_HOST_DICTC="$native/bin/lexmill_dictc" \
  -DTARNIX_LINUX_BUILD="$native" >/dev/null
cmake --build "$cross" -j "$jobs" >/dev/null

# Some kernels cannot execute 32-bit programs at all (Wine's loader then
# fails with "Exec format error"): the DLLs are still built and their export
# tables checked, and the tests that run them are skipped, and said so.
if ! probe=$(wine --version 2>&1); then
  echo "== windows: wine cannot run here: ${probe##*: }"
  status=0
  ctest --test-dir "$cross/windows" --output-on-failure -R '^dll_exports$' || status=$?
  echo "skipped: the tests under Wine (this machine cannot run 32-bit programs)"
  echo "== windows: export tables $( ((status == 0)) && echo passed || echo FAILED) in $(($(date +%s) - started)) s"
  exit $status
fi

echo "== windows: tests under Wine"
export WINEPREFIX=$cross/wineprefix WINEDEBUG=-all
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  wineboot -i >/dev/null 2>&1 || { echo "wineboot failed"; exit 1; }
fi
status=0
ctest --test-dir "$cross/windows" --output-on-failure -j "$jobs" || status=$?
# The Wine server of this prefix would otherwise linger for a while.
wineserver -k 2>/dev/null || true
echo "== windows: $( ((status == 0)) && echo passed || echo FAILED) in $(($(date +%s) - started)) s"
exit $status
