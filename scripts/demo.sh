#!/usr/bin/env bash
# From a fresh Debian 12 machine to the keywords of the sample article:
# installs the packages of packages.txt, builds the tarnix command
# (Release, in build/ or $BUILD_DIR) and runs it on samples/zh-article.json,
# with its author keywords withheld and then with them.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
bash scripts/install-packages.sh
echo "== building the tarnix command in $build (a few minutes the first time)" >&2
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target tarnix_cmd -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
bash scripts/readme_demo.sh "$build/bin/tarnix"
