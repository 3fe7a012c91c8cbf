#!/usr/bin/python3
"""The peer python3-jieba (Debian): jieba.analyse.extract_tags(text, topK=10)
on each line of a UTF-8 file, PASSES passes; prints articles per second of
the best pass, as the other short-abstract figures are.

Usage: /usr/bin/python3 bench/jieba_tfidf_lines.py TEXTS.utf8 [PASSES]
"""
import logging
import sys
import time

import jieba
import jieba.analyse


def main():
    passes = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    with open(sys.argv[1], encoding="utf-8") as f:
        texts = [line.rstrip("\n") for line in f if line.strip()]
    jieba.setLogLevel(logging.WARNING)
    t0 = time.perf_counter()
    jieba.initialize()
    for text in texts[:50]:
        jieba.analyse.extract_tags(text, topK=10)  # loads the idf table too
    load = time.perf_counter() - t0
    best = float("inf")
    for _ in range(passes):
        t = time.perf_counter()
        for text in texts:
            jieba.analyse.extract_tags(text, topK=10)
        best = min(best, time.perf_counter() - t)
    print("python3-jieba extract_tags: %d articles, best of %d passes %.1f ms, %.0f articles/s (load %.0f ms)" % (
        len(texts), passes, best * 1000, len(texts) / best, load * 1000))


if __name__ == "__main__":
    main()
