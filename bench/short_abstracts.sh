#!/bin/bash
# Short abstracts, the size most corpora hold: csl-dev's titles and
# abstracts through Tarnix_Direct, through `tarnix batch --jobs 1`, and
# through two jieba TF-IDF extractors (Debian's python3-jieba and the npm
# package @node-rs/jieba), in turn in one session. Prints articles per
# second and the ratios.
#
#   bench/short_abstracts.sh [BUILD_DIR] [ZH_DATA_DIR] [NPM_DIR]
#
# BUILD_DIR defaults to build (configure it with -DCMAKE_BUILD_TYPE=Release),
# ZH_DATA_DIR to ../shared/data/zh beside the repository, NPM_DIR to a
# scratch folder outside the repository. BEFORE=OTHER_BUILD_DIR runs a
# second build's library and command beside the first (the build before a
# change); RUNS (default 3) rounds, each PASSES (default 3) passes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
zh=${2:-$root/../shared/data/zh}
npm_dir=${3:-${TMPDIR:-/tmp}/tarnix-bench-npm}
before=${BEFORE:+$(cd "$BEFORE" && pwd)}
runs=${RUNS:-3}
passes=${PASSES:-3}
work=$build/bench-short
mkdir -p "$work"

/usr/bin/python3 "$root/bench/short_abstracts.py" "$zh" "$work"
source "$root/bench/node_rs_jieba.sh"
install_node_rs_jieba "$npm_dir"

# The same program against each build's library, through the public header.
builds=(after:"$build")
[ -n "$before" ] && builds+=(before:"$before")
for b in "${builds[@]}"; do
  name=${b%%:*} dir=${b#*:}
  g++ -O2 -std=c++17 -I"$root/include" "$root/bench/short_abstract_bench.cc" -L"$dir/lib" -lTarnix \
    -Wl,-rpath,"$dir/lib" -o "$work/short_abstract_bench-$name"
  mkdir -p "$work/run-$name"
done

# Seconds of wall clock for one command.
seconds() {
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null
  t1=$(date +%s%N)
  echo "$(( (t1 - t0) / 1000 ))e-6"
}

head -n 1 "$work/articles.jsonl" > "$work/one.jsonl"
count=$(wc -l < "$work/articles.jsonl")
log=$work/short.log
: > "$log"
for run in $(seq "$runs"); do
  for b in "${builds[@]}"; do
    name=${b%%:*} dir=${b#*:}
    echo "== run $run: Tarnix_Direct ($name)"
    (cd "$work/run-$name" && "$work/short_abstract_bench-$name" "$work/articles.gbk" "$passes") |
      sed "s/^/$name /" | tee -a "$log"
    echo "== run $run: tarnix batch --jobs 1 ($name)"
    # Best of PASSES whole runs, and of PASSES runs over the first article
    # alone: their difference is the time of the other articles, without
    # the process's start-up.
    all=() one=()
    for p in $(seq "$passes"); do
      all+=("$(seconds "$dir/bin/tarnix" batch --quiet --jobs 1 "$work/articles.jsonl")")
      one+=("$(seconds "$dir/bin/tarnix" batch --quiet --jobs 1 "$work/one.jsonl")")
    done
    /usr/bin/python3 - "$name" "$count" "${#all[@]}" "${all[@]}" "${one[@]}" <<'PY' | tee -a "$log"
import sys
name, count, k = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
all_, one = min(map(float, sys.argv[4:4 + k])), min(map(float, sys.argv[4 + k:]))
print("%s tarnix batch: %d articles in %.1f ms, %.0f articles/s whole; one article %.1f ms; "
      "%.0f articles/s after start-up" % (name, count, all_ * 1e3, count / all_, one * 1e3,
                                          (count - 1) / max(all_ - one, 1e-9)))
PY
  done
  echo "== run $run: python3-jieba"
  /usr/bin/python3 "$root/bench/jieba_tfidf_lines.py" "$work/articles.utf8" "$passes" | tee -a "$log"
  echo "== run $run: @node-rs/jieba"
  node "$root/bench/node_rs_jieba_peer.js" "$node_rs_jieba_dir" lines "$work/articles.utf8" "$passes" |
    tee -a "$log"
done

echo "== summary of $runs runs (median articles per second; ratios within each run, then their median)"
/usr/bin/python3 - "$log" "$runs" <<'PY'
import re, statistics, sys
lines = open(sys.argv[1], encoding="utf-8").read().splitlines()
runs = int(sys.argv[2])
def rates(pattern, group=1):
    return [float(m.group(group)) for m in (re.search(pattern, l) for l in lines) if m]
series = {}
for name in ("after", "before"):
    d = rates(r"^%s Tarnix_Direct: .*?([\d.]+) articles/s" % name)
    if d:
        series["Tarnix_Direct (%s)" % name] = d
        series["first article ms (%s)" % name] = rates(r"^%s Tarnix_Direct: .*median ([\d.]+) ms" % name)
        series["tarnix batch whole (%s)" % name] = rates(r"^%s tarnix batch: .*?([\d.]+) articles/s whole" % name)
        series["tarnix batch after start-up (%s)" % name] = rates(r"^%s tarnix batch: .*; ([\d.]+) articles/s after" % name)
        series["tarnix batch one article ms (%s)" % name] = rates(r"^%s tarnix batch: .*one article ([\d.]+) ms" % name)
series["python3-jieba"] = rates(r"^python3-jieba .*?([\d.]+) articles/s")
series["@node-rs/jieba"] = rates(r"^@node-rs/jieba .*?([\d.]+) articles/s")
for key, values in series.items():
    print("%-40s %10.4g   (runs: %s)" % (key, statistics.median(values), " ".join("%.4g" % v for v in values)))
def ratio(a, b):
    if a in series and b in series and len(series[a]) == len(series[b]):
        r = [x / y for x, y in zip(series[a], series[b])]
        print("%-60s %.2f" % (a + " / " + b, statistics.median(r)))
ratio("Tarnix_Direct (after)", "@node-rs/jieba")
ratio("tarnix batch whole (after)", "@node-rs/jieba")
ratio("tarnix batch after start-up (after)", "@node-rs/jieba")
ratio("Tarnix_Direct (after)", "python3-jieba")
ratio("Tarnix_Direct (after)", "Tarnix_Direct (before)")
ratio("first article ms (after)", "first article ms (before)")
ratio("tarnix batch whole (after)", "tarnix batch whole (before)")
ratio("tarnix batch after start-up (after)", "tarnix batch after start-up (before)")
PY
