#include "article_terms.h"

#include <algorithm>

#include "gbk_chars.h"

namespace ekvr {

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

}  // namespace ekvr
