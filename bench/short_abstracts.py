#!/usr/bin/python3
"""Writes the short-abstract corpus of bench/short_abstracts.sh from csl-dev:
each article's title and abstract (the author keywords left out), as

  OUT/articles.gbk    title TAB abstract, one article a line (Tarnix_Direct)
  OUT/articles.jsonl  {"id", "title", "abstract"} lines (tarnix batch)
  OUT/articles.utf8   title and abstract joined by a blank, one a line (peers)

Usage: /usr/bin/python3 bench/short_abstracts.py ZH_DATA_DIR OUT_DIR
"""
import json
import os
import sys


def flat(text):
    return " ".join(text.split())


def main():
    data, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    rows = []
    with open(os.path.join(data, "csl-dev.jsonl"), encoding="utf-8") as f:
        for i, line in enumerate(f):
            a = json.loads(line)
            rows.append((a.get("id", i), flat(a["title"]), flat(a["abstract"])))
    with open(os.path.join(out, "articles.gbk"), "wb") as gbk, \
            open(os.path.join(out, "articles.jsonl"), "w", encoding="utf-8") as jl, \
            open(os.path.join(out, "articles.utf8"), "w", encoding="utf-8") as u8:
        for ident, title, abstract in rows:
            gbk.write(title.encode("gbk", "replace") + b"\t" + abstract.encode("gbk", "replace") + b"\n")
            jl.write(json.dumps({"id": ident, "title": title, "abstract": abstract}, ensure_ascii=False) + "\n")
            u8.write(title + " " + abstract + "\n")
    print("%d articles, %.0f bytes of title and abstract on average (UTF-8)" % (
        len(rows), sum(len((t + a).encode("utf-8")) for _, t, a in rows) / len(rows)))


if __name__ == "__main__":
    main()
