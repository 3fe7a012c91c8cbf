#!/usr/bin/python3
"""Trains the Extend_KVR discipline classifier and writes classifier.model.

The model is a table of document frequencies: for every kept word, in how
many training documents of each discipline it occurs. The engine derives
both its naive Bayes class scores and the chi-square association of a term
with a discipline from these counts, so one compact table serves both.

Training data (not part of the repository): the CSL articles with their
discipline (csl-dev.jsonl, title + abstract) and the discipline-labelled
abstracts (csldcp-abstract-discipline.jsonl). Every fifth csl-dev article
(index % 5 == 0) is held out for evaluation, and so is any abstract of the
second file that repeats a held-out one.

Words come from jieba (Debian package python3-jieba) without its HMM, the
same dictionary and method as the Lexmill segmenter the engine runs on.

Usage:
  (from the repository, with the shared data beside it)
  /usr/bin/python3 data/extend_kvr/train_classifier.py --data ../shared/data/zh \
      --disciplines data/extend_kvr/disciplines.tsv --out data/extend_kvr/classifier.model [--eval]
"""
import argparse
import collections
import json
import math
import os
import re
import sys

import jieba

jieba.setLogLevel(60)

ASCII_WORD = re.compile(r"^[A-Za-z][A-Za-z0-9\-]+$")
CJK = re.compile(r"[\u4e00-\u9fff]")


def features(text):
    """The set of words the engine also sees: Chinese words of two or more
    characters and ASCII words of two or more letters, lower-cased."""
    out = set()
    for w in jieba.lcut(text, HMM=False):
        w = w.strip()
        if len(w) >= 2 and CJK.search(w):
            out.add(w)
        elif ASCII_WORD.match(w):
            out.add(w.lower())
    return out


def load_jsonl(path):
    with open(path, encoding="utf-8") as f:
        return [json.loads(line) for line in f if line.strip()]


def load_disciplines(path):
    """Discipline name -> (code, category) from disciplines.tsv."""
    table = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            code, name, category = line.rstrip("\n").split("\t")[:3]
            table[name] = (code, category)
    return table


def split(data_dir):
    dev = load_jsonl(os.path.join(data_dir, "csl-dev.jsonl"))
    dcp = load_jsonl(os.path.join(data_dir, "csldcp-abstract-discipline.jsonl"))
    held = [d for i, d in enumerate(dev) if i % 5 == 0]
    held_abstracts = {d["abstract"][:60] for d in held}
    train = [(d["title"] + "\n" + d["abstract"], d["discipline"])
             for i, d in enumerate(dev) if i % 5 != 0]
    train += [(d["abstract"], d["discipline"]) for d in dcp
              if d["abstract"][:60] not in held_abstracts]
    test = [(d["title"] + "\n" + d["abstract"], d["discipline"], d["category"]) for d in held]
    return train, test


class Model:
    def __init__(self, classes, class_docs, df, alpha):
        self.classes = classes
        self.class_docs = class_docs
        self.df = df  # word -> {class index: docs}
        self.alpha = alpha
        k = len(classes)
        self.totals = [0] * k
        for counts in df.values():
            for c, n in counts.items():
                self.totals[c] += n
        self.vocab = len(df)

    def scores(self, words):
        k = len(self.classes)
        n_docs = sum(self.class_docs)
        s = [math.log((self.class_docs[c] + 1.0) / (n_docs + k)) for c in range(k)]
        denom = [math.log(self.totals[c] + self.alpha * self.vocab) for c in range(k)]
        for w in words:
            counts = self.df.get(w)
            if not counts:
                continue
            for c in range(k):
                s[c] += math.log(counts.get(c, 0) + self.alpha) - denom[c]
        return s


def train(samples, names, min_df, alpha):
    classes = sorted({names[d][0] for _, d in samples})
    index = {code: i for i, code in enumerate(classes)}
    class_docs = [0] * len(classes)
    df = collections.defaultdict(collections.Counter)
    for text, disc in samples:
        c = index[names[disc][0]]
        class_docs[c] += 1
        for w in features(text):
            df[w][c] += 1
    kept = {w: dict(cnt) for w, cnt in df.items() if sum(cnt.values()) >= min_df}
    return Model(classes, class_docs, kept, alpha)


def evaluate(model, test, names):
    code_category = {code: cat for code, cat in names.values()}
    hits = collections.Counter()
    for text, disc, cat in test:
        s = model.scores(features(text))
        order = sorted(range(len(s)), key=lambda c: -s[c])
        codes = [model.classes[c] for c in order]
        gold = names[disc][0]
        hits["disc1"] += codes[0] == gold
        hits["disc3"] += gold in codes[:3]
        cats = []
        for code in codes:
            if code_category[code] not in cats:
                cats.append(code_category[code])
        hits["cat1"] += cats[0] == cat
        hits["cat3"] += cat in cats[:3]
    n = len(test)
    return {k: hits[k] / n for k in ("disc1", "disc3", "cat1", "cat3")}


def write(model, names, path):
    code_name = {code: name for name, (code, _) in names.items()}
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("# Extend_KVR discipline classifier. GENERATED by train_classifier.py; do not edit.\n")
        f.write("# Rebuild: /usr/bin/python3 data/extend_kvr/train_classifier.py "
                "--data <shared data>/zh --disciplines data/extend_kvr/disciplines.tsv "
                "--out data/extend_kvr/classifier.model\n")
        f.write("# Lines: 'alpha A'; 'class CODE DOCS NAME' (class index = order); "
                "'WORD<TAB>INDEX:DOCS ...' for each word.\n")
        f.write("alpha %g\n" % model.alpha)
        for c, code in enumerate(model.classes):
            f.write("class %s %d %s\n" % (code, model.class_docs[c], code_name[code]))
        for w in sorted(model.df):
            counts = model.df[w]
            f.write(w + "\t" + " ".join("%d:%d" % (c, counts[c]) for c in sorted(counts)) + "\n")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--data", required=True)
    ap.add_argument("--disciplines", required=True)
    ap.add_argument("--out")
    ap.add_argument("--min-df", type=int, default=2)
    ap.add_argument("--alpha", type=float, default=0.1)
    ap.add_argument("--eval", action="store_true", help="report held-out accuracy")
    args = ap.parse_args()
    names = load_disciplines(args.disciplines)
    samples, test = split(args.data)
    missing = {d for _, d in samples if d not in names}
    if missing:
        sys.exit("disciplines missing from %s: %s" % (args.disciplines, ", ".join(sorted(missing))))
    model = train(samples, names, args.min_df, args.alpha)
    print("trained on %d documents, %d classes, %d words" %
          (len(samples), len(model.classes), len(model.df)))
    if args.eval:
        r = evaluate(model, test, names)
        print("held-out %d: discipline top-1 %.3f top-3 %.3f, category top-1 %.3f top-3 %.3f" %
              (len(test), r["disc1"], r["disc3"], r["cat1"], r["cat3"]))
    if args.out:
        write(model, names, args.out)


if __name__ == "__main__":
    main()
