// The Chinese analysis of an article: its fields segmented and counted
// into terms, the author keywords added whole, the article classified and
// every term weighed.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "article_terms.h"
#include "zh_candidate_terms.h"
#include "zh_classes.h"
#include "zh_features.h"
#include "zh_weigh.h"
#include "zh_words.h"

namespace ekvr {
namespace {

// With the term model, kind 2 hands over only the best abstract terms:
// Tarnix lifts every abstract candidate to at least the weight of the
// second and third full-text candidates, which puts weak ones too high.
constexpr int kModelAbstractTerms = 10;
// And only the best full-text records: a long article has thousands of
// candidates, most of them hopeless, and Tarnix's work grows with each.
// 200 leaves room for the longer lists some hosts print; the measurements
// behind it are in data/extend_kvr/README.md.
constexpr int kModelFullTextRecords = 200;

using Reading = ChineseBuffers;

void Reserve(const ArticleText& article, Reading* r, Analysis* out) {
  size_t bytes = 0;
  for (const std::string& field : article.field) bytes += field.size();
  // Growing the tables step by step would move every term and hash every
  // key again at each step; tables much larger than needed cost a cache
  // miss on nearly every probe and a fill of their slots per article. A
  // short abstract has a term per 5.5 bytes and a distinct word per 6.3,
  // the 16 KB benchmark article a term per 6.4 and a word per 13.
  out->terms.Reserve(bytes / 5 + 16);
  r->cache.reserve(bytes / 10 + 64);
}

// The candidates of every field but the author keywords.
bool ReadFields(const ArticleText& article, const SegmentFn& segment, const Resources& res, Reading* r,
                Analysis* out) {
  for (int p = 0; p < kPositionCount; ++p) {
    const auto pos = static_cast<Position>(p);
    if (pos == kPosKeywords) continue;
    const std::string& text = article.field[p];
    if (text.empty()) continue;
    r->tokens.clear();
    if (!segment(text, &r->tokens)) return false;
    TokenValues(text, r->tokens, res, &r->cache, &r->values, &r->features);
    AddChineseSpans(text, r->tokens, r->values, pos, 0, res, &out->terms, nullptr, &r->spans,
                    pos == kPosBody ? &r->pending : nullptr);
  }
  return true;
}

// Each author keyword is a term of its own as well as a source of words;
// kw stands at base in the keyword field. Its weight comes later, once
// every term is described.
bool ReadAuthorKeyword(const std::string& kw, size_t base, const ArticleText& article, const SegmentFn& segment,
                       const Resources& res, Reading* r, Analysis* out) {
  r->tokens.clear();
  if (!segment(kw, &r->tokens)) return false;
  TokenValues(kw, r->tokens, res, &r->cache, &r->values, &r->features);
  bool whole = false;
  AddChineseSpans(kw, r->tokens, r->values, kPosKeywords, base, res, &out->terms, &whole, &r->spans, nullptr);
  AuthorKeyword a;
  a.word = kw;
  a.second = AddKeywordTerm(kw, r->tokens, base, whole, res, &out->terms);
  Term* t = out->terms.Find(kw);
  if (t != nullptr) t->author_keyword = true;
  const size_t found = CountOccurrences(article.field[kPosTitle], kw) +
                       CountOccurrences(article.field[kPosAbstract], kw) +
                       CountOccurrences(article.field[kPosBody], kw);
  a.frequency = static_cast<int>(std::max<size_t>(found, 1));
  out->keywords.push_back(std::move(a));
  return true;
}

bool ReadAuthorKeywords(const ArticleText& article, const SegmentFn& segment, const Resources& res, Reading* r,
                        Analysis* out) {
  const std::vector<std::string> keywords = SplitKeywords(article.field[kPosKeywords]);
  const std::string& field = article.field[kPosKeywords];
  size_t offset = 0;
  for (const std::string& kw : keywords) {
    const size_t at = field.find(kw, offset);
    const size_t base = at == std::string::npos ? 0 : at;
    offset = at == std::string::npos ? offset : at + kw.size();
    if (!ReadAuthorKeyword(kw, base, article, segment, res, r, out)) return false;
  }
  return true;
}

// An author keyword's weight is its term's; without a model or a term,
// its occurrences times its idf in the keyword field.
void WeighAuthorKeywords(const Resources& res, Analysis* out) {
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
}

}  // namespace

bool AnalyzeChinese(const ArticleText& article, const SegmentFn& segment, const Resources& res,
                    Analysis* out) {
  out->Clear();
  Reading& r = out->buffers;
  r.Clear();
  Reserve(article, &r, out);
  if (!ReadFields(article, segment, res, &r, out)) return false;
  if (!ReadAuthorKeywords(article, segment, res, &r, out)) return false;
  DescribePending(res, r.pending, r.cache, &out->terms);
  const int top = Classify(res, r.features.stats, out);
  for (Term& t : out->terms.terms()) t.class_code = TermClass(res, t);
  if (res.term_model != nullptr) {
    WeighByModel(res, top, out->classes, article, &out->terms, &r);
    out->abstract_terms = kModelAbstractTerms;
    out->full_text_records = kModelFullTextRecords;
  } else {
    WeighByIdf(&out->terms);
  }
  WeighAuthorKeywords(res, out);
  return true;
}

}  // namespace ekvr
