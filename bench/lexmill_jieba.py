#!/usr/bin/python3
"""python3-jieba (jieba.lcut, HMM off) on the same corpus, for comparison with
Lexmill. Prints its speed; with --dump writes its cuts (one line per input
line, words separated by U+0001) for the boundary comparison.

  lexmill_jieba.py CORPUS_UTF8.txt [--dump OUT]
"""
import argparse
import logging
import time

import jieba

ap = argparse.ArgumentParser()
ap.add_argument("corpus")
ap.add_argument("--dump")
args = ap.parse_args()
jieba.setLogLevel(logging.WARNING)
t0 = time.perf_counter()
jieba.initialize()
t1 = time.perf_counter()
lines = [l.rstrip("\n") for l in open(args.corpus, encoding="utf-8") if l.strip()]
nbytes = sum(len(l.encode("utf-8")) for l in lines)
t2 = time.perf_counter()
cuts = [jieba.lcut(l, HMM=False) for l in lines]
t3 = time.perf_counter()
print("python3-jieba load_ms=%.1f seconds_per_pass=%.4f utf8_mb_per_s=%.2f words=%d"
      % ((t1 - t0) * 1e3, t3 - t2, nbytes / (t3 - t2) / 1e6, sum(map(len, cuts))))
if args.dump:
    with open(args.dump, "w", encoding="utf-8") as out:
        for c in cuts:
            out.write("\x01".join(c) + "\n")
