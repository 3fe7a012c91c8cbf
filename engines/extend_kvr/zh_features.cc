#include "zh_features.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "gbk_chars.h"

namespace ekvr {
namespace {

size_t CountIn(const BytePairs& pairs, std::string_view text, std::string_view word) {
  return pairs.MayContain(word) ? CountOccurrences(text, word) : 0;
}

// Characters, and whether any byte (trail bytes too) is an ASCII letter,
// in one pass.
size_t CharactersAndLetters(std::string_view w, bool* letters) {
  size_t len = 0;
  *letters = false;
  for (size_t at = 0; at < w.size(); ++len) {
    const size_t n = CharBytes(w, at);
    *letters = *letters || IsAsciiLetter(static_cast<unsigned char>(w[at])) ||
               (n == 2 && IsAsciiLetter(static_cast<unsigned char>(w[at + 1])));
    at += n;
  }
  return len;
}

}  // namespace

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

CharStarts::CharStarts(std::string_view text) : text_(text) {
  std::vector<uint64_t> found;
  found.reserve(text.size());
  for (size_t at = 0; at < text.size(); at += CharBytes(text, at)) {
    found.push_back(uint64_t{Key(text, at)} << 32 | at);
  }
  // Ascending: the starts come in ascending offsets, so two stable passes
  // over the key's bytes, low then high, leave them in key order and in
  // offset order within a key, as a sort of the whole values would; at a
  // fraction of its comparisons, for every article's abstract.
  starts_.resize(found.size());
  size_t low[257] = {}, high[257] = {};
  for (uint64_t v : found) {
    ++low[(v >> 32 & 0xFF) + 1];
    ++high[(v >> 40 & 0xFF) + 1];
  }
  for (size_t b = 1; b < 257; ++b) {
    low[b] += low[b - 1];
    high[b] += high[b - 1];
  }
  for (uint64_t v : found) starts_[low[v >> 32 & 0xFF]++] = v;
  for (uint64_t v : starts_) found[high[v >> 40 & 0xFF]++] = v;
  starts_.swap(found);
}

size_t CharStarts::Count(std::string_view word) const {
  // A one-byte word's starts are spread over 256 keys.
  if (word.size() < 2) return CountOccurrences(text_, word);
  const uint64_t key = Key(word, 0);
  size_t n = 0;
  size_t next = 0;  // occurrences do not overlap
  for (auto it = std::lower_bound(starts_.begin(), starts_.end(), key << 32); it != starts_.end() && *it >> 32 == key;
       ++it) {
    const auto at = static_cast<size_t>(*it & 0xFFFFFFFFu);
    if (at >= next && text_.compare(at, word.size(), word) == 0) {
      ++n;
      next = at + word.size();
    }
  }
  return n;
}

void TermFeatures(const FeatureContext& context, const Term& t, NestCounts nest, float* f) {
  std::fill(f, f + kTermFeatures, 0.0f);
  const float own = t.own_idf;
  bool letters = false;
  const size_t len = CharactersAndLetters(t.word, &letters);
  const std::string& abstract = context.article.field[kPosAbstract];
  const std::string& title = context.article.field[kPosTitle];
  const std::string& top_code = context.top_code;
  const WordClassStats* st = t.own_stats;
  const size_t text_count = context.abstract_pairs.MayContain(t.word) ? context.abstract_starts.Count(t.word) : 0;
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
  f[kFLogNestedIn] = Log1pCount(nest.sum);
  f[kFTitleShare] = t.freq[kPosTitle] > 0 && !title.empty()
                        ? static_cast<float>(t.word.size()) / static_cast<float>(title.size())
                        : 0.0f;
  f[kFUnknownToModel] = st == nullptr;
  f[kFNestedShare] = std::min(1.0f, static_cast<float>(nest.max) / tf);
  f[kFOwnShare] = nest.sub_max > 0 ? std::min(1.0f, tf / static_cast<float>(nest.sub_max)) : 1.0f;
  f[kFGeneralWord] = t.parts == 1 && own < 5.0f;
  f[kFCommonWord] = t.parts == 1 && own >= 5.0f && own < 7.0f;
  f[kFPlainWord] = t.parts == 1 && own >= 7.0f && own < 9.0f;
  f[kFGeneralPart] = t.parts > 1 && t.part_idf_min < 5.0f;
  f[kFCommonPart] = t.parts > 1 && t.part_idf_min >= 5.0f && t.part_idf_min < 7.0f;
  f[kFWholeTitleRun] = t.title_whole;
  f[kFLogWholeRuns] = Log1pCount(t.abs_whole);
  f[kFLogTextCount] = Log1pCount(static_cast<int>(std::min<size_t>(text_count, INT_MAX)));
  f[kFTextInTitle] = CountIn(context.title_pairs, title, t.word) > 0;
  f[kFTextMoreOften] = text_count > static_cast<size_t>(t.freq[kPosAbstract]);
  for (int c = 0; c < kTermFeatures - kFCrosses; ++c) {
    f[kFCrosses + c] = f[kFeatureCrosses[c][0]] * f[kFeatureCrosses[c][1]];
  }
}

}  // namespace ekvr
