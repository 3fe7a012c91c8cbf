// The English analysis of an article: candidate noun phrases from the
// tagged text, grouped by their key, shown as the article writes them,
// weighed by the English term model.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

#include "word_table.h"

#include "article_terms.h"
#include "en_features.h"
#include "en_terms.h"
#include "gbk_chars.h"
#include "table_file.h"

namespace ekvr {
namespace {

// Weights are the model's probability on a fixed scale, so that a host can
// compare them within and between articles.
constexpr double kEnglishScale = 100.0;
constexpr double kMinEnglishWeight = 1e-3;
// Kind 1 hands over the best records only: a whole paper has thousands of
// candidates, and Tarnix's merging walks every one.
constexpr int kEnglishFullTextRecords = 100;
// Words from which an article is a paper rather than an abstract or a note.
constexpr size_t kLongTextWords = 1000;
// An author keyword stands above every phrase the model only guesses at.
constexpr float kAuthorKeywordWeight = static_cast<float>(kEnglishScale);

// The fields that are the article's own text; a phrase found only in the
// journal name is not one of its keywords.
constexpr Position kTextFields[] = {kPosTitle, kPosAbstract, kPosBody, kPosKeywords};

struct Form {
  std::string text;
  int count;
  bool from_title;  // seen in a title written in title case or capitals
};

// What the English analysis keeps of a term beside the common Term.
struct PhraseInfo {
  std::string key;
  std::vector<Form> forms;
  std::string lower;  // its words lower-cased, blank-separated, as first seen
  double first = -1.0, last = -1.0;  // offsets in reading order
  WordClass first_class = WordClass::kNoun, last_class = WordClass::kNoun;
  bool proper = false;
  // Occurrences in the article's own text; of those, the ones cut before
  // the noun they modify ("efficient decision" of "efficient decision
  // tree") and the ones that are the tail of a longer noun phrase.
  int seen = 0, cut = 0, tail = 0;
};

// How a word is written in the article's prose: a capitalised word that
// never appears in lower case, and not only at the start of sentences, is
// a name (Bayes, Kubernetes, Markov).
struct CaseEvidence {
  int lower = 0;
  int capital_inside = 0;
  int upper = 0;  // written in capitals
};

void LowerInto(std::string_view w, std::string* out) {
  out->assign(w.data(), w.size());
  for (char& c : *out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
}

bool IsUpperWord(std::string_view w) {
  bool letter = false;
  for (char c : w) {
    if (c >= 'a' && c <= 'z') return false;
    letter = letter || (c >= 'A' && c <= 'Z');
  }
  return letter;
}

// Whether a title is written in title case or in capitals, so that its
// capitals say nothing about names and acronyms.
enum class TitleCase { kSentence, kTitle, kCapitals };
TitleCase TitleCaseOf(std::string_view text, const std::vector<EnglishToken>& tokens) {
  int words = 0, capitalised = 0, upper = 0;
  for (const EnglishToken& t : tokens) {
    if (t.kind != EnglishToken::kWord || t.end - t.begin < 4) continue;
    const std::string_view w = text.substr(t.begin, t.end - t.begin);
    ++words;
    capitalised += w[0] >= 'A' && w[0] <= 'Z';
    upper += IsUpperWord(w);
  }
  if (words >= 2 && upper * 5 >= words * 4) return TitleCase::kCapitals;
  if (words >= 2 && capitalised * 5 >= words * 3) return TitleCase::kTitle;
  return TitleCase::kSentence;
}

struct EnglishState {
  EnglishState(const Resources& r, const EnglishInfoFn& i, TermSet* t) : res(r), info(i), terms(t) {}
  const Resources& res;
  const EnglishInfoFn& info;
  TermSet* terms;
  std::vector<PhraseInfo> phrases;  // parallel to terms
  tarnix::WordTable<CaseEvidence> evidence;  // by the word in lower case
  std::string lower;  // reused buffers
  std::string key;
  std::unordered_map<std::string, WordClass> fallback_classes;
  TitleCase title_case = TitleCase::kSentence;
  size_t words = 0;  // word tokens of the article's own text
  std::vector<std::string_view> sentence;
  std::vector<uint8_t> tags;
  EnglishTagger::Scratch scratch;
  std::vector<WordClass> classes;
  std::vector<WordSpan> spans;
  std::vector<std::string_view> parts;
};

void ClassifyTokens(std::string_view text, const std::vector<EnglishToken>& tokens, EnglishState* st) {
  st->classes.assign(tokens.size(), WordClass::kPunctuation);
  const EnglishTagger* tagger = st->res.tagger;
  if (tagger != nullptr && tagger->loaded()) {
    for (const TokenRange& r : Sentences(tokens)) {
      st->sentence.clear();
      for (uint32_t k = r.first; k < r.end; ++k) {
        st->sentence.push_back(text.substr(tokens[k].begin, tokens[k].end - tokens[k].begin));
      }
      tagger->Tag(st->sentence, &st->tags, &st->scratch);
      for (uint32_t k = r.first; k < r.end && k - r.first < st->tags.size(); ++k) {
        st->classes[k] = tagger->ClassOf(st->tags[k - r.first]);
      }
    }
    return;
  }
  // No tagger model: the dictionary's word classes, word by word.
  for (size_t k = 0; k < tokens.size(); ++k) {
    if (tokens[k].kind != EnglishToken::kWord) continue;
    const std::string lower = LowerAscii(text.substr(tokens[k].begin, tokens[k].end - tokens[k].begin));
    auto it = st->fallback_classes.find(lower);
    if (it == st->fallback_classes.end()) {
      it = st->fallback_classes.emplace(lower, ClassFromInfo(st->info(lower))).first;
    }
    st->classes[k] = it->second;
  }
}

// Adds the candidates of one text of field pos, whose first byte stands at
// `base` in the article's reading order.
void AddText(std::string_view text, Position pos, size_t base, bool* whole, EnglishState* st) {
  const std::vector<EnglishToken> tokens = EnglishTokens(text);
  ClassifyTokens(text, tokens, st);
  const bool own_text = pos == kPosTitle || pos == kPosAbstract || pos == kPosBody || pos == kPosKeywords;
  const bool title_forms = pos == kPosTitle && st->title_case != TitleCase::kSentence;
  if (own_text) {
    for (const EnglishToken& t : tokens) {
      if (t.kind != EnglishToken::kWord) continue;
      ++st->words;
      if (title_forms || pos == kPosKeywords) continue;
      const std::string_view w = text.substr(t.begin, t.end - t.begin);
      LowerInto(w, &st->lower);
      CaseEvidence& ev = *st->evidence.Insert(st->lower, CaseEvidence()).first;
      if (w[0] >= 'a' && w[0] <= 'z') {
        ++ev.lower;
      } else if (IsUpperWord(w) && w.size() > 1) {
        ++ev.upper;
      } else if (!t.sentence_start && w[0] >= 'A' && w[0] <= 'Z') {
        ++ev.capital_inside;
      }
    }
  }
  EnglishCandidates(text, tokens, st->classes, &st->spans);
  std::string surface;
  for (const WordSpan& s : st->spans) {
    st->parts.clear();
    surface.clear();
    bool proper = false;
    for (uint32_t k = s.first; k < s.first + s.count; ++k) {
      st->parts.push_back(text.substr(tokens[k].begin, tokens[k].end - tokens[k].begin));
      if (!surface.empty()) surface += ' ';
      surface.append(st->parts.back());
      proper = proper || st->classes[k] == WordClass::kProperNoun;
    }
    const EnglishToken& first = tokens[s.first];
    const EnglishToken& last = tokens[s.first + s.count - 1];
    if (whole != nullptr && first.begin == 0 && last.end == text.size()) *whole = true;
    PhraseKeyInto(st->parts.data(), st->parts.size(), &st->key);
    const std::string& key = st->key;
    Term& t = st->terms->Add(key, surface, surface, static_cast<int>(s.count), pos, first.begin);
    const size_t index = static_cast<size_t>(&t - st->terms->terms().data());
    if (index == st->phrases.size()) {
      PhraseInfo p;
      p.key = key;
      p.lower = LowerAscii(surface);
      p.first_class = st->classes[s.first];
      p.last_class = st->classes[s.first + s.count - 1];
      st->phrases.push_back(std::move(p));
    }
    PhraseInfo& p = st->phrases[index];
    p.proper = p.proper || proper;
    if (own_text) {
      const uint32_t after = s.first + s.count;
      const auto phrase_word = [&](uint32_t k) {
        return tokens[k].kind == EnglishToken::kWord && k < st->classes.size();
      };
      ++p.seen;
      if (after < tokens.size() && !tokens[after].sentence_start && phrase_word(after) &&
          (st->classes[after] == WordClass::kNoun || st->classes[after] == WordClass::kProperNoun)) {
        ++p.cut;
      }
      if (s.first > 0 && !first.sentence_start && phrase_word(s.first - 1)) {
        const WordClass before = st->classes[s.first - 1];
        if (before == WordClass::kNoun || before == WordClass::kProperNoun || before == WordClass::kAdjective) ++p.tail;
      }
      const double at = static_cast<double>(base + first.begin);
      if (p.first < 0.0 || at < p.first) p.first = at;
      p.last = std::max(p.last, at);
      auto form = std::find_if(p.forms.begin(), p.forms.end(), [&](const Form& f) {
        return f.text == surface && f.from_title == title_forms;
      });
      if (form == p.forms.end()) {
        p.forms.push_back({surface, 1, title_forms});
      } else {
        ++form->count;
      }
    }
  }
}

// The word as a reader is shown it: acronyms and names as written, any
// other word in lower case.
std::string ShowWord(std::string_view w, bool from_title, const EnglishState& st) {
  if (!HasAsciiCapital(w)) return std::string(w);
  const std::string lower = LowerAscii(w);
  const CaseEvidence* found = st.evidence.Find(lower);
  const CaseEvidence ev = found == nullptr ? CaseEvidence() : *found;
  if (IsAcronymLike(w)) {
    // In a title in capitals every word looks like an acronym.
    if (!from_title || st.title_case != TitleCase::kCapitals || ev.upper > 0) return std::string(w);
    return lower;
  }
  if (ev.capital_inside > 0 && ev.lower == 0) return std::string(w);
  return lower;
}

// The article's commonest form of the phrase (forms of the prose before a
// title in title case), with each word shown as ShowWord says.
std::string Display(const PhraseInfo& p, const Term& t, const EnglishState& st) {
  const Form* best = nullptr;
  for (const Form& f : p.forms) {
    if (best == nullptr || (best->from_title && !f.from_title) ||
        (best->from_title == f.from_title && f.count > best->count)) {
      best = &f;
    }
  }
  const std::string_view text = best != nullptr ? std::string_view(best->text) : std::string_view(t.word);
  const bool from_title = best != nullptr && best->from_title;
  std::string out;
  for (std::string_view w : SplitView(text, ' ')) {
    if (w.empty()) continue;
    if (!out.empty()) out += ' ';
    out += ShowWord(w, from_title, st);
  }
  return out;
}

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

struct WordFacts {
  float idf;
  bool listed;
  bool general;
};

// Features and weights of every term; with the dump variable set, the
// features go to that file too (the input of train_en_model.py).
void WeighEnglish(const ArticleText& article, EnglishState* st) {
  std::vector<Term>& all = st->terms->terms();
  const size_t n = all.size();
  std::vector<int> own(n), nested_sum(n, 0), nested_max(n, 0), sub_max(n, 0);
  for (size_t i = 0; i < n; ++i) own[i] = OwnFrequency(all[i]);
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
        nested_sum[i] += own[u];
        nested_max[i] = std::max(nested_max[i], own[u]);
        sub_max[u] = std::max(sub_max[u], own[i]);
      }
    }
  }
  double length = 0.0;
  for (Position p : kTextFields) length += static_cast<double>(article.field[p].size() + 1);
  // Each distinct word is looked up once; the table's values stay where
  // they are only until it grows, so callers copy them.
  tarnix::WordTable<WordFacts> facts;
  facts.reserve(st->evidence.size() + 16);
  auto fact = [&](std::string_view w) -> WordFacts {
    if (const WordFacts* known = facts.Find(w)) return *known;
    WordFacts f{};
    f.idf = st->res.idf->Get(Singular(w), &f.listed);
    f.general = !st->info(std::string(w)).empty();
    facts.Insert(w, f);
    return f;
  };
  const char* dump_path = std::getenv(kEnglishFeatureDumpVar);
  FILE* dump = dump_path != nullptr ? std::fopen(dump_path, "a") : nullptr;
  const TermModel* model = st->res.term_model;
  const float doc_words = static_cast<float>(std::max<size_t>(st->words, 1));
  const bool long_text = st->words >= kLongTextWords;
  float f[kEnglishFeatures];
  std::vector<double> logit(n, -30.0);
  // The model scores blocks of candidates at once (see TermModel::LogitMany).
  constexpr size_t kBlock = 64;
  std::vector<float> block_features(model != nullptr ? kBlock * kEnglishFeatures : 0);
  size_t block[kBlock];
  double scores[kBlock];
  size_t filled = 0;
  auto score_block = [&] {
    model->LogitMany(block_features.data(), filled, kEnglishFeatures, scores);
    for (size_t k = 0; k < filled; ++k) logit[block[k]] = std::clamp(scores[k], -30.0, 30.0);
    filled = 0;
  };
  for (size_t i = 0; i < n; ++i) {
    Term& t = all[i];
    const PhraseInfo& p = st->phrases[i];
    // A phrase seen once, in the body only, is rarely what a paper is
    // about, and in a whole paper most phrases are such; a short text
    // given as the body alone has little else.
    t.keep = own[i] > 0 && !(long_text && t.parts > 1 && own[i] == 1 && t.freq[kPosBody] == 1);
    t.total = 0.0;
    if (!t.keep) continue;
    const std::string shown = Display(p, t, *st);
    // A text the record's word field cannot hold whole would be shown cut
    // and counted under another cut, so it is not delivered.
    if (shown.size() >= sizeof(ArticleTerm::word)) {
      t.keep = false;
      continue;
    }
    t.word = shown;
    t.second = shown;
    std::fill(f, f + kEnglishFeatures, 0.0f);
    float idf_sum = 0.0f, idf_min = 0.0f, head_idf = 0.0f;
    int unlisted = 0, general = 0, count = 0;
    bool head_general = false;
    for (std::string_view w : SplitView(p.lower, ' ')) {
      if (w.empty()) continue;
      const WordFacts wf = fact(w);
      idf_sum += wf.idf;
      idf_min = count == 0 ? wf.idf : std::min(idf_min, wf.idf);
      head_idf = wf.idf;
      unlisted += !wf.listed;
      general += wf.general;
      head_general = wf.general;
      ++count;
    }
    count = std::max(count, 1);
    const float tf = static_cast<float>(own[i]);
    f[kEBias] = 1.0f;
    f[kELogFreq] = std::log1p(tf);
    f[kELogFreqAbstract] = std::log1p(static_cast<float>(t.freq[kPosAbstract]));
    f[kELogFreqBody] = std::log1p(static_cast<float>(t.freq[kPosBody]));
    f[kEInTitle] = t.freq[kPosTitle] > 0;
    f[kEInAbstract] = t.freq[kPosAbstract] > 0;
    f[kEInBody] = t.freq[kPosBody] > 0;
    f[kEFirstPos] = p.first >= 0.0 ? static_cast<float>(p.first / length) : 1.0f;
    f[kESpread] = p.first >= 0.0 ? static_cast<float>((p.last - p.first) / length) : 0.0f;
    f[kEWords1] = t.parts == 1;
    f[kEWords2] = t.parts == 2;
    f[kEWords3] = t.parts == 3;
    f[kEWords4] = t.parts >= 4;
    f[kEMeanIdf] = idf_sum / static_cast<float>(count) / 10.0f;
    f[kEMinIdf] = idf_min / 10.0f;
    f[kEHeadIdf] = head_idf / 10.0f;
    f[kEUnlisted] = static_cast<float>(unlisted) / static_cast<float>(count);
    const KeyphraseTable::Counts kp =
        st->res.keyphrases != nullptr ? st->res.keyphrases->Get(p.key) : KeyphraseTable::Counts();
    KeyphraseFeatures(kp.kp, kp.df, f);
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
    f[kEGeneralHead] = head_general;
    f[kEGeneralAll] = general == count;
    f[kELogNestedIn] = std::log1p(static_cast<float>(nested_sum[i]));
    f[kENestedShare] = std::min(1.0f, static_cast<float>(nested_max[i]) / std::max(tf, 1.0f));
    f[kEOwnShare] = sub_max[i] > 0 ? std::min(1.0f, tf / static_cast<float>(sub_max[i])) : 1.0f;
    f[kELogRelFreq] = std::log1p(1000.0f * tf / doc_words);
    f[kELogDocWords] = std::log1p(doc_words) / 10.0f;
    f[kETitleWords1] = f[kEInTitle] * f[kEWords1];
    f[kEWords1Freq] = f[kEWords1] * f[kELogFreq];
    PairFeatures(p.lower, fact, st->res.pairs, f);
    f[kEFreqByLength] = f[kELogFreq] * f[kELogDocWords];
    f[kEFirstByLength] = f[kEFirstPos] * f[kELogDocWords];
    f[kETitleByLength] = f[kEInTitle] * f[kELogDocWords];
    f[kEBodyFreqByLength] = f[kELogFreqBody] * f[kELogDocWords];
    const float seen = static_cast<float>(std::max(p.seen, 1));
    f[kECutShare] = static_cast<float>(p.cut) / seen;
    f[kETailShare] = static_cast<float>(p.tail) / seen;
    f[kEAlwaysCut] = p.seen > 0 && p.cut == p.seen;
    if (dump != nullptr) {
      std::fprintf(dump, "%s\t%s", p.key.c_str(), shown.c_str());
      // Exact values: the trees' thresholds fall between the values seen.
      for (float v : f) std::fprintf(dump, "\t%.9g", static_cast<double>(v));
      std::fprintf(dump, "\n");
    }
    if (model != nullptr) {
      std::copy(f, f + kEnglishFeatures, block_features.data() + filled * kEnglishFeatures);
      block[filled++] = i;
      if (filled == kBlock) score_block();
    } else {
      // Without a model: frequency times the mean specificity of the
      // words, raised with the phrase's length and in the title.
      t.total = tf * (idf_sum / static_cast<float>(count)) * (1.0 + 0.25 * (t.parts - 1)) *
                (t.freq[kPosTitle] > 0 ? 3.0 : 1.0);
      t.total = std::max(t.total, kMinEnglishWeight);
    }
    for (int q = 0; q < kPositionCount; ++q) t.weight[q] = static_cast<float>(t.total);
  }
  if (filled > 0) score_block();
  if (dump != nullptr) std::fclose(dump);
  if (model == nullptr) return;
  // The model's own order stands: on the tuning lines, putting a piece
  // below a longer phrase holding it (as the Chinese analysis does) cost
  // F1 on every set of abstracts.
  for (size_t i = 0; i < n; ++i) {
    if (!all[i].keep) continue;
    all[i].total = std::max(kEnglishScale / (1.0 + std::exp(-logit[i])), kMinEnglishWeight);
    for (int q = 0; q < kPositionCount; ++q) all[i].weight[q] = static_cast<float>(all[i].total);
  }
}

// Occurrences of a lower-case word in a lower-cased text.
int CountIn(std::string_view hay, std::string_view needle) {
  if (needle.empty()) return 0;
  int n = 0;
  for (size_t at = hay.find(needle); at != std::string_view::npos; at = hay.find(needle, at + needle.size())) ++n;
  return n;
}

}  // namespace

bool AnalyzeEnglish(const ArticleText& article, const EnglishInfoFn& info, const Resources& res,
                    Analysis* out) {
  out->Clear();
  out->whole_terms = true;
  EnglishState st(res, info, &out->terms);
  size_t bytes = 0;
  for (const std::string& field : article.field) bytes += field.size();
  // Room for the terms and the distinct words of the article at once:
  // growing the tables step by step hashes every key again at each step.
  out->terms.Reserve(bytes / 8 + 16);
  st.evidence.reserve(bytes / 40 + 16);
  {
    const std::string& title = article.field[kPosTitle];
    st.title_case = TitleCaseOf(title, EnglishTokens(title));
  }
  // Reading order: title, abstract, body; the keywords and the journal
  // after them.
  size_t base = 0;
  for (Position pos : {kPosTitle, kPosAbstract, kPosBody, kPosJournal, kPosOther}) {
    const std::string& text = article.field[pos];
    if (!text.empty()) AddText(text, pos, base, nullptr, &st);
    base += text.size() + 1;
  }
  const std::vector<std::string> keywords = SplitKeywords(article.field[kPosKeywords]);
  for (const std::string& kw : keywords) {
    bool whole = false;
    AddText(kw, kPosKeywords, base, &whole, &st);
    const std::string key = NormalizePhrase(kw);
    if (!whole && !key.empty()) {
      Term& t = out->terms.Add(key, kw, kw, 1, kPosKeywords, 0);
      const size_t index = static_cast<size_t>(&t - out->terms.terms().data());
      if (index == st.phrases.size()) {
        PhraseInfo p;
        p.key = key;
        p.lower = LowerAscii(kw);
        p.forms.push_back({kw, 1, false});
        st.phrases.push_back(std::move(p));
      }
    }
    Term* t = out->terms.Find(key);
    if (t != nullptr) t->author_keyword = true;
  }
  WeighEnglish(article, &st);
  // The text the author keywords are counted in, case aside, lower-cased
  // once for all of them.
  std::string text;
  if (!keywords.empty()) {
    for (Position p : {kPosTitle, kPosAbstract, kPosBody}) text += LowerAscii(article.field[p]) + '\n';
  }
  for (const std::string& kw : keywords) {
    AuthorKeyword a;
    // What the author wrote is what the host shows, and what the keyword's
    // frequency is looked up by.
    a.word = kw;
    a.second = kw;
    a.frequency = std::max(CountIn(text, LowerAscii(kw)), 1);
    a.weight = kAuthorKeywordWeight;
    out->keywords.push_back(std::move(a));
  }
  out->abstract_terms = 0;  // the phrases of the abstract come with kind 1
  out->full_text_records = kEnglishFullTextRecords;
  return true;
}

}  // namespace ekvr
