#!/usr/bin/env bash
# The evaluation and throughput figures of the README, rerunnable:
#   scripts/eval.sh [DATA_DIR] [BUILD_DIR]
# DATA_DIR holds zh/csl-dev.jsonl and the English sets of en/
# (default: ../shared/data beside the repository); BUILD_DIR has
# bin/tarnix (default: build). Only reads DATA_DIR.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
data=${1:-$root/../shared/data}
build=${2:-$root/build}
tarnix=$build/bin/tarnix
[[ -x $tarnix ]] || { echo "no $tarnix: build it first (cmake --build $build --target tarnix_cmd)" >&2; exit 1; }
# csl-dev's held-out half (the Chinese term model trains on the even one).
echo "== tarnix eval --peer jieba-tfidf --every 2 --offset 1 zh/csl-dev.jsonl"
"$tarnix" eval --quiet --jobs 2 --peer jieba-tfidf --every 2 --offset 1 "$data/zh/csl-dev.jsonl"
for f in en/kdd.jsonl en/SemEval2017.jsonl; do
  echo "== tarnix eval --peer jieba-tfidf $f"
  "$tarnix" eval --quiet --jobs 2 --peer jieba-tfidf "$data/$f"
done
# The English sets on their held-out quarter (the English term model is
# trained on the rest), beside yake and retext-keywords (node and the npm
# registry; see README).
for f in kdd www SemEval2017 fao30 citeulike180 theses100 wiki20; do
  echo "== tarnix eval --every 4 --offset 3 --peer yake,retext-keywords en/$f.jsonl"
  "$tarnix" eval --quiet --jobs 2 --every 4 --offset 3 --peer yake,retext-keywords "$data/en/$f.jsonl"
done
echo "== tarnix batch --jobs 2 zh/csl-dev.jsonl (title and abstract, keywords withheld)"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
/usr/bin/python3 -c '
import json, sys
for line in open(sys.argv[1], encoding="utf-8"):
    d = json.loads(line)
    print(json.dumps({"title": d["title"], "abstract": d["abstract"], "lang": "zh"}, ensure_ascii=False))
' "$data/zh/csl-dev.jsonl" > "$tmp/in.jsonl"
"$tarnix" batch --jobs 2 "$tmp/in.jsonl" 2>&1 >/dev/null | tail -1
