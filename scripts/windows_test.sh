#!/usr/bin/env bash
# The 32-bit Windows build and its tests under Wine.
#
# Two parts, installed and reported apart, because they depend on
# different package indexes:
#  1. The cross build of the three DLLs and the Windows host programs, and
#     the check of their export and import tables. Needs g++-mingw-w64-i686
#     (an amd64 package). This part runs on every run and its failure is a
#     failure, a failed installation included; only a machine with neither
#     the compiler nor a way to install it (no root, no apt-get) skips it.
#  2. The tests that run the DLLs under Wine (ctest in <windows
#     build>/windows). Needs wine and wine32:i386, which come from the i386
#     index: when they cannot be installed, or the machine cannot start
#     32-bit programs, the tests are skipped and the reason is said in one
#     line.
# The closing line says exactly what ran, for example
#   == windows: cross build and export check: passed; Wine tests: skipped (wine32 not installable)
# The comparisons with Linux use a native build of the same tree, which
# scripts/test.sh has built already.
#
# Environment: TARNIX_NATIVE_BUILD (default build), TARNIX_WINDOWS_BUILD
# (default build-win32), TARNIX_WINDOWS_NO_WINE=1 (skip the Wine tests as if Wine
# could not be installed: how CI's log looks on a day the i386 index is
# broken).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
native=$root/${TARNIX_NATIVE_BUILD:-build}
cross=$root/${TARNIX_WINDOWS_BUILD:-build-win32}
jobs=$(nproc 2>/dev/null || echo 2)
started=$(date +%s)
log=$(mktemp)
trap 'rm -f "$log"' EXIT

compiler=i686-w64-mingw32-g++-posix
objdump=i686-w64-mingw32-objdump

elapsed() { echo "$(($(date +%s) - started)) s"; }

# The last line apt-get printed that says what went wrong.
apt_reason() {
  local line
  line=$(grep -E '^(E|W): ' "$log" | tail -1 | cut -c4- | cut -c1-160)
  echo "${line:-see the apt-get output}"
}

have_compiler() { command -v "$compiler" >/dev/null && command -v "$objdump" >/dev/null; }
have_wine() {
  command -v wine >/dev/null &&
    dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"
}

sudo_cmd=()
can_install=yes
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    sudo_cmd=(sudo -n)
  else
    can_install="no root to install packages"
  fi
fi
command -v apt-get >/dev/null || can_install="no apt-get"

apt_install() {
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "$@" \
    >>"$log" 2>&1
}

# ---- 1. the cross compiler and the cross build --------------------------
if ! have_compiler; then
  if [[ $can_install != yes ]]; then
    echo "== windows: cross build and export check: skipped (g++-mingw-w64-i686 missing, $can_install)"
    exit 0
  fi
  echo "== windows: installing g++-mingw-w64-i686"
  # An index that fails to refresh (a mirror in the middle of a sync) need
  # not stop the installation: the packages may still be reachable.
  "${sudo_cmd[@]}" apt-get update -qq >>"$log" 2>&1 || echo "   apt-get update: $(apt_reason)"
  if ! apt_install g++-mingw-w64-i686 && ! { sleep 20 && apt_install g++-mingw-w64-i686; }; then
    echo "== windows: cross build and export check: FAILED (g++-mingw-w64-i686 not installable: $(apt_reason))"
    exit 1
  fi
  have_compiler || { echo "== windows: cross build and export check: FAILED ($compiler missing after install)"; exit 1; }
  echo "== windows: installed the cross compiler in $(elapsed)"
fi

echo "== windows: native tools and libraries ($native)"
cmake -S . -B "$native" -DTARNIX_WERROR=ON >/dev/null
cmake --build "$native" -j "$jobs" --target lexmill_dictc ekvr_tablec tarnix_host layout_check keyword_compare \
  lexmill_dictionaries extend_kvr_data >/dev/null

echo "== windows: cross build ($cross)"
build_status=0
{ cmake -S . -B "$cross" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DBUILD_TESTING=OFF \
    -DTARNIX_WERROR=ON -DLEXMILL_HOST_DICTC="$native/bin/lexmill_dictc" \
    -DEKVR_HOST_TABLEC="$native/bin/ekvr_tablec" \
    -DTARNIX_LINUX_BUILD="$native" >/dev/null &&
  cmake --build "$cross" -j "$jobs" >/dev/null; } || build_status=$?
if ((build_status != 0)); then
  echo "== windows: cross build and export check: FAILED (the cross build); Wine tests: not run"
  exit 1
fi
export_status=0
ctest --test-dir "$cross/windows" --output-on-failure -R '^dll_exports$' || export_status=$?
if ((export_status != 0)); then
  echo "== windows: cross build and export check: FAILED (export or import tables); Wine tests: not run"
  exit 1
fi
part1="cross build and export check: passed"

# ---- 2. Wine and the tests under it -------------------------------------
wine_skip=""
if [[ ${TARNIX_WINDOWS_NO_WINE:-} == 1 ]]; then
  wine_skip="TARNIX_WINDOWS_NO_WINE=1"
elif ! have_wine; then
  if [[ $can_install != yes ]]; then
    wine_skip="wine32 missing, $can_install"
  else
    echo "== windows: installing wine and wine32:i386"
    # Without the recommended packages (fonts, graphics and sound stacks
    # for both architectures) the installation takes a fraction of the
    # time, and console programs need none of them.
    if ! { dpkg --print-foreign-architectures | grep -qx i386 ||
             "${sudo_cmd[@]}" dpkg --add-architecture i386 >>"$log" 2>&1; }; then
      wine_skip="wine32 not installable: the i386 architecture cannot be added"
    else
      "${sudo_cmd[@]}" apt-get update -qq >>"$log" 2>&1 || echo "   apt-get update: $(apt_reason)"
      if ! apt_install wine wine32:i386; then
        wine_skip="wine32 not installable: $(apt_reason)"
      elif ! have_wine; then
        wine_skip="wine32 not installable: not installed after apt-get install"
      else
        echo "== windows: installed Wine in $(elapsed)"
      fi
    fi
  fi
fi
# Some kernels cannot execute 32-bit programs at all (Wine's loader then
# fails with "Exec format error").
if [[ -z $wine_skip ]] && ! probe=$(wine --version 2>&1); then
  wine_skip="wine cannot start here: ${probe##*: }"
fi
if [[ -n $wine_skip ]]; then
  echo "== windows: $part1; Wine tests: skipped ($wine_skip) in $(elapsed)"
  exit 0
fi

echo "== windows: tests under Wine"
export WINEPREFIX=$cross/wineprefix WINEDEBUG=-all
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  if ! wineboot -i >/dev/null 2>&1; then
    echo "== windows: $part1; Wine tests: FAILED (wineboot could not set up the prefix)"
    exit 1
  fi
fi
status=0
ctest --test-dir "$cross/windows" --output-on-failure -j "$jobs" -E '^dll_exports$' || status=$?
# The Wine server of this prefix would otherwise linger for a while.
wineserver -k 2>/dev/null || true
echo "== windows: $part1; Wine tests: $( ((status == 0)) && echo passed || echo FAILED) in $(elapsed)"
exit $status
