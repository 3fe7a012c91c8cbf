#!/usr/bin/python3
"""Measures Extend_KVR on the shared data through its exported functions.

  classes: top-1/top-3 discipline and category accuracy of GetTxtClassifyTemp
           (class mode 1) on the held-out csl-dev articles (index % 5 == 0,
           the ones train_classifier.py leaves out);
  terms:   F1@5/F1@10 of the engine's own term ranking (kind 1 records of
           title + abstract, one entry per text by summed weight) against the
           author keywords, side by side with jieba.analyse.extract_tags.

Usage: /usr/bin/python3 bench/extend_kvr_eval.py <build dir> <shared data dir>
"""
import ctypes
import json
import os
import sys
import unicodedata

import jieba
import jieba.analyse

jieba.setLogLevel(60)


class ArticleTerm(ctypes.Structure):
    _fields_ = [("word", ctypes.c_char * 101), ("class_code", ctypes.c_char * 103),
                ("weight", ctypes.c_float), ("reserved1", ctypes.c_int32),
                ("frequency", ctypes.c_int32), ("second_word", ctypes.c_char * 104),
                ("reserved2", ctypes.c_int32), ("reserved3", ctypes.c_int32),
                ("position", ctypes.c_int32)]


def norm(s):
    return unicodedata.normalize("NFKC", s).lower().strip()


def prf(pred, gold, k):
    gold = {norm(g) for g in gold}
    hits = sum(1 for p in pred[:k] if norm(p) in gold)
    p = hits / k
    r = hits / len(gold) if gold else 0.0
    return 2 * p * r / (p + r) if p + r else 0.0


def main():
    build, data = sys.argv[1], sys.argv[2]
    ctypes.CDLL(os.path.join(build, "lib", "libLexmill.so"), mode=ctypes.RTLD_GLOBAL)
    e = ctypes.CDLL(os.path.join(build, "lib", "libExtend_KVR.so"))
    e.SetCHIThreshold.argtypes = [ctypes.c_float]
    assert e.EKVR_SetPath() == 1 and e.EKVR_Word_Init(1, 1) != 0
    disciplines = {}
    with open(os.path.join(os.path.dirname(__file__), "..", "data", "extend_kvr", "disciplines.tsv"),
              encoding="utf-8") as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                code, name, cat = line.split("\t")[:3]
                disciplines[name] = (code, cat)
    code_cat = {c: cat for c, cat in disciplines.values()}
    arts = [json.loads(l) for l in open(os.path.join(data, "zh", "csl-dev.jsonl"), encoding="utf-8")]
    table = (ArticleTerm * 10000)()
    bufs = [ctypes.create_string_buffer(128) for _ in range(100)]
    classes = (ctypes.c_char_p * 100)(*[ctypes.cast(b, ctypes.c_char_p) for b in bufs])
    scores = (ctypes.c_float * 100)()
    acc = {"d1": 0, "d3": 0, "c1": 0, "c3": 0}
    held = 0
    f = {"ekvr5": 0.0, "ekvr10": 0.0, "jieba5": 0.0, "jieba10": 0.0}
    for i, a in enumerate(arts):
        g = lambda s: s.encode("gbk", "replace")
        assert e.EKVR_Init_File2(g(a["title"]), b"", g(a["abstract"]), b"", b"", ctypes.c_char_p(b"NULL")) == 1
        assert e.SetCHIThreshold(200.0) == 1
        assert e.EKVR_CalculateTxtValue(0, 1) == 1
        if i % 5 == 0:
            held += 1
            n = ctypes.c_int(100)
            e.GetTxtClassifyTemp(classes, scores, ctypes.byref(n), 0)
            codes = [bufs[k].value.decode() for k in range(n.value)]
            gold = disciplines[a["discipline"]][0]
            acc["d1"] += codes[:1] == [gold]
            acc["d3"] += gold in codes[:3]
            cats = []
            for c in codes:
                if code_cat[c] not in cats:
                    cats.append(code_cat[c])
            acc["c1"] += cats[:1] == [a["category"]]
            acc["c3"] += a["category"] in cats[:3]
        n = ctypes.c_int(10000)
        assert e.EKVR_GetArticleInfo(table, ctypes.byref(n), 1) == 1
        total = {}
        for k in range(n.value):
            w = table[k].word.decode("gbk", "replace")
            total[w] = total.get(w, 0.0) + table[k].weight * (4.0 if table[k].position == 1 else 1.0)
        ranked = sorted(total, key=lambda w: -total[w])
        jb = jieba.analyse.extract_tags(a["title"] + a["abstract"], topK=10)
        for name, pred in (("ekvr", ranked), ("jieba", jb)):
            f[name + "5"] += prf(pred, a["keywords"], 5)
            f[name + "10"] += prf(pred, a["keywords"], 10)
    print("classes (held-out %d): discipline top-1 %.3f top-3 %.3f, category top-1 %.3f top-3 %.3f"
          % (held, acc["d1"] / held, acc["d3"] / held, acc["c1"] / held, acc["c3"] / held))
    print("terms (%d articles): engine F1@5 %.3f F1@10 %.3f; jieba extract_tags F1@5 %.3f F1@10 %.3f"
          % (len(arts), f["ekvr5"] / len(arts), f["ekvr10"] / len(arts), f["jieba5"] / len(arts),
             f["jieba10"] / len(arts)))
    e.EKVR_FreeDict()


if __name__ == "__main__":
    main()
