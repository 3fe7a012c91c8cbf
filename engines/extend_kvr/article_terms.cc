#include "article_terms.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "gbk_chars.h"

namespace ekvr {
namespace {

// A compound the idf list does not know is as specific as its words
// together: that lets it outweigh its words, which root-word merging then
// folds into it.
constexpr float kCompoundIdfScale = 1.0f;
// Without a term model, a phrase is kept for delivery when it recurs or
// stands in the title or the author keywords; single words always are.
constexpr int kMinCompoundFrequency = 2;
// A term's class must reach this share of the threshold Tarnix sets
// (SetCHIThreshold, 200): at 200 only words seen in about three training
// articles of one discipline and in no other pass, which leaves most
// specific terms without a class. Tuned on the even half of csl-dev.
constexpr float kChiScale = 0.5f;
// An author keyword ranks this much (in logit units of the term model)
// above the best other term, or above its own logit when that is higher.
constexpr double kAuthorKeywordLogit = 2.0;
// A term that never occurs outside a longer term, and that the model
// rates at most this much (in logit units) above it, is put just below it:
// root-word merging in Tarnix lets the heavier of two nested terms absorb
// the other, and the longer one is then what the author would name
// ("现收现付制" rather than its piece "收现付制"). Tuned on the even half of
// csl-dev (F1@5 0.249 -> 0.251 there, 0.244 -> 0.249 on the odd half).
constexpr double kSubsumedMargin = 0.75;
// Logits are clamped so that weights stay finite float32 values.
constexpr double kMaxExponent = 80.0;
// Weights are 100 times a probability, and never below this.
constexpr double kWeightScale = 100.0;
constexpr double kMinWeight = 1e-3;
// Tarnix reads at most this many of the article's classes.
constexpr size_t kMaxArticleClasses = 100;
// With the term model, kind 2 hands over only the best abstract terms:
// Tarnix lifts every abstract candidate to at least the weight of the
// second and third full-text candidates, which puts weak ones too high.
constexpr int kModelAbstractTerms = 10;
// And only the best full-text records: a long article has thousands of
// candidates, most of them hopeless, and Tarnix's work grows with each.
// On 334 csl-dev articles given 40 other abstracts as full text, 100 to
// 400 records give F1@5 and F1@10 within 0.001 of each other, and 200
// instead of 400 changes one keyword in 3 of the 334 top tens; 200 leaves
// room for the longer lists some hosts print.
constexpr int kModelFullTextRecords = 200;

// A phrase seen once, in the body text only, is counted (it still holds
// its words for the nesting features) but neither described, weighed nor
// delivered: in a long article two thirds of the candidates are such
// phrases, and they are almost never keywords. On the 334 full-text
// articles above, dropping them changed no keyword of any top ten.
bool OnceInBodyPhrase(const Term& t) {
  return t.parts > 1 && t.freq[kPosBody] == 1 && t.TotalFrequency() == 1;
}

// The words of a term's second text, blank-separated, into a reused vector.
void SplitWords(std::string_view second, std::vector<std::string_view>* words) {
  words->clear();
  for (size_t at = 0;;) {
    const size_t blank = second.find(' ', at);
    words->push_back(second.substr(at, blank == std::string_view::npos ? blank : blank - at));
    if (blank == std::string_view::npos) return;
    at = blank + 1;
  }
}

// Looks up what the term's texts say, once: at its first occurrence, or
// for a phrase first found in the body text, when the article has been
// read (DescribePending).
// part_idf and part_stats hold the values of its words, in order; own_listed
// says whether a term of one token is in the idf list (null: look it up).
void Describe(const Resources& res, const std::vector<float>& part_idf,
              const std::vector<const WordClassStats*>& part_stats, const bool* own_listed, Term* t) {
  if (own_listed != nullptr && part_idf.size() == 1) {
    t->own_idf = part_idf[0];
    t->listed = *own_listed;
  } else {
    t->own_idf = res.idf->Get(t->word, &t->listed);
  }
  float sum = 0.0f, least = 0.0f;
  for (size_t i = 0; i < part_idf.size(); ++i) {
    sum += part_idf[i];
    least = i == 0 ? part_idf[i] : std::min(least, part_idf[i]);
  }
  if (part_idf.empty()) sum = least = t->own_idf;
  t->part_idf_mean = sum / static_cast<float>(std::max<size_t>(part_idf.size(), 1));
  t->part_idf_min = least;
  // A compound the idf list does not know is as specific as its words
  // together: that lets it outweigh its words, which root-word merging then
  // folds into it.
  t->idf = part_idf.size() <= 1 || t->listed ? t->own_idf : sum * kCompoundIdfScale;
  if (res.classifier == nullptr) return;
  // A single word's statistics are its only word's, already looked up.
  if (part_stats.size() == 1) {
    t->own_stats = part_stats[0];
  } else if (HasAsciiCapital(t->word)) {
    t->own_stats = res.classifier->Find(LowerAscii(t->word));
  } else {
    t->own_stats = res.classifier->Find(t->word);  // its own lower-case form
  }
  if (part_idf.size() > 1) {
    for (const WordClassStats* p : part_stats) {
      if (p != nullptr && p->best_class >= 0 && (t->part_stats == nullptr || p->chi2 > t->part_stats->chi2)) {
        t->part_stats = p;
      }
    }
  }
}

// The class code of the strongest association among the term itself and
// its words, when it reaches the threshold.
std::string TermClass(const Resources& res, const Term& t) {
  if (res.classifier == nullptr || res.scheme == nullptr) return std::string();
  const WordClassStats* best = t.own_stats;
  if (best != nullptr && best->best_class < 0) best = nullptr;
  if (t.part_stats != nullptr && (best == nullptr || t.part_stats->chi2 > best->chi2)) best = t.part_stats;
  if (best == nullptr || best->chi2 < res.chi_threshold * kChiScale) return std::string();
  const std::string& code = res.classifier->class_code(static_cast<size_t>(best->best_class));
  if (res.class_mode == 0) {
    const Discipline* d = res.scheme->FindCode(code);
    return d == nullptr ? std::string() : d->library.front();
  }
  return code;
}

size_t CountOccurrences(std::string_view text, std::string_view word) {
  if (word.empty()) return 0;
  size_t n = 0;
  size_t boundary = 0;  // character boundaries are walked once, left to right
  for (size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
    while (boundary < at) boundary += CharBytes(text, boundary);
    if (boundary != at) continue;  // a match inside a double-byte character
    ++n;
    at += word.size() - 1;
  }
  return n;
}

// The pairs of adjacent bytes of a text: a word with a pair the text lacks
// cannot occur in it, which spares most terms of a long article a scan of
// the abstract and the title.
class BytePairs {
 public:
  explicit BytePairs(std::string_view text) : bits_(kWords, 0) {
    for (size_t i = 0; i + 1 < text.size(); ++i) Mark(Pair(text[i], text[i + 1]));
    for (char c : text) single_[static_cast<unsigned char>(c) >> 6] |= uint64_t{1} << (static_cast<unsigned char>(c) & 63);
  }
  bool MayContain(std::string_view word) const {
    if (word.size() == 1) {
      const auto c = static_cast<unsigned char>(word[0]);
      return (single_[c >> 6] >> (c & 63) & 1) != 0;
    }
    for (size_t i = 0; i + 1 < word.size(); ++i) {
      const uint32_t p = Pair(word[i], word[i + 1]);
      if ((bits_[p >> 6] >> (p & 63) & 1) == 0) return false;
    }
    return true;
  }

 private:
  static constexpr size_t kWords = 65536 / 64;
  static uint32_t Pair(char a, char b) {
    return static_cast<uint32_t>(static_cast<unsigned char>(a)) << 8 | static_cast<unsigned char>(b);
  }
  void Mark(uint32_t p) { bits_[p >> 6] |= uint64_t{1} << (p & 63); }
  std::vector<uint64_t> bits_;
  uint64_t single_[4] = {};
};

size_t CountIn(const BytePairs& pairs, std::string_view text, std::string_view word) {
  return pairs.MayContain(word) ? CountOccurrences(text, word) : 0;
}

// The article's best class in the scheme of the class mode, empty when
// there is none.
std::string TopCode(const Resources& res, int top) {
  if (top < 0 || res.classifier == nullptr) return std::string();
  const std::string& code = res.classifier->class_code(static_cast<size_t>(top));
  if (res.class_mode != 0) return code;
  const Discipline* d = res.scheme == nullptr ? nullptr : res.scheme->FindCode(code);
  return d == nullptr ? std::string() : d->library.front();
}

void TermFeatures(const std::string& top_code, const ArticleText& article, const BytePairs& abstract_pairs,
                  const BytePairs& title_pairs,
                  const Term& t, int nested_sum, int nested_max, int sub_max, float* f) {
  std::fill(f, f + kTermFeatures, 0.0f);
  const float own = t.own_idf;
  // Characters, and whether any byte (trail bytes too) is an ASCII letter,
  // in one pass.
  size_t len = 0;
  bool letters = false;
  const std::string_view w = t.word;
  for (size_t at = 0; at < w.size(); ++len) {
    const size_t n = CharBytes(w, at);
    letters = letters || IsAsciiLetter(static_cast<unsigned char>(w[at])) ||
              (n == 2 && IsAsciiLetter(static_cast<unsigned char>(w[at + 1])));
    at += n;
  }
  const std::string& abstract = article.field[kPosAbstract];
  const std::string& title = article.field[kPosTitle];
  const WordClassStats* st = t.own_stats;
  const size_t text_count = CountIn(abstract_pairs, abstract, t.word);
  const float tf = static_cast<float>(std::max(t.TotalFrequency(), 1));

  f[kFBias] = 1.0f;
  f[kFInTitle] = t.freq[kPosTitle] > 0;
  f[kFLogFreqText] = Log1pCount(t.freq[kPosAbstract], t.freq[kPosBody]);
  f[kFLogFreqTitle] = Log1pCount(t.freq[kPosTitle]);
  f[kFMeanIdf] = t.part_idf_mean / 10.0f;
  f[kFMinIdf] = t.part_idf_min / 10.0f;
  f[kFListedWord] = t.listed;
  f[kFOneWord] = t.parts == 1;
  f[kFTwoWords] = t.parts == 2;
  f[kFManyWords] = t.parts >= 3;
  f[kFLen2] = len == 2;
  f[kFLen3] = len == 3;
  f[kFLen4] = len == 4;
  f[kFLen5to6] = len == 5 || len == 6;
  f[kFLen7up] = len >= 7;
  f[kFClassIsArticle] = !t.class_code.empty() && t.class_code == top_code;
  f[kFClassOther] = !t.class_code.empty() && t.class_code != top_code;
  f[kFChi2] = st != nullptr ? std::min(std::log1p(st->chi2), 8.0f) / 8.0f : 0.0f;
  f[kFFirstOffset] = t.freq[kPosAbstract] > 0 && !abstract.empty()
                         ? static_cast<float>(t.first_offset[kPosAbstract]) / static_cast<float>(abstract.size())
                         : 1.0f;
  f[kFLetters] = letters;
  f[kFWholeRun] = t.run_start > 0 && t.run_end > 0;
  f[kFRunStart] = t.run_start > 0;
  f[kFRunEnd] = t.run_end > 0;
  f[kFEndsInVerb] = t.last_tag == tag::kVerb;
  f[kFFirstSingle] = t.first_single;
  f[kFLastSingle] = t.last_single;
  f[kFEndsInVerbalNoun] = t.last_tag == tag::kVerbalNoun;
  f[kFLogNestedIn] = Log1pCount(nested_sum);
  f[kFTitleShare] = t.freq[kPosTitle] > 0 && !title.empty()
                        ? static_cast<float>(t.word.size()) / static_cast<float>(title.size())
                        : 0.0f;
  f[kFUnknownToModel] = st == nullptr;
  f[kFNestedShare] = std::min(1.0f, static_cast<float>(nested_max) / tf);
  f[kFOwnShare] = sub_max > 0 ? std::min(1.0f, tf / static_cast<float>(sub_max)) : 1.0f;
  f[kFGeneralWord] = t.parts == 1 && own < 5.0f;
  f[kFCommonWord] = t.parts == 1 && own >= 5.0f && own < 7.0f;
  f[kFPlainWord] = t.parts == 1 && own >= 7.0f && own < 9.0f;
  f[kFGeneralPart] = t.parts > 1 && t.part_idf_min < 5.0f;
  f[kFCommonPart] = t.parts > 1 && t.part_idf_min >= 5.0f && t.part_idf_min < 7.0f;
  f[kFWholeTitleRun] = t.title_whole;
  f[kFLogWholeRuns] = Log1pCount(t.abs_whole);
  f[kFLogTextCount] = Log1pCount(static_cast<int>(std::min<size_t>(text_count, INT_MAX)));
  f[kFTextInTitle] = CountIn(title_pairs, title, t.word) > 0;
  f[kFTextMoreOften] = text_count > static_cast<size_t>(t.freq[kPosAbstract]);
  for (int c = 0; c < kTermFeatures - kFCrosses; ++c) {
    f[kFCrosses + c] = f[kFeatureCrosses[c][0]] * f[kFeatureCrosses[c][1]];
  }
}

}  // namespace

// The classes whose terms Tarnix doubles (and it halves all others): the
// smallest leading group of the article's classes, best first, whose
// scores reach 60 % of their sum, as Tarnix reads them from
// GetTxtClassifyTemp (at most 100, float sums).
std::vector<std::string> LeadingClasses(const std::vector<ClassCandidate>& classes) {
  // Without a class the article's class is the empty text, and Tarnix
  // counts it as the article's own.
  if (classes.empty()) return {std::string()};
  const size_t n = std::min<size_t>(classes.size(), kMaxArticleClasses);
  float total = 0.0f;
  for (size_t i = 0; i < n; ++i) total += classes[i].score;
  const float threshold = static_cast<float>(0.6 * total);
  std::vector<std::string> out;
  float run = 0.0f;
  for (size_t i = 0; i < n; ++i) {
    out.push_back(classes[i].code);
    run += classes[i].score;
    if (run >= threshold) break;
  }
  return out;
}

// What Tarnix's class step will multiply a term's weight by.
double ClassStepFactor(const std::string& code, const std::vector<std::string>& leading) {
  return std::find(leading.begin(), leading.end(), code) != leading.end() ? 2.0 : 0.5;
}

namespace {

// Weighs every term by the term model: 100 times the probability that it
// is a keyword (raised to the model's lambda, 1 by default), spread over
// the fields in proportion to the occurrences there. The model has already
// weighed whether the term's class is the article's, and Tarnix doubles
// the weights of terms of the article's leading classes and halves the
// others: the weight handed over is divided by that factor, so that what
// the host receives is the probability itself (plus what merging adds).
// With EKVR_FEATURE_DUMP naming a file, each term's text and features are
// appended to it (the input of train_term_model.py).
void WeighByModel(const Resources& res, int top, const std::vector<ClassCandidate>& classes,
                  const ArticleText& article, TermSet* terms) {
  const std::vector<std::string> leading = LeadingClasses(classes);
  auto& all = terms->terms();
  const size_t n = all.size();
  // How the terms nest: every run of whole words inside a longer term that
  // is a term itself.
  std::vector<int> nested_sum(n, 0), nested_max(n, 0), sub_max(n, 0);
  std::vector<std::pair<size_t, size_t>> nested;  // (piece, longer term holding it)
  std::string piece;
  std::vector<std::string_view> parts;
  std::vector<size_t> starts;  // where each word begins in the term's text
  // Every term's count, beside each other: the walk below asks for the
  // counts of pieces all over the term set.
  std::vector<int> total(n);
  for (size_t u = 0; u < n; ++u) total[u] = all[u].TotalFrequency();
  for (size_t u = 0; u < n; ++u) {
    if (all[u].parts < 2) continue;  // no pieces, and its texts need not be read
    SplitWords(all[u].second, &parts);
    if (parts.size() < 2) continue;
    const int fu = total[u];
    // When the words make up the term's text with nothing between them (no
    // blank, as in every Chinese compound), a piece is a stretch of that
    // text and needs no copy.
    const std::string_view word = all[u].word;
    bool adjacent = true;
    starts.clear();
    for (size_t b = 0, at = 0; b < parts.size(); at += parts[b].size(), ++b) {
      starts.push_back(at);
      adjacent = adjacent && word.compare(at, parts[b].size(), parts[b]) == 0;
      if (b + 1 == parts.size()) adjacent = adjacent && at + parts[b].size() == word.size();
    }
    for (size_t a = 0; a < parts.size(); ++a) {
      piece.clear();
      for (size_t b = a; b < parts.size(); ++b) {
        if (a == 0 && b + 1 == parts.size()) break;
        std::string_view text;
        if (adjacent) {
          text = word.substr(starts[a], starts[b] + parts[b].size() - starts[a]);
        } else {
          piece.append(parts[b]);
          text = piece;
        }
        const Term* t = terms->Find(text);
        if (t == nullptr) continue;
        const size_t i = static_cast<size_t>(t - all.data());
        nested.emplace_back(i, u);
        nested_sum[i] += fu;
        nested_max[i] = std::max(nested_max[i], fu);
        sub_max[u] = std::max(sub_max[u], total[i]);
      }
    }
  }
  const std::string top_code = TopCode(res, top);
  const char* dump_path = std::getenv(kFeatureDumpVar);
  FILE* dump = dump_path != nullptr ? std::fopen(dump_path, "a") : nullptr;
  const BytePairs abstract_pairs(article.field[kPosAbstract]), title_pairs(article.field[kPosTitle]);
  // The features of a block of terms side by side, then one pass of the
  // model over the block: small enough to stay in the cache.
  constexpr size_t kBlock = 64;
  std::vector<float> features(kBlock * kTermFeatures);
  size_t block[kBlock];
  double scores[kBlock];
  std::vector<double> logit(n, -kMaxExponent);
  double best = -kMaxExponent;
  size_t filled = 0;
  auto score_block = [&] {
    res.term_model->LogitMany(features.data(), filled, kTermFeatures, scores);
    for (size_t k = 0; k < filled; ++k) {
      logit[block[k]] = scores[k];
      if (!all[block[k]].author_keyword) best = std::max(best, scores[k]);
    }
    filled = 0;
  };
  for (size_t i = 0; i < n; ++i) {
    const Term& t = all[i];
    if (OnceInBodyPhrase(t)) continue;
    float* f = features.data() + filled * kTermFeatures;
    TermFeatures(top_code, article, abstract_pairs, title_pairs, t, nested_sum[i], nested_max[i], sub_max[i], f);
    if (dump != nullptr) {
      std::fprintf(dump, "%s", t.word.c_str());
      // Exact values: a tree's thresholds fall between the values seen.
      for (int k = 0; k < kTermFeatures; ++k) std::fprintf(dump, "\t%.9g", static_cast<double>(f[k]));
      std::fprintf(dump, "\n");
    }
    block[filled++] = i;
    if (filled == kBlock) score_block();
  }
  if (filled > 0) score_block();
  std::vector<double> own = logit;
  for (const auto& [piece, longer] : nested) {
    if (total[piece] <= total[longer] &&
        own[longer] + kSubsumedMargin >= own[piece]) {
      logit[piece] = std::min(logit[piece], own[longer] - 0.01);
    }
  }
  const double lambda = res.term_model->lambda();
  for (size_t i = 0; i < n; ++i) {
    Term& t = all[i];
    t.keep = !OnceInBodyPhrase(t);
    if (!t.keep) continue;  // its weights stay 0
    // The author named it: above every term the model only guesses at.
    const double z = t.author_keyword ? std::max(logit[i], best) + kAuthorKeywordLogit : logit[i];
    const double p = 1.0 / (1.0 + std::exp(-std::clamp(z, -kMaxExponent, kMaxExponent)));
    const double w =
        std::max(kMinWeight, kWeightScale * (lambda == 1.0 ? p : std::pow(p, lambda))) / ClassStepFactor(t.class_code, leading);
    t.total = w;
    const double tf = std::max(t.TotalFrequency(), 1);
    for (int p = 0; p < kPositionCount; ++p) t.weight[p] = static_cast<float>(w * t.freq[p] / tf);
  }
  if (dump != nullptr) std::fclose(dump);
}

bool HasDoubleByte(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}


void Weigh(TermSet* terms) {
  for (Term& t : terms->terms()) {
    t.keep = t.parts <= 1 || t.TotalFrequency() >= kMinCompoundFrequency || t.freq[kPosTitle] > 0 ||
             t.freq[kPosKeywords] > 0;
    t.total = 0.0;
    for (int p = 0; p < kPositionCount; ++p) {
      t.weight[p] = static_cast<float>(t.freq[p]) * t.idf * PositionFactor(static_cast<Position>(p));
      t.total += t.weight[p];
    }
  }
}

// Returns the model's index of the best discipline, -1 when there is none.
int Classify(const Resources& res, const std::vector<const WordClassStats*>& features, Analysis* out) {
  if (res.classifier == nullptr || res.scheme == nullptr) return -1;
  const std::vector<double> post = res.classifier->Posterior(features);
  int top = -1;
  for (size_t c = 0; c < post.size(); ++c) {
    if (top < 0 || post[c] > post[static_cast<size_t>(top)]) top = static_cast<int>(c);
  }
  std::map<std::string, double> merged;  // library classes shared by disciplines add up
  for (size_t c = 0; c < post.size(); ++c) {
    const std::string& code = res.classifier->class_code(c);
    if (res.class_mode == 0) {
      const Discipline* d = res.scheme->FindCode(code);
      if (d != nullptr) merged[d->library.front()] += post[c];
    } else {
      merged[code] += post[c];
    }
  }
  for (const auto& [code, score] : merged) out->classes.push_back({code, static_cast<float>(score)});
  std::stable_sort(out->classes.begin(), out->classes.end(),
                   [](const ClassCandidate& a, const ClassCandidate& b) { return a.score > b.score; });
  return top;
}

// The idf and class statistics of every token of a field. The big tables
// are asked once per distinct word of the article; the small cache answers
// the repeats.
struct WordValues {
  float idf;
  bool listed;  // in the idf list (else idf is its median)
  const WordClassStats* stats;
};
using WordCache = ShortKeyTable<WordValues>;

// The values of the tokens of one segmented text, as TokenValues found them.
struct TokenTable {
  std::vector<float> idf;
  std::vector<uint8_t> listed;
  std::vector<const WordClassStats*> stats;
};

// The classifier's features of the article: its distinct words of two or
// more characters (letter words in lower case), in the order they first
// occur, with their statistics.
struct Features {
  std::unordered_set<std::string> seen;  // the keys of letter words and blanks
  std::vector<const WordClassStats*> stats;
};

// What the big tables say of one word; its class statistics are those of
// its lower-case form.
WordValues LookUpWord(const Resources& res, std::string_view s) {
  WordValues v{};
  v.idf = res.idf->Get(s, &v.listed);
  if (res.classifier != nullptr) {
    v.stats = HasAsciiCapital(s) ? res.classifier->Find(LowerAscii(s)) : res.classifier->Find(s);
  }
  return v;
}

// Fills values for the tokens of one text and adds its new features. A
// double-byte word is its own feature key, so the cache tells whether it
// is new; its statistics were looked up under its lower-case text, which
// is the key unless the word holds capitals.
void TokenValues(std::string_view text, const std::vector<Token>& tokens, const Resources& res,
                 WordCache* cache, TokenTable* values, Features* features) {
  values->idf.assign(tokens.size(), 0.0f);
  values->listed.assign(tokens.size(), 0);
  values->stats.assign(tokens.size(), nullptr);
  auto find = [&res](std::string_view key) {
    return res.classifier != nullptr ? res.classifier->Find(key) : nullptr;
  };
  for (size_t k = 0; k < tokens.size(); ++k) {
    const std::string_view s = text.substr(tokens[k].begin, tokens[k].end - tokens[k].begin);
    if (tokens[k].tag == tag::kBlank) {
      if (HasDoubleByte(s) && CharCount(s) >= 2) {
        std::string key(s);
        if (features->seen.insert(key).second) features->stats.push_back(find(key));
      }
      continue;
    }
    const auto [cached, fresh] = cache->Insert(s, WordValues{});
    if (fresh) *cached = LookUpWord(res, s);
    const WordValues v = *cached;
    values->idf[k] = v.idf;
    values->listed[k] = v.listed;
    values->stats[k] = v.stats;
    if (tokens[k].tag == tag::kLetters) {
      if (s.size() >= 2 && features->seen.insert(LowerAscii(s)).second) {
        features->stats.push_back(v.stats);
      }
    } else if (fresh && HasDoubleByte(s) && CharCount(s) >= 2) {
      features->stats.push_back(HasAsciiCapital(s) ? find(s) : v.stats);
    }
  }
}

// With pending given, a new phrase is described later, by
// DescribePending, and its index goes there.
void AddChineseSpans(std::string_view text, const std::vector<Token>& tokens, const TokenTable& values,
                     Position pos, size_t base, const Resources& res, TermSet* terms, bool* whole,
                     std::vector<Span>* spans, std::vector<uint32_t>* pending) {
  const std::vector<float>& tok_idf = values.idf;
  const std::vector<const WordClassStats*>& tok_stats = values.stats;
  std::vector<float> part_idf;
  std::vector<const WordClassStats*> part_stats;
  ChineseCandidates(text, tokens, spans);
  for (const Span& s : *spans) {
    const Token& first = tokens[s.first];
    const Token& last = tokens[s.first + s.count - 1];
    const std::string_view word = text.substr(first.begin, last.end - first.begin);
    if (whole != nullptr && first.begin == 0 && last.end == text.size()) *whole = true;
    int parts = 0;
    for (uint32_t k = s.first; k < s.first + s.count; ++k) parts += tokens[k].tag != tag::kBlank;
    Term& t = terms->Add(word, word, std::string_view(), parts, pos, base + first.begin);
    if (t.TotalFrequency() == 1) {
      const bool later = pending != nullptr && parts > 1;
      part_idf.clear();
      part_stats.clear();
      for (uint32_t k = s.first; k < s.first + s.count; ++k) {
        if (tokens[k].tag == tag::kBlank) continue;
        if (!t.second.empty()) t.second += ' ';
        t.second.append(text.substr(tokens[k].begin, tokens[k].end - tokens[k].begin));
        if (later) continue;
        part_idf.push_back(tok_idf[k]);
        part_stats.push_back(tok_stats[k]);
      }
      if (later) {
        pending->push_back(static_cast<uint32_t>(&t - terms->terms().data()));
      } else {
        const bool own_listed = values.listed[s.first] != 0;
        Describe(res, part_idf, part_stats, s.count == 1 ? &own_listed : nullptr, &t);
      }
      t.last_tag = last.tag;
      t.first_single = CharCount(text.substr(first.begin, first.end - first.begin)) == 1;
      t.last_single = CharCount(text.substr(last.begin, last.end - last.begin)) == 1;
    }
    if (s.run_start && s.run_end) {
      if (pos == kPosTitle) t.title_whole = true;
      if (pos == kPosAbstract) ++t.abs_whole;
    }
    t.run_start += s.run_start;
    t.run_end += s.run_end;
  }
}

// Describes the phrases first found in the body text, once the whole
// article has been read and only those that will be weighed: looking up
// the others' texts in the big tables would cost a cache miss or two
// each. Their words' values are the cache's.
void DescribePending(const Resources& res, const std::vector<uint32_t>& pending, const WordCache& cache,
                     TermSet* terms) {
  std::vector<std::string_view> words;
  std::vector<float> part_idf;
  std::vector<const WordClassStats*> part_stats;
  for (uint32_t i : pending) {
    Term& t = terms->terms()[i];
    if (OnceInBodyPhrase(t)) continue;
    SplitWords(t.second, &words);
    part_idf.clear();
    part_stats.clear();
    for (std::string_view word : words) {
      const WordValues* known = cache.Find(word);
      const WordValues v = known != nullptr ? *known : LookUpWord(res, word);
      part_idf.push_back(v.idf);
      part_stats.push_back(v.stats);
    }
    Describe(res, part_idf, part_stats, nullptr, &t);
  }
}

}  // namespace

void Analysis::Clear() {
  terms.Clear();
  abstract_terms = kAbstractLimit;
  full_text_records = 10000;
  whole_terms = false;
  keywords.clear();
  classes.clear();
}

float PositionFactor(Position pos) {
  switch (pos) {
    case kPosTitle:
      return 3.0f;
    case kPosKeywords:
      return 3.0f;
    case kPosAbstract:
      return 1.0f;
    case kPosBody:
      return 0.5f;
    case kPosJournal:
      return 0.1f;
    default:
      return 0.5f;
  }
}

std::vector<std::string> SplitKeywords(std::string_view field) {
  std::vector<std::string> out;
  std::string current;
  auto flush = [&out, &current]() {
    size_t b = 0, e = current.size();
    while (b < e && current[b] == ' ') ++b;
    while (e > b && current[e - 1] == ' ') --e;
    std::string kw = current.substr(b, e - b);
    // A full-width blank (A1 A1) at either end goes too.
    while (kw.size() >= 2 && kw.compare(0, 2, "\xA1\xA1") == 0) kw.erase(0, 2);
    while (kw.size() >= 2 && kw.compare(kw.size() - 2, 2, "\xA1\xA1") == 0) kw.erase(kw.size() - 2);
    if (!kw.empty() && std::find(out.begin(), out.end(), kw) == out.end()) out.push_back(kw);
    current.clear();
  };
  for (size_t at = 0; at < field.size();) {
    const size_t n = CharBytes(field, at);
    const std::string_view c = field.substr(at, n);
    const bool sep = c == ";" || c == "," || c == "\n" || c == "\r" || c == "\t" ||
                     c == "\xA3\xBB" /* ； */ || c == "\xA3\xAC" /* ， */ || c == "\xA1\xA2" /* 、 */;
    if (sep) {
      flush();
    } else {
      current.append(c.data(), c.size());
    }
    at += n;
  }
  flush();
  return out;
}

bool LooksChinese(const ArticleText& a) {
  // Only Chinese characters count: GBK's rows A1 to A9 hold punctuation,
  // Greek and maths symbols, which English papers are full of.
  auto share = [](std::string_view s, size_t* high, size_t* all) {
    for (size_t at = 0; at < s.size();) {
      const char c = s[at];
      const size_t n = CharBytes(s, at);
      if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
        at += n;
        continue;
      }
      *all += n;
      const auto lead = static_cast<unsigned char>(c);
      if (n == 2 && (lead < 0xA1 || lead > 0xA9)) *high += 2;
      at += n;
    }
  };
  size_t high = 0, all = 0;
  share(a.field[kPosTitle], &high, &all);
  share(a.field[kPosAbstract], &high, &all);
  share(a.field[kPosKeywords], &high, &all);
  if (all == 0) share(std::string_view(a.field[kPosBody]).substr(0, 4096), &high, &all);
  return all > 0 && high * 5 >= all;
}

bool AnalyzeChinese(const ArticleText& article, const SegmentFn& segment, const Resources& res,
                    Analysis* out) {
  out->Clear();
  std::vector<Token> tokens;
  Features features;
  WordCache cache;
  TokenTable values;
  std::vector<Span> spans;  // the candidates of one field, the buffer reused
  std::vector<uint32_t> pending;  // phrases of the body text, described at the end
  const std::vector<std::string> keywords = SplitKeywords(article.field[kPosKeywords]);
  size_t bytes = 0;
  for (const std::string& field : article.field) bytes += field.size();
  // Long Chinese texts have a term per three bytes or so and a distinct
  // word per six: growing the tables step by step would move every term
  // and hash every key again at each step.
  out->terms.Reserve(bytes / 3 + 16);
  cache.reserve(bytes / 6 + 16);
  for (int p = 0; p < kPositionCount; ++p) {
    const auto pos = static_cast<Position>(p);
    if (pos == kPosKeywords) continue;
    const std::string& text = article.field[p];
    if (text.empty()) continue;
    tokens.clear();
    if (!segment(text, &tokens)) return false;
    TokenValues(text, tokens, res, &cache, &values, &features);
    AddChineseSpans(text, tokens, values, pos, 0, res, &out->terms, nullptr, &spans,
                    pos == kPosBody ? &pending : nullptr);
  }
  // Each author keyword is a term of its own as well as a source of words.
  const std::string& field = article.field[kPosKeywords];
  size_t offset = 0;
  for (const std::string& kw : keywords) {
    const size_t at = field.find(kw, offset);
    const size_t base = at == std::string::npos ? 0 : at;
    offset = at == std::string::npos ? offset : at + kw.size();
    tokens.clear();
    if (!segment(kw, &tokens)) return false;
    TokenValues(kw, tokens, res, &cache, &values, &features);
    bool whole = false;
    AddChineseSpans(kw, tokens, values, kPosKeywords, base, res, &out->terms, &whole, &spans, nullptr);
    std::vector<std::string_view> parts;
    std::string second;
    for (const Token& t : tokens) {
      if (t.tag == tag::kBlank) continue;
      parts.push_back(std::string_view(kw).substr(t.begin, t.end - t.begin));
      if (!second.empty()) second += ' ';
      second += parts.back();
    }
    if (!whole) {
      Term& t = out->terms.Add(kw, kw, second, static_cast<int>(parts.size()), kPosKeywords, base);
      if (t.TotalFrequency() == 1) {
        std::vector<float> part_idf;
        std::vector<const WordClassStats*> part_stats;
        for (std::string_view p : parts) {
          part_idf.push_back(res.idf->Get(std::string(p)));
          part_stats.push_back(res.classifier != nullptr ? res.classifier->Find(LowerAscii(p)) : nullptr);
        }
        Describe(res, part_idf, part_stats, nullptr, &t);
      }
    }
    Term* t = out->terms.Find(kw);
    if (t != nullptr) t->author_keyword = true;
    AuthorKeyword a;
    a.word = kw;
    a.second = second;
    const size_t found = CountOccurrences(article.field[kPosTitle], kw) +
                         CountOccurrences(article.field[kPosAbstract], kw) +
                         CountOccurrences(article.field[kPosBody], kw);
    a.frequency = static_cast<int>(std::max<size_t>(found, 1));
    out->keywords.push_back(std::move(a));  // weighed below, once every term is described
  }
  DescribePending(res, pending, cache, &out->terms);
  const int top = Classify(res, features.stats, out);
  for (Term& t : out->terms.terms()) t.class_code = TermClass(res, t);
  if (res.term_model != nullptr) {
    WeighByModel(res, top, out->classes, article, &out->terms);
    out->abstract_terms = kModelAbstractTerms;
    out->full_text_records = kModelFullTextRecords;
  } else {
    Weigh(&out->terms);
  }
  for (AuthorKeyword& a : out->keywords) {
    const Term* t = out->terms.Find(a.word);
    if (t != nullptr && res.term_model != nullptr) {
      a.weight = static_cast<float>(t->total);
    } else {
      a.weight = static_cast<float>(a.frequency + 1) * (t != nullptr ? t->idf : res.idf->median()) *
                 PositionFactor(kPosKeywords);
    }
    if (t != nullptr) a.class_code = t->class_code;
  }
  return true;
}

}  // namespace ekvr
