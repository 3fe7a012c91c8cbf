#!/bin/bash
# Lexmill against its peers on the same Chinese articles: dictionary load,
# look-ups, segmentation throughput, and word-boundary agreement with jieba.
#
#   bench/lexmill_peers.sh [BUILD_DIR] [ZH_DATA_DIR]
#
# BUILD_DIR defaults to build-lexmill (configured with the default
# RelWithDebInfo type), ZH_DATA_DIR to ../shared/data/zh beside the
# repository. cppjieba is built from the headers of the npm package
# nodejieba, installed into BUILD_DIR/npm when missing (scripts not run).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-lexmill}" && pwd)
zh=${2:-$root/../shared/data/zh}
jieba_dict=/usr/lib/python3/dist-packages/jieba/dict.txt
work=$build/bench-lexmill
mkdir -p "$work"

/usr/bin/python3 "$root/bench/lexmill_corpus.py" "$zh" "$work"
cmake --build "$build" --target lexmill_bench lexmill_dictionaries Lexmill -j2 >/dev/null

echo "== Lexmill"
LEXMILL_BENCH_CORPUS=$work/corpus.gbk "$build/bin/lexmill_bench" --benchmark_min_time=2

echo "== cppjieba (MPSegment, HMM off, same dict.txt)"
source "$root/bench/cppjieba.sh"
build_cppjieba "$build/npm" "$root/bench/lexmill_cppjieba.cc" "$work/lexmill_cppjieba"
"$work/lexmill_cppjieba" "$jieba_dict" "$work/corpus.utf8" 5

echo "== python3-jieba (jieba.lcut, HMM off)"
/usr/bin/python3 "$root/bench/lexmill_jieba.py" "$work/corpus.utf8"

echo "== Boundary agreement with jieba on the csl-dev abstracts"
/usr/bin/python3 "$root/bench/lexmill_jieba.py" "$work/abstracts.utf8" --dump "$work/abstracts.jieba" >/dev/null
LEXMILL_DATA=$build/share/lexmill /usr/bin/python3 "$root/bench/lexmill_f1.py" \
  "$build/lib/libLexmill.so" "$work/abstracts.utf8" "$work/abstracts.jieba"
