#!/usr/bin/python3
"""Trains Extend_KVR's term model (term_model.txt): gradient-boosted trees
(scikit-learn's HistGradientBoostingClassifier) for "this Chinese candidate
is an author keyword" over the features the engine computes for every
candidate (engines/extend_kvr/term_model.h), written out node by node for
engines/extend_kvr/tree_ensemble.h. --learner logistic fits the older
logistic regression instead.

Training uses only the tuning half of csl-dev.jsonl, the articles at even
positions (0, 2, 4, ...), title and abstract as input, author keywords as
labels; the odd half stays held out for evaluation. The features come from
the built engine itself (EKVR_FEATURE_DUMP), so the trained weights match
what it computes.

Needs python3-numpy and python3-sklearn for the trees.

Usage:
  /usr/bin/python3 data/extend_kvr/train_term_model.py --build build \
      --data ../shared/data/zh --out data/extend_kvr/term_model.txt
"""
import argparse
import ctypes
import json
import math
import os
import random
import sys
import tempfile
import unicodedata

# One thread: the fit is small, and OpenMP's spinning threads slow to a
# crawl on a machine whose cores are busy with anything else.
os.environ.setdefault("OMP_NUM_THREADS", "1")

from tree_export import tree_lines

LAMBDA = 1.0  # weights are 100 * probability ** LAMBDA; 1 keeps them probabilities
# The trees' size, chosen by the model's own ranking on a quarter of the
# tuning half (trained on the other quarter).
TREES = dict(learning_rate=0.1, max_iter=100, max_leaf_nodes=8, max_depth=3, min_samples_leaf=20, l2_regularization=1.0,
             random_state=0)
EPOCHS = 12
RATE = 0.1
L2 = 1e-4
SEED = 1


def norm(s):
    return unicodedata.normalize("NFKC", s).lower().strip()


def f1_at(pred, gold, k):
    hits = len({p for p in pred[:k]} & gold)
    p, r = hits / k, hits / len(gold) if gold else 0.0
    return 2 * p * r / (p + r) if p + r else 0.0


def collect(build, data):
    dump = tempfile.mktemp(prefix="ekvr_features_")
    os.environ["EKVR_FEATURE_DUMP"] = dump
    os.chdir(tempfile.mkdtemp(prefix="ekvr_train_"))
    ek = ctypes.CDLL(os.path.join(build, "lib", "libExtend_KVR.so"))
    ek.SetCHIThreshold.argtypes = [ctypes.c_float]
    if ek.EKVR_SetPath() != 1 or ek.EKVR_Word_Init(1, 1) == 0:
        sys.exit("Extend_KVR did not start (is the build complete?)")
    articles = []
    with open(os.path.join(data, "csl-dev.jsonl"), encoding="utf-8") as f:
        for i, a in enumerate(map(json.loads, f)):
            if os.path.exists(dump):
                os.remove(dump)
            ok = (ek.EKVR_Init_File2(a["title"].encode("gbk", "replace"), b"", a["abstract"].encode("gbk", "replace"),
                                     b"", b"", ctypes.create_string_buffer(b"NULL")) == 1
                  and ek.SetCHIThreshold(200.0) == 1 and ek.EKVR_CalculateTxtValue(0, 1) == 1)
            rows = []
            if ok and os.path.exists(dump):
                with open(dump, encoding="gbk", errors="replace") as d:
                    for line in d:
                        cols = line.rstrip("\n").split("\t")
                        rows.append((cols[0], [float(x) for x in cols[1:]]))
            articles.append((i, {norm(g) for g in a["keywords"]}, rows))
    if os.path.exists(dump):
        os.remove(dump)
    ek.EKVR_FreeDict()
    return articles


def train(articles, modulus):
    data = [(x, 1 if norm(w) in gold else 0) for i, gold, rows in articles if i % modulus == 0 for w, x in rows]
    nf = len(data[0][0])
    random.seed(SEED)
    w = [0.0] * nf
    for epoch in range(EPOCHS):
        random.shuffle(data)
        rate = RATE / (1 + epoch)
        for x, y in data:
            z = max(-30.0, min(30.0, sum(a * b for a, b in zip(w, x))))
            g = 1 / (1 + math.exp(-z)) - y
            for k in range(nf):
                if x[k]:
                    w[k] -= rate * (g * x[k] + L2 * w[k])
    return w


def fit_trees(articles, modulus):
    import numpy as np
    from sklearn.ensemble import HistGradientBoostingClassifier
    xs, ys = [], []
    for i, gold, rows in articles:
        if i % modulus != 0:
            continue
        for w, x in rows:
            xs.append(x)
            ys.append(1 if norm(w) in gold else 0)
    # As the engine holds them: floats.
    x = np.array(xs, dtype=np.float32).astype(np.float64)
    model = HistGradientBoostingClassifier(**TREES).fit(x, np.array(ys))
    return model, tree_lines(model, x)


def ranked_f1(articles, w, half):
    """F1@5 of the model's own ranking, nested candidates kept once (as
    Tarnix's root-word merging keeps them), texts over 7 characters dropped."""
    total = n = 0
    for i, gold, rows in articles:
        if i % 2 != half:
            continue
        chosen = []
        scores = w([x for _, x in rows]) if rows else []
        for _, word in sorted(zip((-s for s in scores), (word for word, _ in rows)), key=lambda r: r[0]):
            if len(word) > 7 or any(word in c or c in word for c in chosen):
                continue
            chosen.append(word)
            if len(chosen) == 5:
                break
        total += f1_at([norm(c) for c in chosen], gold, 5)
        n += 1
    return total / max(n, 1)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--data", required=True, help="the folder of csl-dev.jsonl")
    ap.add_argument("--out", required=True)
    ap.add_argument("--learner", choices=["trees", "logistic"], default="trees")
    ap.add_argument("--quarter", action="store_true",
                    help="train on the articles at positions 0, 4, 8, ... only, leaving 2, 6, 10, ... "
                         "of the tuning half for choices such as lambda (tarnix eval --every 4 --offset 2)")
    args = ap.parse_args()
    build, out = os.path.abspath(args.build), os.path.abspath(args.out)
    articles = collect(build, os.path.abspath(args.data))
    if args.learner == "trees":
        model, body = fit_trees(articles, 4 if args.quarter else 2)
        score = lambda xs: model.decision_function(xs).tolist()
        learner = "gradient-boosted trees"
    else:
        w = train(articles, 4 if args.quarter else 2)
        body = ["weights " + " ".join("%.4f" % v for v in w)]
        score = lambda xs: [sum(a * b for a, b in zip(w, x)) for x in xs]
        learner = "logistic regression"
    print("model ranking F1@5: tuning half %.4f, held-out half %.4f"
          % (ranked_f1(articles, score, 0), ranked_f1(articles, score, 1)))
    with open(out, "w", encoding="ascii") as f:
        f.write("# GENERATED by data/extend_kvr/train_term_model.py (%s) from the even half\n"
                "# of csl-dev.jsonl (CSL, Apache-2.0); see data/extend_kvr/README.md to rebuild.\n" % learner)
        features = next(len(rows[0][1]) for _, _, rows in articles if rows)
        f.write("features %d\nlambda %g\n" % (features, LAMBDA))
        f.write("\n".join(body) + "\n")


if __name__ == "__main__":
    main()
