#!/usr/bin/python3
"""Trains Extend_KVR's English term model (en_term_model.txt) and its
keyphraseness table (en_keyphrases.txt).

The model is a set of gradient-boosted regression trees (scikit-learn's
HistGradientBoostingClassifier) for "this candidate phrase is an annotated
keyphrase", over the features the engine computes for every English
candidate (engines/extend_kvr/en_features.h); --learner logistic fits the
older logistic regression instead. The trees are written out node by node
for engines/extend_kvr/tree_ensemble.h, whose score is the classifier's
decision function (the trainer checks that on every candidate). The features come from the
built engine itself: `tarnix eval` runs over the training lines with
EKVR_EN_FEATURE_DUMP set, so the articles are split into title, abstract
and body exactly as the evaluation splits them.

Training uses only the training part of each English set of the shared
data: lines whose 0-based index i has i % 4 != 3. Every fourth line is held
out for evaluation (`tarnix eval --heldout`).

A candidate is a keyphrase when its shown text matches a reference keyword
after the scoring convention's normalisation (NFKC, lower case, Porter stem
of each word). The keyphraseness table counts, per phrase key, the training
articles that named it a keyphrase and those it was a candidate in; while
training, each article's own contribution is left out of its features
(leave-one-out), as it would be for an unseen article.

Needs python3-numpy, python3-sklearn and python3-snowballstemmer (Debian),
at training time only.

Usage (from the repository):
  /usr/bin/python3 data/extend_kvr/train_en_model.py --build build \\
      --data ../shared/data/en --out data/extend_kvr
then rebuild (the data folder is refreshed from data/extend_kvr).
"""
import argparse
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile
import unicodedata

import numpy as np
import snowballstemmer

from build_en_idf import withheld
from tree_export import tree_lines

SETS = ["kdd", "www", "SemEval2017", "fao30", "citeulike180", "theses100", "wiki20"]
KP_LOG, KP_RATIO, KP_NEVER = 17, 18, 19  # en_features.h: kEKpLog, kEKpRatio, kEKpNever
L2 = 1.0
# Whole papers are a tenth of the training articles but what most hosts
# index: each counts this many times an abstract.
LONG_ARTICLE = 1000  # candidates
LONG_WEIGHT = 4.0
ITERATIONS = 60
# Boosting: small trees, many of them, each leaf backed by enough
# candidates; chosen on the tuning lines (--residues 0,1).
TREES = dict(learning_rate=0.1, max_iter=200, max_leaf_nodes=31, max_depth=5, min_samples_leaf=100, l2_regularization=1.0,
             random_state=0)

STEM = snowballstemmer.stemmer("porter")


def match_form(text):
    t = unicodedata.normalize("NFKC", text).lower().strip()
    return " ".join(STEM.stemWord(w) for w in t.split())


def kp_features(kp, df):
    kp, df = max(kp, 0), max(df, 0)
    return math.log1p(kp), min(1.0, kp / (df + 1)), 1.0 if kp == 0 else 0.0


def untrained_data(build, work):
    """The build's data folder without the English term model: the engine
    then still computes every feature (whatever model, of whatever feature
    set, the build holds)."""
    folder = os.path.join(work, "data")
    shutil.copytree(os.path.join(build, "share", "extend_kvr"), folder,
                    ignore=shutil.ignore_patterns("en_term_model.txt"))
    return folder


def dump_features(tarnix, path, dump, data):
    env = dict(os.environ, EKVR_EN_FEATURE_DUMP=dump, EKVR_DATA=data)
    if os.path.exists(dump):
        os.remove(dump)
    subprocess.run([tarnix, "eval", "--quiet", "--jobs", "1", "--lang", "en", path], env=env, check=True,
                   stdout=subprocess.DEVNULL)
    articles = []
    with open(dump, encoding="gbk", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if line == "#article":
                articles.append([])
                continue
            cols = line.split("\t")
            articles[-1].append((cols[0], cols[1], [float(x) for x in cols[2:]]))
    return articles


def collect(tarnix, data, work, residues):
    docs = []  # (set name, gold match forms, rows)
    engine_data = untrained_data(os.path.dirname(os.path.dirname(tarnix)), work)
    for name in SETS:
        src = os.path.join(data, name + ".jsonl")
        if not os.path.exists(src):
            continue
        train = os.path.join(work, name + ".jsonl")
        golds = []
        with open(src, encoding="utf-8") as f, open(train, "w", encoding="utf-8") as out:
            for i, line in enumerate(f):
                if i % 4 not in residues or not line.strip():
                    continue
                rec = json.loads(line)
                if not rec.get("keywords"):
                    continue
                out.write(line if line.endswith("\n") else line + "\n")
                golds.append({match_form(k) for k in rec["keywords"]} - {""})
        articles = dump_features(tarnix, train, os.path.join(work, "dump.tsv"), engine_data)
        if len(articles) != len(golds):
            sys.exit("%s: %d articles dumped for %d training lines" % (name, len(articles), len(golds)))
        for gold, rows in zip(golds, articles):
            docs.append((name, gold, rows))
        print("%s: %d training articles, %d candidates" % (name, len(golds), sum(len(a) for a in articles)),
              file=sys.stderr)
    return docs


def keyphraseness(docs):
    kp, df = {}, {}
    labelled = []
    for name, gold, rows in docs:
        doc_rows = []
        for key, shown, x in rows:
            y = 1 if match_form(shown) in gold else 0
            df[key] = df.get(key, 0) + 1
            kp[key] = kp.get(key, 0) + y
            doc_rows.append((key, y, x))
        labelled.append(doc_rows)
    return kp, df, labelled


def design(kp, df, labelled):
    xs, ys, ws = [], [], []
    for doc_rows in labelled:
        # Every article weighs the same, however many candidates it has.
        w = 1.0 / max(len(doc_rows), 1) * 100.0
        if len(doc_rows) >= LONG_ARTICLE:
            w *= LONG_WEIGHT
        for key, y, x in doc_rows:
            x = list(x)
            x[KP_LOG], x[KP_RATIO], x[KP_NEVER] = kp_features(kp[key] - y, df[key] - 1)
            xs.append(x)
            ys.append(y)
            ws.append(w)
    # As the engine holds them: floats.
    x = np.array(xs, dtype=np.float32).astype(np.float64)
    return x, np.array(ys, dtype=np.float64), np.array(ws, dtype=np.float64)


def train(x, y, sw):
    """Weighted L2 logistic regression by Newton's method."""
    n, d = x.shape
    w = np.zeros(d)
    reg = np.full(d, L2)
    reg[0] = 0.0  # the bias is not shrunk
    for _ in range(ITERATIONS):
        z = np.clip(x @ w, -30, 30)
        p = 1.0 / (1.0 + np.exp(-z))
        grad = x.T @ (sw * (p - y)) + reg * w
        h = (x * (sw * p * (1 - p))[:, None]).T @ x + np.diag(reg) + 1e-9 * np.eye(d)
        step = np.linalg.solve(h, grad)
        w -= step
        if np.max(np.abs(step)) < 1e-7:
            break
    return w


def fit_trees(x, y, sw):
    from sklearn.ensemble import HistGradientBoostingClassifier
    model = HistGradientBoostingClassifier(**TREES)
    model.fit(x, y, sample_weight=sw)
    return model


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True, help="the build folder (bin/tarnix)")
    ap.add_argument("--data", required=True, help="the folder of the English sets")
    ap.add_argument("--out", required=True, help="where en_term_model.txt and en_keyphrases.txt go")
    ap.add_argument("--learner", choices=["trees", "logistic"], default="trees")
    ap.add_argument("--residues", default="0,1,2",
                    help="train on the lines whose index modulo 4 is one of these (3 is held out; "
                         "0,1 leaves 2 for tuning)")
    args = ap.parse_args()
    residues = {int(r) for r in args.residues.split(",")}
    if 3 in residues:
        sys.exit("lines with index % 4 == 3 are held out for evaluation")
    tarnix = os.path.abspath(os.path.join(args.build, "bin", "tarnix"))
    with tempfile.TemporaryDirectory(prefix="ekvr_en_train_") as work:
        docs = collect(tarnix, os.path.abspath(args.data), work, residues)
    kp, df, labelled = keyphraseness(docs)
    x, y, sw = design(kp, df, labelled)
    print("%d candidates, %d keyphrases" % (len(y), int(y.sum())), file=sys.stderr)
    out = os.path.abspath(args.out)
    if args.learner == "trees":
        body = tree_lines(fit_trees(x, y, sw), x)
        learner = "gradient-boosted trees"
    else:
        body = ["weights " + " ".join("%.4f" % v for v in train(x, y, sw))]
        learner = "logistic regression"
    with open(os.path.join(out, "en_term_model.txt"), "w", encoding="ascii") as f:
        f.write("# GENERATED by data/extend_kvr/train_en_model.py (%s) from the training lines\n"
                "# (i %% 4 in %s) of the shared English sets; see data/extend_kvr/README.md to rebuild.\n"
                % (learner, ",".join(str(r) for r in sorted(residues))))
        f.write("features %d\nlambda 1\n" % x.shape[1])
        f.write("\n".join(body) + "\n")
    with open(os.path.join(out, "en_keyphrases.txt"), "w", encoding="ascii", errors="replace") as f:
        f.write("# GENERATED by data/extend_kvr/train_en_model.py: phrase key, training articles that\n"
                "# named it a keyphrase, training articles it was a candidate in.\n")
        for key in sorted(k for k in kp if kp[k] > 0):
            if key.isascii() and "\t" not in key and not withheld(key):
                f.write("%s\t%d\t%d\n" % (key, kp[key], df[key]))


if __name__ == "__main__":
    main()
