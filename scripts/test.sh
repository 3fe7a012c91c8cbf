#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine and runs every test: installs the
# packages listed in packages.txt when missing, then configures, builds and
# runs CTest twice, once plainly (warnings as errors) and once under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

missing=()
while read -r pkg; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done < packages.txt
if ((${#missing[@]})); then
  echo "== installing: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi

run_suite() {
  local dir=$1; shift
  echo "== $dir: configure"
  cmake -S . -B "$dir" -DTARNIX_WERROR=ON "$@" >/dev/null
  echo "== $dir: build"
  cmake --build "$dir" -j "$jobs"
  echo "== $dir: test"
  (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

run_suite build
run_suite build-sanitize -DTARNIX_SANITIZE=ON

# The fuzzers, each for a bounded time (FUZZ_SECONDS, 40 s by default).
bash scripts/fuzz.sh
