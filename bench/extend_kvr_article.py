#!/usr/bin/python3
"""Builds the 16 KB Chinese article of the whole-pipeline benchmark: the
title and abstract of the first csl-dev article of a discipline, and as its
full text the abstracts of the first 40 other articles of that discipline in
csldcp-abstract-discipline.jsonl, cut at a character boundary so that the
three texts together take 16384 bytes in GBK.

Usage: /usr/bin/python3 bench/extend_kvr_article.py ZH_DATA_DIR OUT_DIR [DISCIPLINE]
Writes OUT_DIR/article.gbk and OUT_DIR/article.utf8: three lines, title,
abstract, full text.
"""
import json
import os
import sys

TOTAL = 16384
OTHERS = 40


def main():
    data, out = sys.argv[1], sys.argv[2]
    discipline = sys.argv[3] if len(sys.argv) > 3 else "计算机科学与技术"
    with open(os.path.join(data, "csl-dev.jsonl"), encoding="utf-8") as f:
        head = next(a for a in map(json.loads, f) if a["discipline"] == discipline)
    title = head["title"].encode("gbk", "replace")
    abstract = head["abstract"].encode("gbk", "replace")
    others = []
    with open(os.path.join(data, "csldcp-abstract-discipline.jsonl"), encoding="utf-8") as f:
        for a in map(json.loads, f):
            if a["discipline"] == discipline and a["abstract"] != head["abstract"]:
                others.append(a["abstract"].replace("\n", " "))
            if len(others) == OTHERS:
                break
    if len(others) < OTHERS:
        sys.exit("only %d other abstracts of %s" % (len(others), discipline))
    body = "".join(others).encode("gbk", "replace")
    room = TOTAL - len(title) - len(abstract)
    if len(body) < room:
        sys.exit("the %d abstracts fill only %d of %d bytes" % (OTHERS, len(body), room))
    body = body[:room].decode("gbk", "ignore").encode("gbk")  # whole characters only
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "article.gbk"), "wb") as f:
        f.write(b"\n".join([title, abstract, body]) + b"\n")
    with open(os.path.join(out, "article.utf8"), "wb") as f:
        f.write("\n".join(x.decode("gbk") for x in (title, abstract, body)).encode("utf-8") + b"\n")
    print("article: %s; %d + %d + %d = %d bytes GBK" % (
        head["title"], len(title), len(abstract), len(body), len(title) + len(abstract) + len(body)))


if __name__ == "__main__":
    main()
