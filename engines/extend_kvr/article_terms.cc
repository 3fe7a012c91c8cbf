#include "article_terms.h"

#include <algorithm>
#include <map>
#include <unordered_set>

#include "en_terms.h"
#include "gbk_chars.h"

namespace ekvr {
namespace {

// A compound the idf list does not know is as specific as its words
// together: that lets it outweigh its words, which root-word merging then
// folds into it.
constexpr float kCompoundIdfScale = 1.0f;
// A phrase is kept for delivery when it recurs or stands in the title or the
// author keywords; single words always are.
constexpr int kMinCompoundFrequency = 2;

float TermIdf(const IdfTable& idf, const std::string& word, const std::vector<std::string_view>& parts) {
  if (parts.size() <= 1 || idf.Has(word)) return idf.Get(word);
  float sum = 0.0f;
  for (std::string_view p : parts) sum += idf.Get(std::string(p));
  return sum * kCompoundIdfScale;
}

// The class code of the strongest association among the term itself and
// its words, when it reaches the threshold.
std::string TermClass(const Resources& res, const std::string& word,
                      const std::vector<std::string_view>& parts) {
  if (res.classifier == nullptr || res.scheme == nullptr) return std::string();
  const WordClassStats* best = res.classifier->Find(LowerAscii(word));
  if (best == nullptr || best->best_class < 0) best = nullptr;
  for (std::string_view p : parts) {
    if (parts.size() == 1) break;
    const WordClassStats* s = res.classifier->Find(LowerAscii(p));
    if (s != nullptr && s->best_class >= 0 && (best == nullptr || s->chi2 > best->chi2)) best = s;
  }
  if (best == nullptr || best->chi2 < res.chi_threshold) return std::string();
  const std::string& code = res.classifier->class_code(static_cast<size_t>(best->best_class));
  if (res.class_mode == 0) {
    const Discipline* d = res.scheme->FindCode(code);
    return d == nullptr ? std::string() : d->library.front();
  }
  return code;
}

bool HasDoubleByte(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
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

void Classify(const Resources& res, const std::vector<std::string>& features, Analysis* out) {
  if (res.classifier == nullptr || res.scheme == nullptr) return;
  const std::vector<double> post = res.classifier->Posterior(features);
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
}

// Adds the candidates of one segmented text to the term set.
void AddChineseSpans(std::string_view text, const std::vector<Token>& tokens, Position pos,
                     size_t base, const Resources& res, TermSet* terms, bool* whole) {
  std::vector<std::string_view> parts;
  std::string second;
  for (const Span& s : ChineseCandidates(text, tokens)) {
    const Token& first = tokens[s.first];
    const Token& last = tokens[s.first + s.count - 1];
    const std::string word(text.substr(first.begin, last.end - first.begin));
    if (whole != nullptr && first.begin == 0 && last.end == text.size()) *whole = true;
    parts.clear();
    second.clear();
    for (uint32_t k = s.first; k < s.first + s.count; ++k) {
      if (tokens[k].tag == tag::kBlank) continue;
      parts.push_back(text.substr(tokens[k].begin, tokens[k].end - tokens[k].begin));
      if (!second.empty()) second += ' ';
      second += parts.back();
    }
    Term& t = terms->Add(word, word, second, static_cast<int>(parts.size()), pos, base + first.begin);
    if (t.TotalFrequency() == 1) {
      t.idf = TermIdf(*res.idf, word, parts);
      t.class_code = TermClass(res, word, parts);
    }
  }
}

void CollectFeatures(std::string_view text, const std::vector<Token>& tokens,
                     std::unordered_set<std::string>* seen, std::vector<std::string>* features) {
  for (const Token& t : tokens) {
    const std::string_view s = text.substr(t.begin, t.end - t.begin);
    std::string key;
    if (t.tag == tag::kLetters && s.size() >= 2) {
      key = LowerAscii(s);
    } else if (HasDoubleByte(s) && CharCount(s) >= 2) {
      key = std::string(s);
    } else {
      continue;
    }
    if (seen->insert(key).second) features->push_back(std::move(key));
  }
}

}  // namespace

void Analysis::Clear() {
  terms.Clear();
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
  auto share = [](std::string_view s, size_t* high, size_t* all) {
    for (char c : s) {
      if (c == ' ' || c == '\n' || c == '\r' || c == '\t') continue;
      ++*all;
      *high += static_cast<unsigned char>(c) >= 0x80;
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
  std::unordered_set<std::string> seen;
  std::vector<std::string> features;
  const std::vector<std::string> keywords = SplitKeywords(article.field[kPosKeywords]);
  for (int p = 0; p < kPositionCount; ++p) {
    const auto pos = static_cast<Position>(p);
    if (pos == kPosKeywords) continue;
    const std::string& text = article.field[p];
    if (text.empty()) continue;
    tokens.clear();
    if (!segment(text, &tokens)) return false;
    CollectFeatures(text, tokens, &seen, &features);
    AddChineseSpans(text, tokens, pos, 0, res, &out->terms, nullptr);
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
    CollectFeatures(kw, tokens, &seen, &features);
    bool whole = false;
    AddChineseSpans(kw, tokens, kPosKeywords, base, res, &out->terms, &whole);
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
        t.idf = TermIdf(*res.idf, kw, parts);
        t.class_code = TermClass(res, kw, parts);
      }
    }
    const Term* t = out->terms.Find(kw);
    AuthorKeyword a;
    a.word = kw;
    a.second = second;
    a.class_code = t != nullptr ? t->class_code : std::string();
    const size_t found = CountOccurrences(article.field[kPosTitle], kw) +
                         CountOccurrences(article.field[kPosAbstract], kw) +
                         CountOccurrences(article.field[kPosBody], kw);
    a.frequency = static_cast<int>(std::max<size_t>(found, 1));
    a.weight = static_cast<float>(a.frequency + 1) * (t != nullptr ? t->idf : res.idf->median()) *
               PositionFactor(kPosKeywords);
    out->keywords.push_back(std::move(a));
  }
  Weigh(&out->terms);
  Classify(res, features, out);
  return true;
}

bool AnalyzeEnglish(const ArticleText& article, const EnglishInfoFn& info, const Resources& res,
                    Analysis* out) {
  out->Clear();
  std::map<std::string, WordKind> kinds_seen;
  std::vector<WordKind> kinds;
  auto add_text = [&](std::string_view text, Position pos, size_t base, bool* whole) {
    const std::vector<EnglishWord> words = EnglishWords(text);
    kinds.clear();
    for (const EnglishWord& w : words) {
      const std::string lower = LowerAscii(text.substr(w.begin, w.end - w.begin));
      auto it = kinds_seen.find(lower);
      if (it == kinds_seen.end()) it = kinds_seen.emplace(lower, KindFromInfo(info(lower))).first;
      kinds.push_back(it->second);
    }
    std::string phrase;
    for (const WordSpan& s : EnglishCandidates(words, kinds)) {
      phrase.clear();
      for (uint32_t k = s.first; k < s.first + s.count; ++k) {
        if (!phrase.empty()) phrase += ' ';
        phrase.append(text.substr(words[k].begin, words[k].end - words[k].begin));
      }
      if (whole != nullptr && words[s.first].begin == 0 && words[s.first + s.count - 1].end == text.size()) {
        *whole = true;
      }
      const std::string key = NormalizePhrase(phrase);
      Term& t = out->terms.Add(key, phrase, key, static_cast<int>(s.count), pos, base + words[s.first].begin);
      if (t.TotalFrequency() == 1) {
        // A phrase weighs the mean specificity of its words, raised with
        // its length: longer noun phrases name the subject more exactly.
        float sum = 0.0f;
        for (std::string_view part : SplitView(key, ' ')) sum += res.idf->Get(Singular(part));
        t.idf = sum / static_cast<float>(s.count) * (1.0f + 0.25f * static_cast<float>(s.count - 1));
      }
    }
  };
  for (int p = 0; p < kPositionCount; ++p) {
    if (p == kPosKeywords || article.field[p].empty()) continue;
    add_text(article.field[p], static_cast<Position>(p), 0, nullptr);
  }
  for (const std::string& kw : SplitKeywords(article.field[kPosKeywords])) {
    bool whole = false;
    add_text(kw, kPosKeywords, 0, &whole);
    const std::string key = NormalizePhrase(kw);
    if (!whole) {
      Term& t = out->terms.Add(key, kw, key, 1, kPosKeywords, 0);
      if (t.TotalFrequency() == 1) t.idf = res.idf->Get(key);
    }
    const Term* t = out->terms.Find(key);
    AuthorKeyword a;
    a.word = kw;
    a.second = key;
    a.frequency = static_cast<int>(std::max<size_t>(
        CountOccurrences(LowerAscii(article.field[kPosTitle]), LowerAscii(kw)) +
            CountOccurrences(LowerAscii(article.field[kPosAbstract]), LowerAscii(kw)) +
            CountOccurrences(LowerAscii(article.field[kPosBody]), LowerAscii(kw)),
        1));
    a.weight = static_cast<float>(a.frequency + 1) * (t != nullptr ? t->idf : res.idf->median()) *
               PositionFactor(kPosKeywords);
    out->keywords.push_back(std::move(a));
  }
  Weigh(&out->terms);
  return true;
}

}  // namespace ekvr
