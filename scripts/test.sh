#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine and runs every test: installs the
# packages listed in packages.txt when missing, then configures, builds and
# runs CTest twice, once plainly (warnings as errors) and once under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

bash scripts/install-packages.sh

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

# The 32-bit Windows build and its export check (always), and its tests
# under Wine (skipped, and said why, when Wine cannot be installed or run).
bash scripts/windows_test.sh

# The fuzzers, each for a bounded time (FUZZ_SECONDS, 30 s by default).
bash scripts/fuzz.sh
