#!/usr/bin/env bash
# check_dll_exports.sh OBJDUMP TARNIX_DLL LEXMILL_DLL EXTEND_KVR_DLL [EXE...]
#
# From the PE headers: each DLL exports exactly its functions under their
# plain names (no cdecl underscore, no @N of stdcall); Tarnix.dll imports
# the engines by DLL name; and nothing of ours needs a DLL beyond the
# engines and the system's own (the compiler runtime is linked in).
set -euo pipefail
objdump=$1 tarnix=$2 lexmill=$3 ekvr=$4
shift 4
status=0

exports() {
  "$objdump" -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/ {on = 1; next}
                           on && NF == 0 {on = 0}
                           on {print $NF}' | sort | tr '\n' ' ' | sed 's/ $//'
}
imports() { "$objdump" -p "$1" | awk '/DLL Name:/ {print $3}' | sort -u; }

expect_exports() {
  local file=$1 want
  want=$(printf '%s\n' "${@:2}" | sort | tr '\n' ' ' | sed 's/ $//')
  local got
  got=$(exports "$file")
  if [[ "$got" != "$want" ]]; then
    echo "FAIL $(basename "$file") exports: $got"
    echo "     expected:        $want"
    status=1
  else
    echo "ok   $(basename "$file") exports $want"
  fi
}

expect_exports "$tarnix" Tarnix_Initial Tarnix_Direct Tarnix_FreeDict Word_Normal Word_Normal_Ten
expect_exports "$lexmill" Dict_Load_New Dict_Get_Handle Dict_Delete_Handle Dict_Unload_New \
  Free_All_Space Dict_Search_Get_Info QX_Word_Sect Code_Determine IsEnglishLetter IsNumber \
  IsPunctuation
expect_exports "$ekvr" EKVR_SetPath EKVR_Word_Init EKVR_FreeDict EKVR_Init_File2 SetCHIThreshold \
  EKVR_CalculateTxtValue GetTxtClassifyTemp GetFormalizationClass EKVR_GetArticleInfo

for dll in Lexmill.dll Extend_KVR.dll; do
  if imports "$tarnix" | grep -qx "$dll"; then
    echo "ok   Tarnix.dll imports $dll"
  else
    echo "FAIL Tarnix.dll does not import $dll"
    status=1
  fi
done

# The system DLLs that every Windows since XP carries.
system='^(KERNEL32|kernel32|msvcrt|USER32|ADVAPI32|WS2_32|SHELL32|ole32)\.dll$'
ours='^(Tarnix|Lexmill|Extend_KVR)\.dll$'
for file in "$tarnix" "$lexmill" "$ekvr" "$@"; do
  list=$(imports "$file" | tr '\n' ' ')
  extra=$(imports "$file" | grep -Ev "$system" | grep -Ev "$ours" || true)
  if [[ -n "$extra" ]]; then
    echo "FAIL $(basename "$file") needs non-system DLLs: $extra"
    status=1
  else
    echo "ok   $(basename "$file") imports only $list"
  fi
done
exit $status
