#!/bin/bash
# Tarnix_Direct with both reference engines on a 16 KB Chinese article, and
# the peers on the same text: cppjieba's keyword extractor and the TF-IDF
# extractor of @node-rs/jieba (jieba-rs).
#
#   bench/extend_kvr_peers.sh [BUILD_DIR] [ZH_DATA_DIR] [NPM_DIR]
#
# BUILD_DIR defaults to build (configure it with -DCMAKE_BUILD_TYPE=Release),
# ZH_DATA_DIR to ../shared/data/zh beside the repository, NPM_DIR (where the
# npm packages nodejieba and @node-rs/jieba are installed when missing,
# scripts not run) to a scratch folder outside the repository.
# BEFORE=OTHER_BUILD_DIR runs that build's benchmark too, in turn with the
# others (it must have been built; nothing is built there).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
zh=${2:-$root/../shared/data/zh}
npm_dir=${3:-${TMPDIR:-/tmp}/tarnix-bench-npm}
before=${BEFORE:+$(cd "$BEFORE" && pwd)}
work=$build/bench-extend-kvr
mkdir -p "$work"

/usr/bin/python3 "$root/bench/extend_kvr_article.py" "$zh" "$work"
cmake --build "$build" --target extend_kvr_direct_bench -j2 >/dev/null

source "$root/bench/cppjieba.sh"
build_cppjieba "$npm_dir" "$root/bench/extend_kvr_cppjieba.cc" "$work/extend_kvr_cppjieba"
source "$root/bench/node_rs_jieba.sh"
install_node_rs_jieba "$npm_dir"

# The machine is shared and its speed changes by up to a factor of two
# within minutes, so the two run in turn, RUNS times (default 5), and the
# summary gives the median of the runs' medians and of their ratios.
runs=${RUNS:-5}
log=$work/peers.log
: > "$log"
for run in $(seq "$runs"); do
  echo "== run $run: Tarnix"
  (cd "$work" && "$build/bin/extend_kvr_direct_bench" "$work/article.gbk" 300) | tee -a "$log"
  if [ -n "$before" ]; then
    echo "== run $run: Tarnix (before)"
    mkdir -p "$work/before"
    (cd "$work/before" && "$before/bin/extend_kvr_direct_bench" "$work/article.gbk" 300) | sed 's/^/before /' |
      tee -a "$log"
  fi
  echo "== run $run: cppjieba"
  "$work/extend_kvr_cppjieba" "$cppjieba_root/dict" "$work/article.utf8" 300 | tee -a "$log"
  echo "== run $run: @node-rs/jieba"
  node "$root/bench/node_rs_jieba_peer.js" "$node_rs_jieba_dir" article "$work/article.utf8" 300 | tee -a "$log"
done
echo "== summary of $runs runs (ms)"
awk '
  /^Tarnix_Direct/ { d[++nd] = $(NF-7) }
  /^Extend_KVR calls alone/ { e[++ne] = $(NF-7) }
  /^cppjieba KeywordExtractor/ { c[++nc] = $(NF-7) }
  /^@node-rs\/jieba TfIdf/ { j[++nj] = $(NF-7) }
  /^before Tarnix_Direct/ { b[++nb] = $(NF-7) }
  /^before Extend_KVR calls alone/ { be[++nbe] = $(NF-7) }
  function median(a, n,   i, j, t) {
    for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j-1] > a[j]; j--) { t = a[j]; a[j] = a[j-1]; a[j-1] = t }
    return n % 2 ? a[(n+1)/2] : (a[n/2] + a[n/2+1]) / 2
  }
  END {
    for (i = 1; i <= nd; i++) { r[i] = d[i] / c[i]; q[i] = d[i] / j[i] }
    # Ratios within each run first: median() sorts its array in place.
    for (i = 1; i <= nb; i++) { rb[i] = b[i] / c[i]; ra[i] = d[i] / b[i] }
    printf "Tarnix_Direct %.3f, the engine alone %.3f, cppjieba %.3f, @node-rs/jieba %.3f\n",
           median(d, nd), median(e, ne), median(c, nc), median(j, nj)
    printf "Tarnix_Direct / cppjieba %.2f, Tarnix_Direct / @node-rs/jieba %.2f\n", median(r, nd), median(q, nd)
    if (nb > 0) {
      printf "before: Tarnix_Direct %.3f, the engine alone %.3f; before / cppjieba %.2f, this build / before %.2f\n",
             median(b, nb), median(be, nbe), median(rb, nb), median(ra, nb)
    }
  }' "$log"
