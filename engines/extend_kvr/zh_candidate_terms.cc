#include "zh_candidate_terms.h"

#include <algorithm>

#include "gbk_chars.h"

namespace ekvr {
namespace {

// A compound the idf list does not know is as specific as its words
// together: that lets it outweigh its words, which root-word merging then
// folds into it.
constexpr float kCompoundIdfScale = 1.0f;

// The values of the words of span s, the term's second text written on the
// way when it is new.
void NewTermWords(std::string_view text, const std::vector<Token>& tokens, const TokenTable& values,
                  const Span& s, bool later, Term* t, std::vector<float>* part_idf,
                  std::vector<const WordClassStats*>* part_stats) {
  part_idf->clear();
  part_stats->clear();
  for (uint32_t k = s.first; k < s.first + s.count; ++k) {
    if (tokens[k].tag == tag::kBlank) continue;
    if (!t->second.empty()) t->second += ' ';
    t->second.append(text.substr(tokens[k].begin, tokens[k].end - tokens[k].begin));
    if (later) continue;
    part_idf->push_back(values.idf[k]);
    part_stats->push_back(values.stats[k]);
  }
}

}  // namespace

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

void AddChineseSpans(std::string_view text, const std::vector<Token>& tokens, const TokenTable& values,
                     Position pos, size_t base, const Resources& res, TermSet* terms, bool* whole,
                     std::vector<Span>* spans, std::vector<uint32_t>* pending) {
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
      NewTermWords(text, tokens, values, s, later, &t, &part_idf, &part_stats);
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
      const WordValues v = known != nullptr ? *known : Recall(res, word);
      part_idf.push_back(v.idf);
      part_stats.push_back(v.stats);
    }
    Describe(res, part_idf, part_stats, nullptr, &t);
  }
}

std::string AddKeywordTerm(std::string_view kw, const std::vector<Token>& tokens, size_t base, bool whole,
                           const Resources& res, TermSet* terms) {
  std::vector<std::string_view> parts;
  std::string second;
  for (const Token& t : tokens) {
    if (t.tag == tag::kBlank) continue;
    parts.push_back(kw.substr(t.begin, t.end - t.begin));
    if (!second.empty()) second += ' ';
    second += parts.back();
  }
  if (whole) return second;
  Term& t = terms->Add(kw, kw, second, static_cast<int>(parts.size()), kPosKeywords, base);
  if (t.TotalFrequency() == 1) {
    std::vector<float> part_idf;
    std::vector<const WordClassStats*> part_stats;
    for (std::string_view p : parts) {
      part_idf.push_back(res.idf->Get(std::string(p)));
      part_stats.push_back(res.classifier != nullptr ? res.classifier->Find(LowerAscii(p)) : nullptr);
    }
    Describe(res, part_idf, part_stats, nullptr, &t);
  }
  return second;
}

}  // namespace ekvr
