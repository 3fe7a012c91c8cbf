#!/usr/bin/python3
"""Word-boundary agreement (F1) of Lexmill with jieba's cuts on the same
lines. Segments each GBK line through the built libLexmill with ctypes and
compares the sets of inner boundaries, counted in characters.

  lexmill_f1.py LIBLEXMILL CORPUS_UTF8.txt JIEBA_DUMP
"""
import ctypes
import sys


def boundaries(words):
    out, at = set(), 0
    for w in words[:-1]:
        at += len(w)
        out.add(at)
    return out


def main():
    lib = ctypes.CDLL(sys.argv[1])
    lib.QX_Word_Sect.restype = ctypes.c_bool
    handle = lib.Dict_Load_New(b"QOVA_CLA_CHN_DICT", b"")
    if handle < 0:
        sys.exit("QOVA_CLA_CHN_DICT not found")
    lines = [l.rstrip("\n") for l in open(sys.argv[2], encoding="utf-8") if l.strip()]
    dumps = [l.rstrip("\n").split("\x01") for l in open(sys.argv[3], encoding="utf-8")]
    tp = fp = fn = skipped = 0
    for line, ref in zip(lines, dumps):
        try:
            gbk = line.encode("gbk")
        except UnicodeEncodeError:
            skipped += 1
            continue
        ends = (ctypes.c_int * (len(gbk) + 1))()
        lib.QX_Word_Sect(gbk, ends, len(gbk), handle, 0, None, 0, 0, 0, 0)
        words, prev = [], 0
        for e in ends:
            if e == 0:
                break
            words.append(gbk[prev:e].decode("gbk"))
            prev = e
        ours, theirs = boundaries(words), boundaries(ref)
        tp += len(ours & theirs)
        fp += len(ours - theirs)
        fn += len(theirs - ours)
    p, r = tp / (tp + fp), tp / (tp + fn)
    print("boundary_f1=%.4f precision=%.4f recall=%.4f lines=%d skipped_not_gbk=%d"
          % (2 * p * r / (p + r), p, r, len(lines) - skipped, skipped))


if __name__ == "__main__":
    main()
