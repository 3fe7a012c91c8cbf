// Tagging with the English tagger's model: the options of each token, by
// the word, its lower-case form or its shape and last letters, and the
// best path through them.
#include "en_tagger.h"

#include <cmath>
#include <limits>

namespace ekvr {
namespace {

// Shape classes of unknown words: the first byte of a suffix key. The
// generator assigns the rare words of the counts to the same classes
// (data/extend_kvr/gen_en_tagger.py, shape).
constexpr char kLower = 'l';
constexpr char kCapital = 'c';
constexpr char kAllCaps = 'a';  // acronyms and mixed case: SVM, SVMs, mRNA
constexpr char kDigit = 'n';         // letters and digits: mp3, 3D
constexpr char kDigitHyphen = 'd';   // and a hyphen, or no letters: 10-year, 1/2
constexpr char kHyphen = 'h';
constexpr char kSymbol = 's';
constexpr char kForeign = 'x';  // double-byte characters only

// Longest word looked up in lower case; longer words are looked up only as
// written.
constexpr size_t kMaxLowered = 64;
// A known word in capitals may also be an acronym; that reading gets this
// share of the lower-case word's occurrences as if they had been names.
constexpr double kAcronymShare = 0.1;

bool IsUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(unsigned char c) { return c >= 'a' && c <= 'z'; }
bool IsLetter(unsigned char c) { return IsUpper(c) || IsLower(c); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

char ShapeOf(std::string_view word) {
  bool non_ascii = false, digit = false, hyphen = false, lower = false, inner_upper = false;
  size_t letters = 0;
  for (size_t i = 0; i < word.size(); ++i) {
    const auto c = static_cast<unsigned char>(word[i]);
    if (c >= 0x80) non_ascii = true;
    if (IsLetter(c)) ++letters;
    if (IsLower(c)) lower = true;
    if (IsUpper(c) && i > 0) inner_upper = true;
    if (IsDigit(c)) digit = true;
    if (c == '-') hyphen = true;
  }
  if (non_ascii) return letters > 0 ? kLower : kForeign;
  if (letters == 0) return digit ? kDigitHyphen : kSymbol;
  if ((letters >= 2 && !lower) || inner_upper) return kAllCaps;
  if (digit) return hyphen ? kDigitHyphen : kDigit;
  if (IsUpper(static_cast<unsigned char>(word[0]))) return kCapital;
  return hyphen ? kHyphen : kLower;
}

// Digits with inner . or , between digits: 3, 0.5, 1,000.
bool IsNumber(std::string_view t) {
  if (t.empty() || !IsDigit(static_cast<unsigned char>(t.front())) || !IsDigit(static_cast<unsigned char>(t.back()))) {
    return false;
  }
  for (size_t i = 0; i < t.size(); ++i) {
    const auto c = static_cast<unsigned char>(t[i]);
    if (IsDigit(c)) continue;
    if ((c != '.' && c != ',') || !IsDigit(static_cast<unsigned char>(t[i - 1]))) return false;
  }
  return true;
}

// 1st, 2nd, 23rd, 4th.
bool IsOrdinal(std::string_view t) {
  if (t.size() < 3) return false;
  const std::string_view tail = t.substr(t.size() - 2);
  if (tail != "st" && tail != "nd" && tail != "rd" && tail != "th") return false;
  for (size_t i = 0; i + 2 < t.size(); ++i) {
    if (!IsDigit(static_cast<unsigned char>(t[i]))) return false;
  }
  return true;
}

// A word or number, as opposed to punctuation: sentence-initial
// capitalisation applies to the first of them.
bool HasLetterOrDigit(std::string_view t) {
  for (char ch : t) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsLetter(c) || IsDigit(c) || c >= 0x80) return true;
  }
  return false;
}

bool IsAscii(std::string_view t) {
  for (char ch : t) {
    if (static_cast<unsigned char>(ch) >= 0x80) return false;
  }
  return true;
}

// log(exp(a) + exp(b)) without overflow.
float LogAdd(float a, float b) {
  if (a < b) std::swap(a, b);
  return a + std::log1p(std::exp(b - a));
}

}  // namespace

EnglishTagger::Span EnglishTagger::UnknownSpan(std::string_view word, char shape, bool lower) const {
  char key[kMaxSuffix + 1];
  key[0] = shape;
  size_t length = word.size() < max_suffix_ ? word.size() : max_suffix_;
  for (;; --length) {
    const char* tail = word.data() + word.size() - length;
    for (size_t i = 0; i < length; ++i) {
      const char c = tail[i];
      key[1 + i] = lower && IsUpper(static_cast<unsigned char>(c)) ? static_cast<char>(c + 32) : c;
    }
    const std::string_view k(key, 1 + length);
    if (const Span* s = image_ == nullptr ? suffixes_.Find(k) : Checked(mapped_suffixes_.Find(k))) return *s;
    if (length == 0) return Span();
  }
}

void EnglishTagger::Append(Span span, Scratch* scratch) const {
  scratch->options.insert(scratch->options.end(), entries_data_ + span.first,
                          entries_data_ + span.first + span.count);
}

void EnglishTagger::AppendMixed(const Option* a, size_t na, float wa, const Option* b, size_t nb, float wb,
                                Scratch* scratch) const {
  const float la = std::log(wa), lb = std::log(wb);
  for (size_t i = 0; i < na; ++i) {
    float e = a[i].emission + la;
    for (size_t j = 0; j < nb; ++j) {
      if (b[j].tag == a[i].tag) e = LogAdd(e, b[j].emission + lb);
    }
    scratch->options.push_back({a[i].tag, e});
  }
  for (size_t j = 0; j < nb; ++j) {
    bool seen = false;
    for (size_t i = 0; i < na; ++i) seen = seen || a[i].tag == b[j].tag;
    if (!seen) scratch->options.push_back({b[j].tag, b[j].emission + lb});
  }
}

void EnglishTagger::AppendMixed(Span a, float wa, Span b, float wb, Scratch* scratch) const {
  AppendMixed(entries_data_ + a.first, a.count, wa, entries_data_ + b.first, b.count, wb, scratch);
}

void EnglishTagger::AddOptions(std::string_view token, bool initial, Scratch* scratch) const {
  const size_t before = scratch->options.size();
  const Span* exact = FindWord(token);
  if (exact == nullptr && IsNumber(token) && number_.count > 0) exact = &number_;
  if (exact == nullptr && IsOrdinal(token) && ordinal_.count > 0) exact = &ordinal_;

  const bool capital = !token.empty() && IsUpper(static_cast<unsigned char>(token[0]));
  if (exact && !(initial && capital)) {  // most tokens
    Append(*exact, scratch);
    return;
  }
  const char shape = ShapeOf(token);
  const bool caps = shape == kAllCaps && !exact;
  const bool at_start = initial && capital && (shape == kCapital || shape == kAllCaps);

  // The word in lower case: a capital at the start of a sentence or a
  // word in capitals (a heading) says little about the word itself.
  const Span* lower = nullptr;
  char buffer[kMaxLowered];
  if ((at_start || caps) && token.size() <= kMaxLowered && IsAscii(token)) {
    for (size_t i = 0; i < token.size(); ++i) {
      const auto c = static_cast<unsigned char>(token[i]);
      buffer[i] = IsUpper(c) ? static_cast<char>(c + 32) : static_cast<char>(c);
    }
    lower = FindWord(std::string_view(buffer, token.size()));
  }
  if (exact && lower) {
    AppendMixed(*exact, 1.0f, *lower, 1.0f, scratch);
  } else if (exact) {
    Append(*exact, scratch);
  } else if (lower && caps && nnp_ >= 0) {
    // SAME in a heading, or an acronym that is also a word: the lower-case
    // word's readings, and a name read in a share of its occurrences.
    double occurrences = 0.0;
    for (uint32_t i = 0; i < lower->count; ++i) {
      const Option& o = entries_data_[lower->first + i];
      occurrences += std::exp(static_cast<double>(o.emission) + log_count_[o.tag]);
    }
    const Option name{static_cast<uint8_t>(nnp_),
                      static_cast<float>(std::log(kAcronymShare * occurrences) - log_count_[nnp_])};
    AppendMixed(entries_data_ + lower->first, lower->count, 1.0f, &name, 1, 1.0f, scratch);
  } else if (lower) {
    Append(*lower, scratch);
  } else {
    // Unknown. A contraction or possessive reads as its first part
    // (model's, they're, don't -> do).
    const size_t apostrophe = token.find('\'');
    if (apostrophe != std::string_view::npos && apostrophe > 0) {
      std::string_view stem = token.substr(0, apostrophe);
      if (token.substr(apostrophe) == "'t" && stem.size() > 1 && stem.back() == 'n') stem.remove_suffix(1);
      if (const Span* s = FindWord(stem)) {
        Append(*s, scratch);
        return;
      }
    }
    if (at_start && shape == kCapital) {
      // Most sentences start with an ordinary word, some with a name.
      AppendMixed(UnknownSpan(token, kLower, true), 0.5f, UnknownSpan(token, kCapital, false), 0.5f, scratch);
    } else {
      Append(UnknownSpan(token, shape, false), scratch);
    }
  }
  if (scratch->options.size() == before) {
    // A model without a class for this shape: any tag would do, a noun is
    // the likeliest.
    scratch->options.push_back({static_cast<uint8_t>(nnp_ >= 0 ? nnp_ : 0), 0.0f});
  }
}

void EnglishTagger::Tag(const std::vector<std::string_view>& tokens, std::vector<uint8_t>* tags) const {
  Scratch scratch;
  Tag(tokens, tags, &scratch);
}

void EnglishTagger::Tag(const std::vector<std::string_view>& tokens, std::vector<uint8_t>* tags,
                        Scratch* scratch) const {
  tags->clear();
  if (!loaded() || tokens.empty()) return;
  Scratch& s = *scratch;
  s.options.clear();
  s.first.clear();
  bool initial = true;
  for (std::string_view token : tokens) {
    s.first.push_back(static_cast<uint32_t>(s.options.size()));
    AddOptions(token, initial, &s);
    if (initial && HasLetterOrDigit(token)) initial = false;
  }
  s.first.push_back(static_cast<uint32_t>(s.options.size()));
  s.score.resize(s.options.size());
  s.back.resize(s.options.size());

  const size_t n = tokens.size();
  const size_t tags_n = tag_count_;
  for (uint32_t j = s.first[0]; j < s.first[1]; ++j) {
    s.score[j] = start_[s.options[j].tag] + s.options[j].emission;
  }
  for (size_t i = 1; i < n; ++i) {
    const uint32_t prev_first = s.first[i - 1], prev_end = s.first[i];
    float top = -std::numeric_limits<float>::infinity();
    for (uint32_t j = s.first[i]; j < s.first[i + 1]; ++j) {
      const uint8_t tag = s.options[j].tag;
      float best = -std::numeric_limits<float>::infinity();
      uint32_t best_k = prev_first;
      for (uint32_t k = prev_first; k < prev_end; ++k) {
        const float v = s.score[k] + transition_[s.options[k].tag * tags_n + tag];
        if (v > best) {
          best = v;
          best_k = k;
        }
      }
      s.score[j] = best + s.options[j].emission;
      s.back[j] = static_cast<uint8_t>(best_k - prev_first);
      if (s.score[j] > top) top = s.score[j];
    }
    // Scores relative to the best of the token keep their precision over
    // sentences of any length.
    for (uint32_t j = s.first[i]; j < s.first[i + 1]; ++j) s.score[j] -= top;
  }
  uint32_t pick = s.first[n - 1];
  for (uint32_t j = s.first[n - 1]; j < s.first[n]; ++j) {
    if (s.score[j] > s.score[pick]) pick = j;
  }
  tags->resize(n);
  for (size_t i = n; i-- > 0;) {
    (*tags)[i] = s.options[pick].tag;
    if (i > 0) pick = s.first[i - 1] + s.back[pick];
  }
}

}  // namespace ekvr
