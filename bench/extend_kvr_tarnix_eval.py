#!/usr/bin/python3
"""Keyword quality of Tarnix_Direct with both reference engines on the
shared data (author keywords withheld), side by side with jieba's
extract_tags (Chinese) and a plain TF-IDF of single words (English).

Usage: /usr/bin/python3 bench/extend_kvr_tarnix_eval.py <build dir> <shared data dir>
Runs in a temporary directory (the run log lands there). Chinese figures are
given for the tuning half of csl-dev (articles at even positions, the only
ones the engine's term model was trained and tuned on), the held-out half
(odd positions) and the whole file; and, since no Chinese full texts are at
hand, for every third csl-dev article given the abstracts of 40 other
articles of its discipline (csldcp) as its full text.
"""
import ctypes
import json
import math
import os
import re
import sys
import tempfile
import unicodedata
import collections

import jieba
import jieba.analyse

jieba.setLogLevel(60)


class KeywordEntry(ctypes.Structure):
    _fields_ = [("keyword_text", ctypes.c_char * 128), ("second_text", ctypes.c_char * 256),
                ("frequency", ctypes.c_int32), ("class_code", ctypes.c_char * 128),
                ("reserved", ctypes.c_char * 4), ("weight", ctypes.c_double)]


def stem(w):
    # Porter stemming is what the scoring convention asks for; nltk is not
    # packaged here, so English scores use a light suffix stripper on both
    # sides alike.
    for suf in ("ational", "ization", "ations", "ation", "ings", "ing", "ies", "es", "s", "ed", "ly"):
        if len(w) > len(suf) + 3 and w.endswith(suf):
            return w[: -len(suf)]
    return w


def norm(s, en):
    s = unicodedata.normalize("NFKC", s).lower().strip()
    return " ".join(stem(w) for w in s.split()) if en else s


def f1(pred, gold, k, en):
    gold = {norm(g, en) for g in gold}
    seen, hits = set(), 0
    for p in pred[:k]:
        q = norm(p, en)
        if q in gold and q not in seen:
            hits += 1
            seen.add(q)
    p = hits / k
    r = hits / len(gold) if gold else 0.0
    return 2 * p * r / (p + r) if p + r else 0.0


def main():
    build, data = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    os.chdir(tempfile.mkdtemp(prefix="ekvr_eval_"))
    lib = ctypes.CDLL(os.path.join(build, "lib", "libTarnix.so"))
    buf = (KeywordEntry * 800)()

    def run(title, abstract, lang, file=b""):
        n = ctypes.c_int(800)
        r = lib.Tarnix_Direct(title, abstract, b"", file, b"", b"", buf, ctypes.byref(n), lang, 1, 1)
        enc = "gbk" if lang == 1 else "ascii"
        return [buf[i].keyword_text.decode(enc, "replace") for i in range(n.value)] if r == 0 else []

    out = {}
    assert lib.Tarnix_Initial(1, 1) == 0
    zh = [json.loads(l) for l in open(os.path.join(data, "zh", "csl-dev.jsonl"), encoding="utf-8")]
    s = collections.Counter()
    for i, a in enumerate(zh):
        kws = run(a["title"].encode("gbk", "replace"), a["abstract"].encode("gbk", "replace"), 1)
        jb = jieba.analyse.extract_tags(a["title"] + a["abstract"], topK=10)
        for part in ("all", "tune" if i % 2 == 0 else "held"):
            s[part, "n"] += 1
            s[part, "t5"] += f1(kws, a["keywords"], 5, False)
            s[part, "j5"] += f1(jb, a["keywords"], 5, False)
            s[part, "t10"] += f1(kws, a["keywords"], 10, False)
    for part, name in (("tune", "tuning half"), ("held", "held-out half"), ("all", "all")):
        n = s[part, "n"]
        print("zh csl-dev %s (%d): Tarnix F1@5 %.4f F1@10 %.4f; jieba extract_tags F1@5 %.4f"
              % (name, n, s[part, "t5"] / n, s[part, "t10"] / n, s[part, "j5"] / n))
    others = collections.defaultdict(list)
    for l in open(os.path.join(data, "zh", "csldcp-abstract-discipline.jsonl"), encoding="utf-8"):
        a = json.loads(l)
        others[a["discipline"]].append(a["abstract"].replace("\n", " "))
    s = collections.Counter()
    for i, a in enumerate(zh):
        pool = [x for x in others[a["discipline"]] if x != a["abstract"]]
        if i % 3 or len(pool) < 40:
            continue
        start = (s["n"] * 7) % (len(pool) - 39)
        body = "".join(pool[start:start + 40])
        kws = run(a["title"].encode("gbk", "replace"), a["abstract"].encode("gbk", "replace"), 1,
                  body.encode("gbk", "replace"))
        jb = jieba.analyse.extract_tags(a["title"] + a["abstract"] + body, topK=10)
        s["n"] += 1
        s["t5"] += f1(kws, a["keywords"], 5, False)
        s["t10"] += f1(kws, a["keywords"], 10, False)
        s["j5"] += f1(jb, a["keywords"], 5, False)
        s["j10"] += f1(jb, a["keywords"], 10, False)
    n = s["n"]
    print("zh csl-dev with 40 other abstracts as full text (%d): Tarnix F1@5 %.4f F1@10 %.4f; "
          "jieba extract_tags F1@5 %.4f F1@10 %.4f"
          % (n, s["t5"] / n, s["t10"] / n, s["j5"] / n, s["j10"] / n))
    lib.Tarnix_FreeDict()
    assert lib.Tarnix_Initial(2, 0) == 0
    word = re.compile(r"[a-z][a-z0-9-]+")
    for name in ("kdd.jsonl", "SemEval2017.jsonl"):
        docs = [json.loads(l) for l in open(os.path.join(data, "en", name), encoding="utf-8")]
        df = collections.Counter()
        for d in docs:
            df.update(set(word.findall(d["text"].lower())))
        s = collections.Counter()
        for d in docs:
            text = d["text"].encode("ascii", "replace")
            title, _, body = text.partition(b"\n")
            kws = run(title, body, 2)
            tf = collections.Counter(word.findall(d["text"].lower()))
            base = sorted(tf, key=lambda w: -tf[w] * math.log(len(docs) / df[w]))
            s["t"] += f1(kws, d["keywords"], 10, True)
            s["b"] += f1(base, d["keywords"], 10, True)
        print("en %s (%d): Tarnix F1@10 %.4f; TF-IDF baseline F1@10 %.4f"
              % (name, len(docs), s["t"] / len(docs), s["b"] / len(docs)))
    lib.Tarnix_FreeDict()


if __name__ == "__main__":
    main()
