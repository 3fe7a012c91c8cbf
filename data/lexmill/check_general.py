#!/usr/bin/python3
"""Checks the general-word mapping on real articles: segments the abstracts
with the built library, applies the general-word tests that Tarnix runs on
its candidates (the code/threshold rows of IsGeneralChinese and the two-part
patterns of HighFreStructure) to every word of two or more characters and
to every pair of neighbouring words, and prints a sample of what they call
general and of what they keep, for a reader to judge.

  LEXMILL_DATA=build-lexmill/share/lexmill /usr/bin/python3 \
      data/lexmill/check_general.py build-lexmill/lib/libLexmill.so \
      ../shared/data/zh/csl-dev.jsonl [SAMPLE]
"""
import ctypes
import json
import random
import sys

ROWS = [(20, 16), (38, 16), (1, 1), (3, 16), (22, 14), (14, 25)]
PATTERNS = [(1, 20), (8, 38), (2, 38)]


def pairs(info):
    tokens = info.split(" ")[1:]
    return [(int(tokens[i]), int(tokens[i + 1])) for i in range(0, len(tokens) - 1, 2)]


def pos_and_fre(info, code, threshold):
    for c, f in pairs(info):
        if c == code:
            return f >= threshold
    return False


class Lexmill:
    def __init__(self, path):
        self.lib = ctypes.CDLL(path)
        self.lib.QX_Word_Sect.restype = ctypes.c_bool
        self.cla = self.lib.Dict_Load_New(b"QOVA_CLA_CHN_DICT", b"")
        self.gen = self.lib.Dict_Load_New(b"sys_general_dic", b"")
        assert self.cla >= 0 and self.gen >= 0, "dictionaries not found"
        self.buf = ctypes.create_string_buffer(64)

    def cut(self, gbk, handle):
        ends = (ctypes.c_int * (len(gbk) + 1))()
        self.lib.QX_Word_Sect(gbk, ends, len(gbk), handle, 0, None, 0, 0, 0, 0)
        out, prev = [], 0
        for e in ends:
            if e == 0:
                break
            out.append(gbk[prev:e])
            prev = e
        return out

    def info(self, gbk):
        self.buf.value = b""
        found = self.lib.Dict_Search_Get_Info(gbk, self.gen, self.buf, 64)
        return self.buf.value.decode("gbk") if found == 1 else None

    def general(self, gbk):
        if len(gbk) <= 8:
            info = self.info(gbk)
            if info and any(pos_and_fre(info, c, t) for c, t in ROWS):
                return "word"
        if len(gbk) <= 13:
            parts = self.cut(gbk, self.gen)
            if len(parts) == 2:
                a, b = self.info(parts[0]), self.info(parts[1])
                if a and b and any(pos_and_fre(a, x, 16) and pos_and_fre(b, y, 16)
                                   for x, y in PATTERNS):
                    return "structure"
        return None


def main():
    lex = Lexmill(sys.argv[1])
    size = int(sys.argv[3]) if len(sys.argv) > 3 else 100
    called, kept = {}, set()
    for line in open(sys.argv[2], encoding="utf-8"):
        try:
            gbk = json.loads(line)["abstract"].encode("gbk")
        except UnicodeEncodeError:
            continue
        words = lex.cut(gbk, lex.cla)
        candidates = [w for w in words if len(w) >= 4 and w[0] >= 0x80]
        candidates += [a + b for a, b in zip(words, words[1:]) if a[0] >= 0x80 and b[0] >= 0x80]
        for w in candidates:
            why = lex.general(w)
            if why:
                called[w] = why
            else:
                kept.add(w)
    rng = random.Random(5)
    print("distinct candidates: %d called general, %d kept" % (len(called), len(kept)))
    for w in rng.sample(sorted(called), min(size, len(called))):
        print("general %-9s %s" % (called[w], w.decode("gbk")))
    for w in rng.sample(sorted(kept), min(size // 2, len(kept))):
        print("kept              %s" % w.decode("gbk"))


if __name__ == "__main__":
    main()
