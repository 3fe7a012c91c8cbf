#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang 14 (installing it when
# missing) and runs each one for a bounded time, from the seed corpus in
# fuzz/corpus/<fuzzer>; fails when any fuzzer finds a crash, a leak, a
# hang or a failed check. The inputs that found something land in
# build-fuzz/findings/, new corpus entries in build-fuzz/corpus/ (the seeds
# in the repository are only read).
#
#   scripts/fuzz.sh                       every fuzzer, FUZZ_SECONDS each
#   FUZZ_SECONDS=1800 scripts/fuzz.sh lexmill_fuzzer
set -euo pipefail
cd "$(dirname "$0")/.."

FUZZ_SECONDS=${FUZZ_SECONDS:-30}      # per fuzzer; CI runs all seven in about 4 minutes
FUZZ_BUILD=${FUZZ_BUILD:-build-fuzz}
jobs=$(nproc 2>/dev/null || echo 2)
((jobs > 2)) && jobs=2

# Longest input each fuzzer is given (each harness also refuses larger ones).
declare -A max_len=(
  [direct_scripted_fuzzer]=16384
  [direct_reference_fuzzer]=16384
  [dict_info_fuzzer]=4096
  [config_fuzzer]=4096
  [lexmill_fuzzer]=8192
  [cli_input_fuzzer]=8192
  [ekvr_image_fuzzer]=4096
)
fuzzers=("$@")
((${#fuzzers[@]})) || fuzzers=(direct_scripted_fuzzer direct_reference_fuzzer dict_info_fuzzer
                                 config_fuzzer lexmill_fuzzer cli_input_fuzzer ekvr_image_fuzzer)

bash scripts/install-packages.sh clang-14 libclang-rt-14-dev

echo "== $FUZZ_BUILD: configure"
CC=clang-14 CXX=clang++-14 cmake -S . -B "$FUZZ_BUILD" -DTARNIX_FUZZ=ON -DTARNIX_WERROR=ON \
  -DBUILD_TESTING=OFF >/dev/null
echo "== $FUZZ_BUILD: build"
cmake --build "$FUZZ_BUILD" --target tarnix_fuzzers -j "$jobs"

failed=()
mkdir -p "$FUZZ_BUILD/findings" "$FUZZ_BUILD/logs"
for f in "${fuzzers[@]}"; do
  [[ -n "${max_len[$f]:-}" ]] || { echo "unknown fuzzer $f"; exit 2; }
  corpus="$FUZZ_BUILD/corpus/$f"
  log="$FUZZ_BUILD/logs/$f.log"
  mkdir -p "$corpus"
  echo "== $f: ${FUZZ_SECONDS} s"
  if "$FUZZ_BUILD/bin/$f" -max_total_time="$FUZZ_SECONDS" -max_len="${max_len[$f]}" \
       -timeout=20 -rss_limit_mb=2560 -print_final_stats=1 \
       -artifact_prefix="$FUZZ_BUILD/findings/$f-" "$corpus" "fuzz/corpus/$f" >"$log" 2>&1; then
    grep -E '^#[0-9]+.*(DONE|pulse|REDUCE|NEW)' "$log" | tail -1 || true
    grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$log" || true
  else
    echo "!! $f found a fault; the end of $log:"
    tail -40 "$log"
    failed+=("$f")
  fi
done

if ((${#failed[@]})); then
  echo "== fuzzers with findings: ${failed[*]} (inputs in $FUZZ_BUILD/findings/)"
  exit 1
fi
echo "== all fuzzers ran clean"
