#!/usr/bin/env bash
# compare_hosts.sh COMPARE TESTDATA WORKROOT ARTICLE... -- HOST_A... -- HOST_B...
#
# Runs two host commands (tarnix_host.c, possibly through an emulator) on
# the same articles, each in a fresh working folder that holds the articles
# and the INI files of TESTDATA (the run log lands there too), then compares
# the two outputs with COMPARE: the first run is the reference. Weights may
# differ by TARNIX_COMPARE_RELATIVE (default 1e-6).
set -euo pipefail
compare=$1 testdata=$2 root=$3
shift 3
articles=()
while [[ $# -gt 0 && $1 != -- ]]; do articles+=("$1"); shift; done
[[ $# -gt 0 ]] && shift
first=()
while [[ $# -gt 0 && $1 != -- ]]; do first+=("$1"); shift; done
[[ $# -gt 0 ]] && shift
second=("$@")
if ((${#articles[@]} == 0 || ${#first[@]} == 0 || ${#second[@]} == 0)); then
  echo "usage: $0 COMPARE TESTDATA WORKROOT ARTICLE... -- HOST_A... -- HOST_B..." >&2
  exit 2
fi

run() {
  local name=$1; shift
  local dir=$root/$name
  rm -rf "$dir"
  mkdir -p "$dir"
  cp "$testdata"/*.txt "$testdata"/*.ini "$dir"/
  if ! (cd "$dir" && "$@" "${articles[@]}" >out.txt 2>err.txt); then
    echo "FAILED: $* (output in $dir)"
    cat "$dir/err.txt" "$dir/out.txt"
    exit 1
  fi
}

run first "${first[@]}"
run second "${second[@]}"
"$compare" "$root/first/out.txt" "$root/second/out.txt" "${TARNIX_COMPARE_RELATIVE:-1e-6}"
