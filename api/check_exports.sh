#!/bin/sh
# Fails unless the shared library exports exactly the five host functions.
set -eu
lib=$1
expected="Tarnix_Direct Tarnix_FreeDict Tarnix_Initial Word_Normal Word_Normal_Ten"
actual=$(nm -D --defined-only "$lib" | awk '{print $NF}' | sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
  echo "exported: $actual"
  echo "expected: $expected"
  exit 1
fi
echo "exports ok: $actual"
