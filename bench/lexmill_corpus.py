#!/usr/bin/python3
"""Makes the benchmark corpora from the Chinese article files (JSON lines):
one text a line (title, abstract), only lines that GBK can hold, written both
in GBK and in UTF-8 so that every segmenter reads the same text.

  lexmill_corpus.py ZH_DIR OUT_DIR
writes corpus.gbk / corpus.utf8 (all articles) and abstracts.utf8 (the
abstracts of csl-dev.jsonl, for the boundary comparison).
"""
import json
import os
import sys


def texts(path):
    with open(path, encoding="utf-8") as f:
        for line in f:
            rec = json.loads(line)
            for key in ("title", "abstract", "content", "text"):
                t = rec.get(key)
                if isinstance(t, str) and t.strip():
                    yield " ".join(t.split())


def gbk_ok(t):
    try:
        t.encode("gbk")
        return True
    except UnicodeEncodeError:
        return False


def main():
    zh, out = sys.argv[1], sys.argv[2]
    all_lines, skipped = [], 0
    for name in sorted(os.listdir(zh)):
        if name.endswith(".jsonl"):
            for t in texts(os.path.join(zh, name)):
                if gbk_ok(t):
                    all_lines.append(t)
                else:
                    skipped += 1
    with open(os.path.join(out, "corpus.gbk"), "wb") as g, \
            open(os.path.join(out, "corpus.utf8"), "w", encoding="utf-8") as u:
        for t in all_lines:
            g.write(t.encode("gbk") + b"\n")
            u.write(t + "\n")
    with open(os.path.join(zh, "csl-dev.jsonl"), encoding="utf-8") as f, \
            open(os.path.join(out, "abstracts.utf8"), "w", encoding="utf-8") as a:
        for line in f:
            t = " ".join(json.loads(line)["abstract"].split())
            if gbk_ok(t):
                a.write(t + "\n")
    size = sum(len(t.encode("gbk")) for t in all_lines)
    print("corpus: %d lines, %.2f MB GBK, %d lines skipped (not GBK)" % (len(all_lines), size / 1e6, skipped))


if __name__ == "__main__":
    main()
