"""Writes a fitted scikit-learn HistGradientBoostingClassifier as the tree
lines of a term model file (engines/extend_kvr/tree_ensemble.h), and checks
that the trees as written score the training rows as scikit-learn does."""
import sys

import numpy as np


def tree_lines(model, x):
    """The model file's lines for the trees, checked against the classifier's own scores."""
    baseline = float(np.ravel(model._baseline_prediction)[0])
    lines = ["baseline %.17g" % baseline]
    trees = [p[0].nodes for p in model._predictors]
    for nodes in trees:
        lines.append("tree")
        for node in nodes:
            if node["is_leaf"]:
                lines.append("leaf %.17g" % node["value"])
            else:
                if node["is_categorical"] or not (node["left"] > 0 and node["right"] > 0):
                    sys.exit("a tree the engine cannot read")
                lines.append("split %d %.17g %d %d" % (node["feature_idx"], node["num_threshold"],
                                                       node["left"], node["right"]))
    # The engine's walk, here: the scores must be the classifier's.
    score = np.full(len(x), baseline)
    for nodes in trees:
        at = np.zeros(len(x), dtype=np.int64)
        while True:
            leaf = nodes["is_leaf"][at].astype(bool)
            if leaf.all():
                break
            feat, thr = nodes["feature_idx"][at], nodes["num_threshold"][at]
            go_left = x[np.arange(len(x)), feat] <= thr
            nxt = np.where(go_left, nodes["left"][at], nodes["right"][at])
            at = np.where(leaf, at, nxt)
        score += nodes["value"][at]
    if not np.allclose(score, model.decision_function(x), atol=1e-9):
        sys.exit("the written trees do not score as the classifier does")
    return lines
