#include "zh_nesting.h"

#include <string>
#include <string_view>

namespace ekvr {
namespace {

// Where each word begins in the term's text, and whether the words make up
// that text with nothing between them (no blank, as in every Chinese
// compound): then a piece is a stretch of the text and needs no copy.
bool WordStarts(std::string_view word, const std::vector<std::string_view>& parts, std::vector<size_t>* starts) {
  bool adjacent = true;
  starts->clear();
  for (size_t b = 0, at = 0; b < parts.size(); at += parts[b].size(), ++b) {
    starts->push_back(at);
    adjacent = adjacent && word.compare(at, parts[b].size(), parts[b]) == 0;
    if (b + 1 == parts.size()) adjacent = adjacent && at + parts[b].size() == word.size();
  }
  return adjacent;
}

}  // namespace

Nesting NestChineseTerms(TermSet* terms, const std::vector<int>& total) {
  Nesting nesting(0);
  NestChineseTerms(terms, total, &nesting);
  return nesting;
}

void NestChineseTerms(TermSet* terms, const std::vector<int>& total, Nesting* out) {
  auto& all = terms->terms();
  const size_t n = all.size();
  Nesting& nesting = *out;
  nesting.Reset(n);
  std::string piece;
  std::vector<std::string_view> parts;
  std::vector<size_t> starts;
  for (size_t u = 0; u < n; ++u) {
    if (all[u].parts < 2) continue;  // no pieces, and its texts need not be read
    SplitWords(all[u].second, &parts);
    if (parts.size() < 2) continue;
    const std::string_view word = all[u].word;
    const bool adjacent = WordStarts(word, parts, &starts);
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
        nesting.Add(i, u, total[i], total[u]);
      }
    }
  }
}

}  // namespace ekvr
