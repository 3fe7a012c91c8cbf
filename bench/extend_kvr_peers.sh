#!/bin/bash
# Tarnix_Direct with both reference engines on a 16 KB Chinese article, and
# the peer on the same text: cppjieba's keyword extractor.
#
#   bench/extend_kvr_peers.sh [BUILD_DIR] [ZH_DATA_DIR] [NPM_DIR]
#
# BUILD_DIR defaults to build (configure it with -DCMAKE_BUILD_TYPE=Release),
# ZH_DATA_DIR to ../shared/data/zh beside the repository, NPM_DIR (where the
# npm package nodejieba is installed when missing, scripts not run) to a
# scratch folder outside the repository.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
zh=${2:-$root/../shared/data/zh}
npm_dir=${3:-${TMPDIR:-/tmp}/tarnix-bench-npm}
work=$build/bench-extend-kvr
mkdir -p "$work"

/usr/bin/python3 "$root/bench/extend_kvr_article.py" "$zh" "$work"
cmake --build "$build" --target extend_kvr_direct_bench -j2 >/dev/null

echo "== Tarnix"
(cd "$work" && "$build/bin/extend_kvr_direct_bench" "$work/article.gbk" 300)

echo "== cppjieba"
source "$root/bench/cppjieba.sh"
build_cppjieba "$npm_dir" "$root/bench/extend_kvr_cppjieba.cc" "$work/extend_kvr_cppjieba"
"$work/extend_kvr_cppjieba" "$cppjieba_root/dict" "$work/article.utf8" 300
