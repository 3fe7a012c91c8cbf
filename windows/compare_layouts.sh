#!/usr/bin/env bash
# compare_layouts.sh WORKDIR EMULATOR LAYOUT_CHECK_EXE LINUX_BUILD
#
# The record layouts as the 32-bit Windows host sees them (layout_check.exe
# beside the DLLs, through the emulator) must read exactly as the 64-bit
# Linux host sees them (layout_check of the native build).
set -euo pipefail
work=$1 emulator=$2 exe=$3 linux=$4
mkdir -p "$work"
(cd "$(dirname "$exe")" && $emulator "$exe") >"$work/windows.txt"
"$linux/bin/layout_check" "$linux/lib/libTarnix.so" "$linux/lib/libLexmill.so" \
  "$linux/lib/libExtend_KVR.so" >"$work/linux.txt"
if ! diff -u "$work/linux.txt" "$work/windows.txt"; then
  echo "the layouts differ between the Linux and the Windows host"
  exit 1
fi
echo "same layouts: $(grep -c ' ' "$work/windows.txt") lines"
