#!/usr/bin/python3
"""YAKE, the unsupervised keyword extractor of Campos et al., "YAKE! Keyword
extraction from single documents using multiple local features" (Information
Sciences 509, 2020), written for `tarnix eval --peer yake` from the paper's
description: five statistical features of each word, candidates of one to
three words that neither start nor end with a stop word, a candidate score
in which lower is better, and near-duplicates removed by Levenshtein
similarity (threshold 0.9). Window size 1, top 10, English only.

As a peer it reads one JSON object per line ({"text": ...}) on standard input
and answers each with a JSON list of at most 10 keyphrases on standard
output. `yake_peer.py --self-check` runs its own checks. Python 3 standard
library only.
"""
import json
import math
import re
import statistics
import sys

MAX_WORDS = 3
WINDOW = 1
TOP = 10
DEDUP_THRESHOLD = 0.9

# English function words (articles, pronouns, auxiliaries, prepositions,
# conjunctions, the commonest adverbs) and the general words of report
# prose a keyphrase neither starts nor ends with ("show", "use", "many",
# "new"), as in the usual long stop lists. Content words a reader would
# index ("study", "method") stay candidates.
STOP_WORDS = frozenset("""
a about above after again against all almost also although always am among an and any
are aren't around as at be became because been before being below between both but by
can cannot could couldn't did didn't do does doesn't doing don't done down during each
either else enough etc even ever every few for from further furthermore had hadn't has
hasn't have haven't having he he'd he'll he's her here here's hers herself him himself
his how how's however i i'd i'll i'm i've if in into is isn't it it's its itself just
let's less may me might more moreover most much must mustn't my myself neither no nor
not now of off often on once one only onto or other others otherwise ought our ours
ourselves out over own per perhaps rather same shall shan't she she'd she'll she's
should shouldn't since so some such than that that's the their theirs them themselves
then there there's thereby therefore these they they'd they'll they're they've this
those though through thus to too toward towards under unless until up upon us very via
was wasn't we we'd we'll we're we've were weren't what what's whatever when when's
where where's whereas whether which while who who's whom whose why why's will with
within without won't would wouldn't yet you you'd you'll you're you've your yours
yourself yourselves
across actually afterwards already another anyone anything anyway anywhere became becomes becoming
beforehand behind beside besides beyond certain certainly due else elsewhere especially everyone
everything everywhere except far first following former formerly forth get gets getting given gives
go goes going gone got hence hereby herein indeed instead last later latter least like likely little
made mainly make makes making many meanwhile merely mostly namely near nearly need needs never
nevertheless new next nobody none nothing novel obviously old particular particularly possible
previously probably provide provided provides quite really recently regarding relatively respectively
said say says second see seem seemed seems seen several show showed shown shows somehow someone something
sometimes somewhat somewhere specifically still sure take taken third three together took two use used
uses using usually various well whenever wherever whoever whole
""".split())

# A sentence ends at . ! or ? before a blank and a capital, digit or
# opening mark, or at a paragraph break (a blank line or page break);
# single line breaks are the hard wrapping of the full texts.
SENTENCE_END = re.compile(r"(?<=[.!?])[\"')\]]*\s+(?=[\"'(\[]?[A-Z0-9])|\n\s*\n|\f")
# Tokens: letter/digit runs, joined by inner hyphens, apostrophes or dots
# ("state-of-the-art", "don't", "U.S."); everything else (punctuation,
# brackets, symbols) separates chunks.
TOKEN = re.compile(r"[^\W_]+(?:[-'\u2019.][^\W_]+)*\.?")
NUMBER = re.compile(r"^[+-]?\d+(?:[.,]\d+)*%?$")
# Marks that end a chunk: a candidate never spans them.
CHUNK_BREAK = re.compile(r"[,;:()\[\]{}\"\u201c\u201d<>|/\\=+*&^%$#@~`!?\u2013\u2014]")


def tag_of(token, first_in_sentence):
    """The token's tag in the paper's terms: d(igit), u(nparsable),
    a(cronym), U(ppercase start not at a sentence start), p(arsable)."""
    if NUMBER.match(token):
        return "d"
    letters = sum(c.isalpha() for c in token)
    digits = sum(c.isdigit() for c in token)
    if letters == 0 or (digits > letters):
        return "u"
    if len(token) > 1 and token.replace(".", "").replace("-", "").isupper() and letters > 1:
        return "a"
    if token[0].isupper() and not first_in_sentence:
        return "U"
    return "p"


def sentences_of(text):
    """Sentences, each a list of chunks, each a list of (token, tag)."""
    out = []
    for raw in SENTENCE_END.split(text):
        if not raw or not raw.strip():
            continue
        chunks = []
        first = True
        for piece in CHUNK_BREAK.split(raw):
            chunk = []
            for m in TOKEN.finditer(piece):
                token = m.group(0)
                if token.endswith(".") and token.count(".") == 1:
                    token = token[:-1]  # a sentence's own full stop
                if not token:
                    continue
                chunk.append((token, tag_of(token, first)))
                first = False
            if chunk:
                chunks.append(chunk)
        if chunks:
            out.append(chunks)
    return out


class Term:
    __slots__ = ("tf", "tf_upper", "tf_acronym", "sentences", "left", "right", "stop",
                 "score")

    def __init__(self, stop):
        self.tf = 0
        self.tf_upper = 0
        self.tf_acronym = 0
        self.sentences = []  # index of each sentence it occurs in, with repeats
        self.left = {}       # co-occurring word -> count, within the window on the left
        self.right = {}
        self.stop = stop
        self.score = 0.0


def is_stop(key):
    # Single letters behave like stop words ("a", "x" of a formula).
    return key in STOP_WORDS or len(key) < 2


def term_statistics(sentences):
    terms = {}
    for s_index, chunks in enumerate(sentences):
        for chunk in chunks:
            window = []  # keys of the previous words of this chunk
            for token, tag in chunk:
                key = token.lower()
                if tag in ("d", "u"):
                    window = []  # numbers and codes break the context
                    continue
                term = terms.get(key)
                if term is None:
                    term = terms[key] = Term(is_stop(key))
                term.tf += 1
                term.tf_upper += tag == "U"
                term.tf_acronym += tag == "a"
                term.sentences.append(s_index)
                for previous in window[-WINDOW:]:
                    term.left[previous] = term.left.get(previous, 0) + 1
                    other = terms[previous]
                    other.right[key] = other.right.get(key, 0) + 1
                window.append(key)
    return terms


def score_terms(terms, sentence_count):
    """S(t) = T_Rel * T_Position / (T_Case + T_FNorm / T_Rel + T_DifSentence / T_Rel)."""
    valid_tf = [t.tf for t in terms.values() if not t.stop]
    if not valid_tf:
        valid_tf = [t.tf for t in terms.values()] or [1]
    mean_tf = statistics.mean(valid_tf)
    std_tf = statistics.pstdev(valid_tf)
    max_tf = max(t.tf for t in terms.values()) if terms else 1
    for term in terms.values():
        t_case = max(term.tf_upper, term.tf_acronym) / (1.0 + math.log(term.tf))
        t_position = math.log(math.log(3.0 + statistics.median(term.sentences)))
        t_fnorm = term.tf / (mean_tf + std_tf)
        # Relatedness to context: the share of distinct neighbours among all
        # neighbour occurrences, left and right; a word that goes with
        # anything (a stop word in disguise) scores high, hence worse.
        left = len(term.left) / sum(term.left.values()) if term.left else 0.0
        right = len(term.right) / sum(term.right.values()) if term.right else 0.0
        t_rel = 1.0 + (left + right) * term.tf / max_tf
        t_sentence = len(set(term.sentences)) / sentence_count
        term.score = (t_rel * t_position) / (t_case + t_fnorm / t_rel + t_sentence / t_rel)


def candidates_of(sentences, terms):
    """Candidate n-grams (lower case key -> [count, surface form of the first occurrence])."""
    found = {}
    for chunks in sentences:
        for chunk in chunks:
            for start in range(len(chunk)):
                for n in range(1, MAX_WORDS + 1):
                    if start + n > len(chunk):
                        break
                    words = chunk[start:start + n]
                    if any(tag in ("d", "u") for _, tag in words):
                        break
                    keys = tuple(w.lower() for w, _ in words)
                    if terms[keys[0]].stop or terms[keys[-1]].stop:
                        continue
                    entry = found.get(keys)
                    if entry is None:
                        found[keys] = [1, " ".join(w for w, _ in words)]
                    else:
                        entry[0] += 1
    return found


def candidate_score(keys, count, terms):
    """S(kw) = prod S(t) / (TF(kw) * (1 + sum S(t))); a stop word inside a
    candidate counts through how strongly it binds its neighbours."""
    product, total = 1.0, 0.0
    for i, key in enumerate(keys):
        term = terms[key]
        if not term.stop:
            product *= term.score
            total += term.score
            continue
        before, after = terms[keys[i - 1]], terms[keys[i + 1]]
        p_before = term.left.get(keys[i - 1], 0) / before.tf
        p_after = term.right.get(keys[i + 1], 0) / after.tf
        bond = p_before * p_after
        product *= 1.0 + (1.0 - bond)
        total -= 1.0 - bond
    return product / (count * (1.0 + total))


def levenshtein(a, b):
    if len(a) < len(b):
        a, b = b, a
    previous = list(range(len(b) + 1))
    for i, ca in enumerate(a, 1):
        current = [i]
        for j, cb in enumerate(b, 1):
            current.append(min(previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (ca != cb)))
        previous = current
    return previous[-1]


def similarity(a, b):
    return 1.0 - levenshtein(a, b) / max(len(a), len(b), 1)


def extract(text, top=TOP):
    sentences = sentences_of(text)
    if not sentences:
        return []
    terms = term_statistics(sentences)
    if not terms:
        return []
    score_terms(terms, len(sentences))
    found = candidates_of(sentences, terms)
    ranked = sorted(((candidate_score(k, v[0], terms), " ".join(k)) for k, v in found.items()),
                    key=lambda x: (x[0], x[1]))
    chosen = []
    for _, phrase in ranked:
        if all(similarity(phrase, c) < DEDUP_THRESHOLD for c in chosen):
            chosen.append(phrase)
            if len(chosen) == top:
                break
    return chosen


def self_check():
    text = ("Keyword extraction finds the keywords of a document. "
            "Unsupervised keyword extraction needs no training corpus. "
            "YAKE scores each word by casing, position, frequency, context and spread, "
            "then scores keyword candidates of up to three words.\n\n"
            "The statistics of a single document are enough for keyword extraction.")
    got = extract(text)
    assert got, "no keywords"
    assert len(got) <= TOP
    assert "keyword extraction" in got[:3], got
    for phrase in got:
        words = phrase.split()
        assert 1 <= len(words) <= MAX_WORDS, phrase
        assert not is_stop(words[0]) and not is_stop(words[-1]), phrase
    for a in got:
        for b in got:
            assert a == b or similarity(a, b) < DEDUP_THRESHOLD, (a, b)
    assert levenshtein("kitten", "sitting") == 3
    assert similarity("keyword extraction", "keyword extractions") >= DEDUP_THRESHOLD
    assert similarity("keyword", "keywords") < DEDUP_THRESHOLD
    assert extract("") == [] and extract("... ,,, 123 456") == []
    # Capitalised mid-sentence words and acronyms gain from the casing feature.
    sentences = sentences_of("We use NASA data. The Moon orbits. the moon")
    tags = [tag for chunks in sentences for chunk in chunks for _, tag in chunk]
    assert tags == ["p", "p", "a", "p", "p", "U", "p", "p", "p"], tags
    print("yake_peer self-check passed")


def main():
    if sys.argv[1:] == ["--self-check"]:
        self_check()
        return
    out = sys.stdout.buffer
    for line in sys.stdin.buffer:
        text = json.loads(line.decode("utf-8"))["text"]
        out.write(json.dumps(extract(text), ensure_ascii=False).encode("utf-8") + b"\n")
    out.flush()


if __name__ == "__main__":
    main()
