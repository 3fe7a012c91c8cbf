#!/usr/bin/python3
"""Prepares the Extend_KVR data folder at build time.

Writes into --out, in GBK (the engine's code page):
  zh_idf.txt        from the idf list of Debian's python3-jieba
                    (jieba/analyse/idf.txt, MIT licence), not kept in the
                    repository;
  classifier.model  from data/extend_kvr/classifier.model;
  disciplines.tsv   from data/extend_kvr/disciplines.tsv;
  en_idf.txt        copied from data/extend_kvr/en_idf.txt (ASCII);
  term_model.txt    copied from data/extend_kvr/term_model.txt (ASCII);
  en_term_model.txt, en_keyphrases.txt, en_bigram_df.txt
                    copied from data/extend_kvr (ASCII).
Lines with a word that GBK cannot hold are left out.
"""
import argparse
import os
import shutil
import sys


def convert(src, dst, skip_unencodable):
    kept = dropped = 0
    with open(src, encoding="utf-8") as f, open(dst + ".tmp", "wb") as out:
        for line in f:
            try:
                data = line.encode("gbk")
            except UnicodeEncodeError:
                if not skip_unencodable:
                    sys.exit("%s: a line GBK cannot hold: %r" % (src, line))
                dropped += 1
                continue
            out.write(data)
            kept += 1
    os.replace(dst + ".tmp", dst)
    return kept, dropped


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--jieba-idf", required=True)
    ap.add_argument("--src", required=True, help="data/extend_kvr")
    ap.add_argument("--out", required=True)
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    convert(args.jieba_idf, os.path.join(args.out, "zh_idf.txt"), True)
    convert(os.path.join(args.src, "classifier.model"), os.path.join(args.out, "classifier.model"), True)
    convert(os.path.join(args.src, "disciplines.tsv"), os.path.join(args.out, "disciplines.tsv"), False)
    shutil.copyfile(os.path.join(args.src, "en_idf.txt"), os.path.join(args.out, "en_idf.txt"))
    for name in ("term_model.txt", "en_term_model.txt", "en_keyphrases.txt", "en_bigram_df.txt"):
        shutil.copyfile(os.path.join(args.src, name), os.path.join(args.out, name))


if __name__ == "__main__":
    main()
