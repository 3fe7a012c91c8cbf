#include "en_weigh.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "en_features.h"
#include "feature_dump.h"
#include "gbk_chars.h"
#include "nesting.h"
#include "table_file.h"
#include "term_model.h"

namespace ekvr {
namespace {

constexpr double kMinEnglishWeight = 1e-3;
// The logit of a phrase left unscored, and the bound of those scored.
constexpr double kMaxLogit = 30.0;
// Words from which an article is a paper rather than an abstract or a note.
constexpr size_t kLongTextWords = 1000;

// The fields that are the article's own text; a phrase found only in the
// journal name is not one of its keywords.
constexpr Position kTextFields[] = {kPosTitle, kPosAbstract, kPosBody, kPosKeywords};

struct WordFacts {
  float idf;
  bool listed;
  bool general;
};

// What the tables say of each word, looked up once per distinct word; the
// table's values stay where they are only until it grows, so callers get
// copies.
class WordFactTable {
 public:
  explicit WordFactTable(const EnglishState& st) : st_(st) { facts_.reserve(st.evidence.size() + 16); }
  WordFacts operator()(std::string_view w) {
    if (const WordFacts* known = facts_.Find(w)) return *known;
    WordFacts f{};
    f.idf = st_.res.idf->Get(Singular(w), &f.listed);
    f.general = !st_.info(std::string(w)).empty();
    facts_.Insert(w, f);
    return f;
  }

 private:
  const EnglishState& st_;
  tarnix::WordTable<WordFacts> facts_;
};

// What the features read of a phrase's words.
struct WordStats {
  float idf_sum = 0.0f, idf_min = 0.0f, head_idf = 0.0f;
  int unlisted = 0, general = 0;
  int count = 0;  // at least 1
  bool head_general = false;
};

WordStats StatsOfWords(std::string_view lower, WordFactTable& facts) {
  WordStats s;
  for (std::string_view w : SplitView(lower, ' ')) {
    if (w.empty()) continue;
    const WordFacts wf = facts(w);
    s.idf_sum += wf.idf;
    s.idf_min = s.count == 0 ? wf.idf : std::min(s.idf_min, wf.idf);
    s.head_idf = wf.idf;
    s.unlisted += !wf.listed;
    s.general += wf.general;
    s.head_general = wf.general;
    ++s.count;
  }
  s.count = std::max(s.count, 1);
  return s;
}

struct ArticleSize {
  double length;    // bytes of the article's own text, in reading order
  float doc_words;  // its words, at least 1
};

// How firmly the neighbouring words of a phrase belong together: a pair
// seen in many documents of the reference corpus, against its words' own
// frequencies, is a set phrase ("support vector"), a rare one chance.
template <typename Fact>
void PairFeatures(std::string_view lower, Fact& fact, const IdfTable* pairs, float* f) {
  if (pairs == nullptr) return;
  // An unseen pair counts as seen in one document of the corpus.
  const float unseen = pairs->median() + 1.5f;
  std::string_view prev;
  std::string key;
  float weakest = 0.0f;
  int count = 0, missing = 0;
  for (std::string_view w : SplitView(lower, ' ')) {
    if (w.empty()) continue;
    if (!prev.empty()) {
      key.assign(prev.data(), prev.size());
      key += ' ';
      AppendSingular(w, &key);
      bool listed = false;
      const float pair_idf = pairs->Get(key, &listed);
      const float bond = fact(prev).idf + fact(w).idf - (listed ? pair_idf : unseen);
      weakest = count == 0 ? bond : std::min(weakest, bond);
      missing += !listed;
      ++count;
    }
    prev = w;
  }
  if (count == 0) return;
  f[kEPairBond] = weakest / 10.0f;
  f[kEPairUnseen] = static_cast<float>(missing) / static_cast<float>(count);
}

int OwnFrequency(const Term& t) {
  int n = 0;
  for (Position p : kTextFields) n += t.freq[p];
  return n;
}

// Every phrase inside a longer one, by their keys.
Nesting NestPhrases(const std::vector<int>& own, EnglishState* st) {
  std::vector<Term>& all = st->terms->terms();
  const size_t n = all.size();
  Nesting nesting(n);
  std::vector<std::string_view> words;
  for (size_t u = 0; u < n; ++u) {
    if (all[u].parts < 2) continue;
    words.clear();
    for (std::string_view w : SplitView(st->phrases[u].lower, ' ')) words.push_back(w);
    for (size_t a = 0; a < words.size(); ++a) {
      for (size_t b = a + 1; b <= words.size(); ++b) {
        if (a == 0 && b == words.size()) continue;
        PhraseKeyInto(words.data() + a, b - a, &st->key);
        const Term* piece = st->terms->Find(st->key);
        if (piece == nullptr) continue;
        const size_t i = static_cast<size_t>(piece - all.data());
        nesting.Add(i, u, own[i], own[u]);
      }
    }
  }
  return nesting;
}

// Where and how often the phrase occurs, alone and inside longer ones.
void OccurrenceFeatures(const Term& t, const PhraseInfo& p, float tf, ArticleSize size, const Nesting& nesting,
                        size_t i, float* f) {
  f[kEBias] = 1.0f;
  f[kELogFreq] = std::log1p(tf);
  f[kELogFreqAbstract] = std::log1p(static_cast<float>(t.freq[kPosAbstract]));
  f[kELogFreqBody] = std::log1p(static_cast<float>(t.freq[kPosBody]));
  f[kEInTitle] = t.freq[kPosTitle] > 0;
  f[kEInAbstract] = t.freq[kPosAbstract] > 0;
  f[kEInBody] = t.freq[kPosBody] > 0;
  f[kEFirstPos] = p.first >= 0.0 ? static_cast<float>(p.first / size.length) : 1.0f;
  f[kESpread] = p.first >= 0.0 ? static_cast<float>((p.last - p.first) / size.length) : 0.0f;
  f[kEWords1] = t.parts == 1;
  f[kEWords2] = t.parts == 2;
  f[kEWords3] = t.parts == 3;
  f[kEWords4] = t.parts >= 4;
  f[kELogNestedIn] = std::log1p(static_cast<float>(nesting.sum[i]));
  f[kENestedShare] = std::min(1.0f, static_cast<float>(nesting.max[i]) / std::max(tf, 1.0f));
  f[kEOwnShare] = nesting.sub_max[i] > 0 ? std::min(1.0f, tf / static_cast<float>(nesting.sub_max[i])) : 1.0f;
  f[kELogRelFreq] = std::log1p(1000.0f * tf / size.doc_words);
  f[kELogDocWords] = std::log1p(size.doc_words) / 10.0f;
  const float seen = static_cast<float>(std::max(p.seen, 1));
  f[kECutShare] = static_cast<float>(p.cut) / seen;
  f[kETailShare] = static_cast<float>(p.tail) / seen;
  f[kEAlwaysCut] = p.seen > 0 && p.cut == p.seen;
}

// How specific and how common its words are, how often the phrase was a
// keyphrase in training, and how firmly its words belong together.
void WordFeatures(const PhraseInfo& p, const WordStats& w, const Resources& res, WordFactTable& facts, float* f) {
  f[kEMeanIdf] = w.idf_sum / static_cast<float>(w.count) / 10.0f;
  f[kEMinIdf] = w.idf_min / 10.0f;
  f[kEHeadIdf] = w.head_idf / 10.0f;
  f[kEUnlisted] = static_cast<float>(w.unlisted) / static_cast<float>(w.count);
  const KeyphraseTable::Counts kp =
      res.keyphrases != nullptr ? res.keyphrases->Get(p.key) : KeyphraseTable::Counts();
  KeyphraseFeatures(kp.kp, kp.df, f);
  f[kEGeneralHead] = w.head_general;
  f[kEGeneralAll] = w.general == w.count;
  PairFeatures(p.lower, facts, res.pairs, f);
}

// The phrase as shown and as tagged.
void FormFeatures(const PhraseInfo& p, const std::string& shown, float* f) {
  bool acronym = false, name = false, digit = false;
  for (std::string_view w : SplitView(shown, ' ')) {
    if (w.empty()) continue;
    acronym = acronym || IsAcronymLike(w);
    name = name || (!IsAcronymLike(w) && w[0] >= 'A' && w[0] <= 'Z');
    for (char c : w) digit = digit || (c >= '0' && c <= '9');
  }
  f[kEAcronym] = acronym;
  f[kEName] = name;
  f[kEDigit] = digit;
  f[kEHyphen] = shown.find('-') != std::string::npos;
  f[kEHeadGerund] = p.last_class == WordClass::kGerund;
  f[kEFirstAdjective] = p.first_class == WordClass::kAdjective;
  f[kEFirstParticiple] = p.first_class == WordClass::kParticiple;
  f[kEFirstGerund] = p.first_class == WordClass::kGerund;
  f[kEHasProper] = p.proper;
}

// Products of two features, set once both are.
void CrossFeatures(float* f) {
  f[kETitleWords1] = f[kEInTitle] * f[kEWords1];
  f[kEWords1Freq] = f[kEWords1] * f[kELogFreq];
  f[kEFreqByLength] = f[kELogFreq] * f[kELogDocWords];
  f[kEFirstByLength] = f[kEFirstPos] * f[kELogDocWords];
  f[kETitleByLength] = f[kEInTitle] * f[kELogDocWords];
  f[kEBodyFreqByLength] = f[kELogFreqBody] * f[kELogDocWords];
}

// Whether the term is delivered; if so its texts become what the reader
// is shown.
bool ShowTerm(const PhraseInfo& p, int own, bool long_text, const EnglishState& st, Term* t) {
  // A phrase seen once, in the body only, is rarely what a paper is
  // about, and in a whole paper most phrases are such; a short text
  // given as the body alone has little else.
  t->keep = own > 0 && !(long_text && t->parts > 1 && own == 1 && t->freq[kPosBody] == 1);
  t->total = 0.0;
  if (!t->keep) return false;
  const std::string shown = Display(p, *t, st);
  // A text the record's word field cannot hold whole would be shown cut
  // and counted under another cut, so it is not delivered.
  if (shown.size() >= sizeof(ArticleTerm::word)) {
    t->keep = false;
    return false;
  }
  t->word = shown;
  t->second = shown;
  return true;
}

ArticleSize SizeOf(const ArticleText& article, size_t words) {
  ArticleSize size{0.0, static_cast<float>(std::max<size_t>(words, 1))};
  for (Position p : kTextFields) size.length += static_cast<double>(article.field[p].size() + 1);
  return size;
}

// Without a model: frequency times the mean specificity of the words,
// raised with the phrase's length and in the title.
double WeightWithoutModel(const Term& t, float tf, const WordStats& w) {
  const double total = tf * (w.idf_sum / static_cast<float>(w.count)) * (1.0 + 0.25 * (t.parts - 1)) *
                       (t.freq[kPosTitle] > 0 ? 3.0 : 1.0);
  return std::max(total, kMinEnglishWeight);
}

}  // namespace

void WeighEnglish(const ArticleText& article, EnglishState* st) {
  std::vector<Term>& all = st->terms->terms();
  const size_t n = all.size();
  std::vector<int> own(n);
  for (size_t i = 0; i < n; ++i) own[i] = OwnFrequency(all[i]);
  const Nesting nesting = NestPhrases(own, st);
  const ArticleSize size = SizeOf(article, st->words);
  const bool long_text = st->words >= kLongTextWords;
  WordFactTable facts(*st);
  FeatureDump dump(kEnglishFeatureDumpVar);
  const TermModel* model = st->res.term_model;
  std::optional<BlockScorer> scorer;
  if (model != nullptr) scorer.emplace(*model, kEnglishFeatures);
  std::vector<double> logit(n, -kMaxLogit);
  auto take = [&logit](size_t i, double score) { logit[i] = std::clamp(score, -kMaxLogit, kMaxLogit); };
  float f[kEnglishFeatures];
  for (size_t i = 0; i < n; ++i) {
    Term& t = all[i];
    const PhraseInfo& p = st->phrases[i];
    if (!ShowTerm(p, own[i], long_text, *st, &t)) continue;
    std::fill(f, f + kEnglishFeatures, 0.0f);
    const float tf = static_cast<float>(own[i]);
    const WordStats words = StatsOfWords(p.lower, facts);
    OccurrenceFeatures(t, p, tf, size, nesting, i, f);
    WordFeatures(p, words, st->res, facts, f);
    FormFeatures(p, t.word, f);
    CrossFeatures(f);
    dump.Write({p.key.c_str(), t.word.c_str()}, f, kEnglishFeatures);
    if (scorer) {
      std::copy(f, f + kEnglishFeatures, scorer->Slot(i));
      if (scorer->full()) scorer->Score(take);
    } else {
      t.total = WeightWithoutModel(t, tf, words);
    }
    for (int q = 0; q < kPositionCount; ++q) t.weight[q] = static_cast<float>(t.total);
  }
  if (!scorer) return;
  scorer->Score(take);
  // The model's own order stands: on the tuning lines, putting a piece
  // below a longer phrase holding it (as the Chinese analysis does) cost
  // F1 on every set of abstracts.
  for (size_t i = 0; i < n; ++i) {
    if (!all[i].keep) continue;
    all[i].total = std::max(kEnglishScale / (1.0 + std::exp(-logit[i])), kMinEnglishWeight);
    for (int q = 0; q < kPositionCount; ++q) all[i].weight[q] = static_cast<float>(all[i].total);
  }
}

}  // namespace ekvr
