#include "en_terms.h"

#include <cstdlib>

#include "class_scheme.h"
#include "gbk_chars.h"

namespace ekvr {
namespace {

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

bool WordChar(unsigned char c) { return IsAsciiLetter(c) || IsAsciiDigit(c); }

}  // namespace

std::vector<EnglishWord> EnglishWords(std::string_view text) {
  std::vector<EnglishWord> out;
  bool start = true;
  size_t at = 0;
  while (at < text.size()) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (IsAsciiLetter(c)) {
      size_t end = at + 1;
      while (end < text.size()) {
        const auto d = static_cast<unsigned char>(text[end]);
        if (WordChar(d)) {
          ++end;
        } else if ((d == '-' || d == '\'') && end + 1 < text.size() &&
                   WordChar(static_cast<unsigned char>(text[end + 1]))) {
          end += 2;
        } else {
          break;
        }
      }
      out.push_back({static_cast<uint32_t>(at), static_cast<uint32_t>(end), start});
      start = false;
      at = end;
    } else if (c == ' ' || c == '\t') {
      ++at;
    } else {
      // Digits, punctuation, line ends and double-byte characters end a phrase.
      start = true;
      at += CharBytes(text, at);
    }
  }
  return out;
}

WordKind KindFromInfo(std::string_view info) {
  if (info.empty()) return WordKind::kNoun;
  long largest = 0, noun = 0, adjective = 0;
  for (std::string_view rec : SplitView(info, ';')) {
    const auto cols = SplitView(rec, ',');
    if (cols.size() != 3 || cols[1].size() != 1 || cols[2].empty() || cols[2].size() > 9) continue;
    long count = 0;
    for (char ch : cols[2]) {
      if (ch < '0' || ch > '9') {
        count = -1;
        break;
      }
      count = count * 10 + (ch - '0');
    }
    if (count < 0) continue;
    if (count > largest) largest = count;
    if (cols[1][0] == 'n' && count > noun) noun = count;
    if (cols[1][0] == 'a' && count > adjective) adjective = count;
  }
  if (largest == 0) return WordKind::kNoun;
  if (noun * 4 >= largest) return WordKind::kNoun;
  if (adjective * 4 >= largest) return WordKind::kAdjective;
  return WordKind::kOther;
}

std::vector<WordSpan> EnglishCandidates(const std::vector<EnglishWord>& words,
                                        const std::vector<WordKind>& kinds) {
  std::vector<WordSpan> out;
  size_t k = 0;
  while (k < words.size()) {
    if (kinds[k] == WordKind::kOther) {
      ++k;
      continue;
    }
    size_t end = k + 1;
    while (end < words.size() && kinds[end] != WordKind::kOther && !words[end].sentence_start) ++end;
    for (size_t j = k; j < end; ++j) {
      if (kinds[j] != WordKind::kNoun) continue;
      for (size_t i = j + 1; i-- > k && j - i < kMaxPhraseWords;) {
        out.push_back({static_cast<uint32_t>(i), static_cast<uint32_t>(j - i + 1)});
      }
    }
    k = end;
  }
  return out;
}

std::string Singular(std::string_view w) {
  if (w.size() <= 3) return std::string(w);
  if (EndsWith(w, "ies") && w.size() > 4) return std::string(w.substr(0, w.size() - 3)) + "y";
  if (EndsWith(w, "sses") || EndsWith(w, "xes") || EndsWith(w, "ches") || EndsWith(w, "shes") ||
      EndsWith(w, "zes")) {
    return std::string(w.substr(0, w.size() - 2));
  }
  if (EndsWith(w, "ss") || EndsWith(w, "us") || EndsWith(w, "is") || EndsWith(w, "'s")) {
    return std::string(w);
  }
  if (EndsWith(w, "s")) return std::string(w.substr(0, w.size() - 1));
  return std::string(w);
}

std::string NormalizePhrase(std::string_view phrase) {
  const std::string lower = LowerAscii(phrase);
  const size_t space = lower.find_last_of(' ');
  const size_t head = space == std::string::npos ? 0 : space + 1;
  return lower.substr(0, head) + Singular(std::string_view(lower).substr(head));
}

}  // namespace ekvr
