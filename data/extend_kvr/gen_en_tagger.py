#!/usr/bin/python3
"""Writes en_tagger.txt, the English part-of-speech model of Extend_KVR.

Input: the word counts and tag bigrams of Debian's liblingua-en-tagger-perl
(words.yml: word -> {tag: count}; tags.yml: tag -> {next tag: probability};
GPL-3), read at build time and not kept in the repository. Output: a bigram
hidden Markov model in the text format of engines/extend_kvr/en_tagger.h
(described in data/extend_kvr/README.md):

  transitions  log P(tag | previous tag), the bigrams interpolated with the
               tag frequencies so that no transition is impossible;
  words        log P(word | tag) of the words the counts hold more than
               once, without the stray tags of frequent words (annotation
               noise: "the" once as a verb);
  suffixes     for words the model does not know, log P(tag | suffix) /
               P(tag) by the last letters of the word within its shape
               class, estimated from the rare words (seen at most 10 times,
               which behave like unseen ones) as in TnT (Brants 2000), each
               suffix smoothed towards the next shorter one. The rare known
               words get the same estimate mixed into their own counts.
"""
import argparse
import math
import os
import re
import sys

# Interpolation weight of the tag frequencies in the transitions. The
# bigrams come as probabilities without their counts, so deleted
# interpolation cannot be run; a small fixed weight keeps a transition the
# bigrams never saw possible but far below any they saw.
TRANSITION_FLOOR = 0.003
# Rare words: seen at most this often. They stand in for the unknown ones.
RARE = 10
MAX_SUFFIX = 5
# A suffix needs this many rare-word tokens to be kept; shorter ones stand in.
MIN_SUFFIX_TOKENS = 2
# Nor is it kept when no tag's likelihood differs by more than this factor
# (in log) from the suffix the engine would use instead.
SUFFIX_SAME = 0.15
# Weight of the shorter suffix's estimate in a suffix's, in rare-word
# tokens (a Dirichlet prior). TnT's weight, the same for every suffix
# whatever its count, trusts a suffix seen in three words as much as one
# seen in three hundred: on the rare words of the counts, estimated from
# three quarters and tested on the rest (four folds), it gives a
# log-likelihood of -1.31 a token and 71.8 % right first tags; this prior
# -0.78 and 74.3 % (20 to 40 are about as good).
SUFFIX_PRIOR = 30
# Known words seen at most this often get the suffix model mixed in, with
# the tags it adds that reach this share of the word's likeliest.
RARE_KNOWN = RARE
RARE_KNOWN_SHARE = 0.05
# Words of four letters or more seen this often or less are left to the
# suffix model: a third of the model's size, and on
# scholarly text no tag changed for the worse in the sentences checked by
# hand. Shorter words keep their counts: one letter says little of a tag.
DROP_WORDS = 1
# Words of scholarly text the news counts lack or read in another sense,
# added to the counts: among the commonest words of the shared English
# abstracts, those the news counts alone tagged wrong most often ("a
# novel method" a noun, "the human genome ." an adjective in -ome, "et
# al." a conjunction and an adjective in -al, "analysis shows that" a
# plural noun, "query" an adjective in -ery).
EXTRA_WORDS = {
    "et": {"fw": 50}, "al": {"fw": 50},
    "novel": {"jj": 100},
    "genome": {"nn": 20}, "genomes": {"nns": 10},
    "shows": {"vbz": 100},
    "query": {"nn": 20, "vb": 5},
}
# Tags an unknown word may take: P(tag | suffix) at least this share of the
# best tag's, at most this many.
UNKNOWN_SHARE = 0.01
UNKNOWN_TAGS = 6
# A tag of a word is dropped as noise when it has at most this many of the
# word's occurrences and less than this share of them.
NOISE_COUNT = 3
NOISE_SHARE = 0.01

# Shape classes of unknown words (the first byte of a suffix key). The
# engine computes the same classes (en_tagger.cc, ShapeOf).
LOWER, CAPITAL, ALL_CAPS, DIGIT, DIGIT_HYPHEN, HYPHEN, SYMBOL, FOREIGN = "lcandhsx"
# Unknown acronyms and words in mixed case (SVM, MNIST, SVMs, mRNA) are
# names or nouns, whatever their last letters: the treebank's rare words in
# capitals include headline words, which are not.
NOMINAL = ("nnp", "nnps", "nn", "nns")

# Tokens as the engine's tokenizer writes them, for the treebank's
# placeholders.
ALIASES = {"*LRB*": ["(", "["], "*RRB*": [")", "]"], "*LCB*": ["{"], "*RCB*": ["}"],
           "``": ['"'], "''": ['"']}

LINE = re.compile(r'^("[^"]*"|[^"\s]+): \{ (.*) \}\s*$')
PAIR = re.compile(r"^([a-z]+): ([0-9.e+-]+)$")


def read_yaml_map(path):
    """The one-level maps of the tagger's files: key -> {tag: number}."""
    out = {}
    with open(path, encoding="latin-1") as f:
        for n, line in enumerate(f, 1):
            if n == 1 and line.startswith("---"):
                continue
            m = LINE.match(line)
            if not m:
                sys.exit("%s:%d: not a 'key: { tag: n, ... }' line" % (path, n))
            key = m.group(1).strip('"')
            values = {}
            for part in m.group(2).split(", "):
                p = PAIR.match(part)
                if not p:
                    sys.exit("%s:%d: bad entry %r" % (path, n, part))
                values[p.group(1)] = float(p.group(2))
            out[key] = values
    return out


def shape(word):
    """The shape class of a word, as the engine's ShapeOf gives it."""
    if any(ord(c) >= 0x80 for c in word):
        return LOWER if any(c.isascii() and c.isalpha() for c in word) else FOREIGN
    letters = [c for c in word if c.isalpha()]
    digit = any(c.isdigit() for c in word)
    if not letters:
        # 1-2-3, 1/2, 10:30: numbers and number-like adjectives.
        return DIGIT_HYPHEN if digit else SYMBOL
    # Acronyms and names in mixed case: SVM, SVMs, mRNA, McDonald, H2O,
    # COVID-19.
    if (len(letters) >= 2 and all(c.isupper() for c in letters)) or any(c.isupper() for c in word[1:]):
        return ALL_CAPS
    if digit:
        # 10-year, 1/2-inch: mostly adjectives; mp3, 3D, i860: nouns, names,
        # adjectives.
        return DIGIT_HYPHEN if "-" in word else DIGIT
    if word[0].isupper():
        return CAPITAL
    if "-" in word:
        return HYPHEN
    return LOWER


def fmt(x):
    """Two decimals: within 0.005 of the log, well below what the counts
    can tell apart, and a fifth less to read at start-up than three."""
    s = "%.2f" % x
    return "0" if s in ("0.00", "-0.00") else s


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tagger", required=True, help="folder with words.yml and tags.yml")
    ap.add_argument("--out", required=True)
    args = ap.parse_args()
    words = read_yaml_map(os.path.join(args.tagger, "words.yml"))
    bigrams = read_yaml_map(os.path.join(args.tagger, "tags.yml"))

    tags = sorted(bigrams)
    if len(tags) > 250:
        sys.exit("too many tags")
    index = {t: i for i, t in enumerate(tags)}
    for w, counts in words.items():
        for t in counts:
            if t not in index:
                sys.exit("words.yml: %r has tag %r, which tags.yml lacks" % (w, t))

    # Placeholders the tokens never show become the tokens that do.
    for key, aliases in ALIASES.items():
        for alias in aliases:
            merged = dict(words.get(alias, {}))
            for t, c in words.get(key, {}).items():
                merged[t] = merged.get(t, 0) + c
            words[alias] = merged
    for key in ("*LRB*", "*RRB*", "*LCB*", "*RCB*"):
        words.pop(key, None)
    words = {w: c for w, c in words.items() if w and not any(ch.isspace() for ch in w)}
    for w, counts in EXTRA_WORDS.items():
        merged = dict(words.get(w, {}))
        for t, c in counts.items():
            merged[t] = merged.get(t, 0) + c
        words[w] = merged

    tag_total = {t: 0.0 for t in tags}
    for counts in words.values():
        for t, c in counts.items():
            tag_total[t] += c
    total = sum(tag_total.values())
    # A tag the counts never show (none today) still gets a little mass.
    unigram = {t: max(tag_total[t], 0.5) / total for t in tags}

    out_lines = ["# English part-of-speech model of Extend_KVR, generated by",
                 "# data/extend_kvr/gen_en_tagger.py from liblingua-en-tagger-perl (GPL-3).",
                 "en-tagger 1",
                 "tags %d %s" % (len(tags), " ".join(tags)),
                 "counts " + " ".join("%d" % round(tag_total[t]) for t in tags)]

    def transition_row(prev):
        row = bigrams[prev]
        return " ".join(fmt(math.log((1 - TRANSITION_FLOOR) * row.get(t, 0.0) + TRANSITION_FLOOR * unigram[t]))
                        for t in tags)

    # Sentences start where the previous one ended: after final punctuation.
    out_lines.append("start " + transition_row("pp"))
    for t in tags:
        out_lines.append("from %s %s" % (t, transition_row(t)))

    # ---- unknown words: suffix statistics of the rare words per shape class
    stats = {}  # key (class + suffix) -> {tag: tokens}
    for w, counts in words.items():
        n = sum(counts.values())
        if n > RARE or w.startswith("*"):
            continue
        cls = shape(w)
        if cls in (SYMBOL, FOREIGN):
            continue
        for length in range(0, min(MAX_SUFFIX, len(w)) + 1):
            key = cls + (w[len(w) - length:] if length else "")
            bucket = stats.setdefault(key, {})
            for t, c in counts.items():
                bucket[t] = bucket.get(t, 0) + c

    memo = {}

    def smoothed(key):
        """P(tag | suffix), each suffix leaning on the next shorter one."""
        if key not in memo:
            counts = stats[key]
            n = sum(counts.values())
            parent = unigram if len(key) == 1 else smoothed(key[0] + key[2:])
            memo[key] = {t: (counts.get(t, 0) + SUFFIX_PRIOR * parent[t]) / (n + SUFFIX_PRIOR) for t in tags}
        return memo[key]

    def choose(ratio, share=UNKNOWN_SHARE):
        """The likeliest tags of a ratio P(tag | suffix) / P(tag) by tag."""
        best = max(ratio[t] * unigram[t] for t in ratio)
        chosen = sorted((t for t in ratio if ratio[t] * unigram[t] >= share * best),
                        key=lambda t: -ratio[t] * unigram[t])[:UNKNOWN_TAGS]
        return {t: ratio[t] for t in chosen}

    # A suffix is kept when its tags differ from those of the longest
    # shorter suffix kept (which the engine falls back to): a third of the
    # suffixes say nothing new.
    suffixes = {}
    for key in sorted(stats, key=lambda k: (len(k), k)):
        if len(key) > 1 and sum(stats[key].values()) < MIN_SUFFIX_TOKENS:
            continue
        dist = smoothed(key)
        ratio = choose({t: dist[t] / unigram[t] for t in (NOMINAL if key[0] == ALL_CAPS else tags)})
        if len(key) > 1:
            fallback = next(suffixes[key[0] + key[i:]] for i in range(2, len(key) + 1)
                            if key[0] + key[i:] in suffixes)
            if set(ratio) == set(fallback) and all(abs(math.log(ratio[t] / fallback[t])) < SUFFIX_SAME
                                                   for t in ratio):
                continue
        suffixes[key] = ratio
    # Tokens of no letters and no digits the counts do not know (|, ~, ^)
    # are symbols; words of double-byte characters alone (GBK, UTF-8) stand
    # in running English text mostly as names or nouns. Neither class has
    # examples in the counts, so their likelihoods are set here and the
    # neighbouring tags decide.
    suffixes[SYMBOL] = choose({"sym": 1.0, "pps": 0.5})
    suffixes[FOREIGN] = choose({"nn": 1.0, "nnp": 1.0, "sym": 0.3}, 0.0)

    def unknown_ratio(word):
        cls = shape(word)
        for length in range(min(MAX_SUFFIX, len(word)), -1, -1):
            key = cls + (word[len(word) - length:] if length else "")
            if key in suffixes:
                return suffixes[key]
        return {}

    # ---- known words
    word_lines = []
    dropped = smoothed_words = 0
    for w in sorted(words):
        counts = words[w]
        n = sum(counts.values())
        kept = {t: c for t, c in counts.items() if not (c <= NOISE_COUNT and c < NOISE_SHARE * n)}
        dropped += len(counts) - len(kept)
        if not kept or (n <= DROP_WORDS and len(w) >= 4):
            continue
        likelihood = {t: c / tag_total[t] for t, c in kept.items()}
        if n <= RARE_KNOWN and not w.startswith("*") and any(ch.isalpha() for ch in w):
            # A word seen a few times in news text may well have other
            # tags in other text: its counts are mixed with what its shape
            # and suffix say, the less the more often it was seen.
            # P(w | t) = P(t | suffix) / P(t) * P(w) for the latter.
            mix = 1.0 / (1.0 + n)
            unknown = {t: r * n / total for t, r in unknown_ratio(w).items()}
            likelihood = {t: (1 - mix) * likelihood.get(t, 0.0) + mix * unknown.get(t, 0.0)
                          for t in set(likelihood) | set(unknown)}
            best = max(v * unigram[t] for t, v in likelihood.items())
            likelihood = {t: v for t, v in likelihood.items()
                          if t in kept or v * unigram[t] >= RARE_KNOWN_SHARE * best}
            smoothed_words += 1
        entries = sorted(likelihood.items(), key=lambda tv: (-tv[1] * unigram[tv[0]], tv[0]))
        word_lines.append("%s\t%s" % (w, " ".join("%d:%s" % (index[t], fmt(math.log(v))) for t, v in entries)))
    out_lines.append("words %d" % len(word_lines))
    out_lines.extend(word_lines)

    out_lines.append("suffixes %d" % len(suffixes))
    for key in sorted(suffixes):
        ratio = suffixes[key]
        out_lines.append("%s\t%s" % (key, " ".join("%d:%s" % (index[t], fmt(math.log(ratio[t])))
                                                   for t in sorted(ratio, key=lambda t: -ratio[t] * unigram[t]))))
    out_lines.append("end")

    os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
    with open(args.out + ".tmp", "w", encoding="latin-1", newline="\n") as f:
        f.write("\n".join(out_lines) + "\n")
    os.replace(args.out + ".tmp", args.out)
    print("en_tagger.txt: %d tags, %d words (%d noise tags dropped, %d smoothed), %d suffixes"
          % (len(tags), len(word_lines), dropped, smoothed_words, len(suffixes)))


if __name__ == "__main__":
    main()
