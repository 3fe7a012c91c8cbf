#include "en_tagger.h"

#include <cmath>
#include <limits>

#include "table_file.h"

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

// Longest suffix key and longest word looked up in lower case; longer words
// are looked up only as written.
constexpr size_t kMaxSuffix = 15;
constexpr size_t kMaxLowered = 64;
// The options of a word line, and of a token (two lines mixed): Viterbi
// keeps its back pointers in a byte.
constexpr size_t kMaxLineOptions = 64;
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

// Numbers of the model: an optional minus, digits, optionally a point and
// digits. Parsed here rather than by strtod: tens of thousands of them, and
// no locale may change their meaning.
bool ParseNumber(std::string_view s, double* out) {
  if (s.empty() || s.size() > 24) return false;
  size_t i = 0;
  const bool negative = s[0] == '-';
  if (negative) ++i;
  double value = 0.0;
  size_t digits = 0;
  for (; i < s.size() && IsDigit(static_cast<unsigned char>(s[i])); ++i, ++digits) {
    value = value * 10.0 + (s[i] - '0');
  }
  if (i < s.size() && s[i] == '.') {
    ++i;
    double scale = 0.1;
    size_t fraction = 0;
    for (; i < s.size() && IsDigit(static_cast<unsigned char>(s[i])); ++i, ++fraction, scale *= 0.1) {
      value += (s[i] - '0') * scale;
    }
    if (fraction == 0) return false;
  }
  if (digits == 0 || i != s.size()) return false;
  *out = negative ? -value : value;
  return true;
}

// Splits at single blanks; false when a field is empty.
bool Fields(std::string_view line, std::vector<std::string_view>* out) {
  out->clear();
  size_t from = 0;
  while (true) {
    const size_t at = line.find(' ', from);
    const std::string_view field = line.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from);
    if (field.empty()) return false;
    out->push_back(field);
    if (at == std::string_view::npos) return true;
    from = at + 1;
  }
}

// log(exp(a) + exp(b)) without overflow.
float LogAdd(float a, float b) {
  if (a < b) std::swap(a, b);
  return a + std::log1p(std::exp(b - a));
}

}  // namespace

WordClass ClassOfTagName(std::string_view name) {
  struct Entry {
    const char* name;
    WordClass cls;
  };
  static constexpr Entry kTable[] = {
      {"nn", WordClass::kNoun},          {"nns", WordClass::kNoun},
      {"nnp", WordClass::kProperNoun},   {"nnps", WordClass::kProperNoun},
      {"jj", WordClass::kAdjective},     {"jjr", WordClass::kAdjective},
      {"jjs", WordClass::kAdjective},    {"vb", WordClass::kVerb},
      {"vbd", WordClass::kVerb},         {"vbp", WordClass::kVerb},
      {"vbz", WordClass::kVerb},         {"md", WordClass::kVerb},
      {"vbg", WordClass::kGerund},       {"vbn", WordClass::kParticiple},
      {"rb", WordClass::kAdverb},        {"rbr", WordClass::kAdverb},
      {"rbs", WordClass::kAdverb},       {"rp", WordClass::kAdverb},
      {"wrb", WordClass::kAdverb},       {"det", WordClass::kDeterminer},
      {"dt", WordClass::kDeterminer},    {"pdt", WordClass::kDeterminer},
      {"wdt", WordClass::kDeterminer},   {"ex", WordClass::kDeterminer},
      {"prp", WordClass::kPronoun},      {"prps", WordClass::kPronoun},
      {"wp", WordClass::kPronoun},       {"wps", WordClass::kPronoun},
      {"in", WordClass::kPreposition},   {"to", WordClass::kPreposition},
      {"cc", WordClass::kConjunction},   {"cd", WordClass::kNumber},
      {"pp", WordClass::kPunctuation},   {"ppc", WordClass::kPunctuation},
      {"pps", WordClass::kPunctuation},  {"ppl", WordClass::kPunctuation},
      {"ppr", WordClass::kPunctuation},  {"ppd", WordClass::kPunctuation},
      {"lrb", WordClass::kPunctuation},  {"rrb", WordClass::kPunctuation},
      {"sym", WordClass::kPunctuation},
  };
  for (const Entry& e : kTable) {
    if (name == e.name) return e.cls;
  }
  return WordClass::kOther;
}

void EnglishTagger::Clear() {
  tag_names_.clear();
  classes_.clear();
  tag_count_ = 0;
  start_.clear();
  transition_.clear();
  log_count_.clear();
  entries_.clear();
  words_.clear();
  suffixes_.clear();
  number_ = ordinal_ = Span();
  nnp_ = -1;
  max_suffix_ = 0;
}

int EnglishTagger::TagIndex(std::string_view name) const {
  for (size_t i = 0; i < tag_names_.size(); ++i) {
    if (tag_names_[i] == name) return static_cast<int>(i);
  }
  return -1;
}

bool EnglishTagger::Load(const std::string& path, std::string* error) {
  if (LoadTable(path, this, error)) return true;
  Clear();  // Parse clears on its own failures, not on a file it never saw
  return false;
}

bool EnglishTagger::Parse(std::string_view text, std::string* error) {
  Clear();
  // Sections in their order; each must be complete before the next.
  enum Stage { kHeader, kTags, kCounts, kStart, kFrom, kWordsHeader, kWords, kSuffixesHeader, kSuffixes, kEnd, kDone };
  Stage stage = kHeader;
  size_t expected = 0;  // lines left in the current section
  size_t line_no = 0;
  std::vector<std::string_view> fields;
  std::string problem;

  // "tag:logp tag:logp ..." after the tab of a word or suffix line.
  auto parse_options = [&](std::string_view list, Span* span) -> bool {
    span->first = static_cast<uint32_t>(entries_.size());
    if (!Fields(list, &fields) || fields.size() > kMaxLineOptions) {
      problem = "bad option list";
      return false;
    }
    for (std::string_view f : fields) {
      const size_t colon = f.find(':');
      double tag = 0.0, logp = 0.0;
      if (colon == std::string_view::npos || !ParseNumber(f.substr(0, colon), &tag) ||
          !ParseNumber(f.substr(colon + 1), &logp)) {
        problem = "bad number";
        return false;
      }
      if (tag != std::floor(tag) || tag < 0.0 || tag >= static_cast<double>(tag_count_)) {
        problem = "unknown tag index";
        return false;
      }
      if (logp < -100.0 || logp > 100.0) {
        problem = "log probability out of range";
        return false;
      }
      const auto t = static_cast<uint8_t>(tag);
      for (size_t i = span->first; i < entries_.size(); ++i) {
        if (entries_[i].tag == t) {
          problem = "tag listed twice";
          return false;
        }
      }
      entries_.push_back({t, static_cast<float>(logp)});
    }
    span->count = static_cast<uint32_t>(entries_.size() - span->first);
    return true;
  };
  // A row of tag_count_ log probabilities.
  auto parse_row = [&](size_t from, std::vector<float>* out) -> bool {
    if (fields.size() != from + tag_count_) {
      problem = "needs one number per tag";
      return false;
    }
    for (size_t i = from; i < fields.size(); ++i) {
      double v = 0.0;
      if (!ParseNumber(fields[i], &v) || v < -100.0 || v > 100.0) {
        problem = "bad number";
        return false;
      }
      out->push_back(static_cast<float>(v));
    }
    return true;
  };
  auto count_line = [&](std::string_view line, const char* keyword, size_t limit) -> bool {
    double v = 0.0;
    if (!Fields(line, &fields) || fields.size() != 2 || fields[0] != keyword || !ParseNumber(fields[1], &v) ||
        v != std::floor(v) || v < 0.0 || v > static_cast<double>(limit)) {
      problem = std::string("expected \"") + keyword + " N\"";
      return false;
    }
    expected = static_cast<size_t>(v);
    return true;
  };

  size_t at = 0;
  bool ok = true;
  while (ok && at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (stage == kHeader && (line.empty() || line.front() == '#')) continue;
    switch (stage) {
      case kHeader:
        ok = line == "en-tagger 1";
        if (!ok) problem = "expected \"en-tagger 1\"";
        stage = kTags;
        break;
      case kTags: {
        double n = 0.0;
        ok = Fields(line, &fields) && fields.size() >= 2 && fields[0] == "tags" && ParseNumber(fields[1], &n) &&
             n >= 1.0 && n <= 255.0 && n == std::floor(n) && fields.size() == 2 + static_cast<size_t>(n);
        if (!ok) {
          problem = "expected \"tags N name...\"";
          break;
        }
        tag_count_ = static_cast<size_t>(n);
        for (size_t i = 2; i < fields.size(); ++i) {
          for (const std::string& earlier : tag_names_) {
            if (earlier == fields[i]) ok = false;
          }
          tag_names_.emplace_back(fields[i]);
          classes_.push_back(ClassOfTagName(fields[i]));
        }
        if (!ok) problem = "a tag named twice";
        stage = kCounts;
        break;
      }
      case kCounts:
        ok = Fields(line, &fields) && fields[0] == "counts" && fields.size() == 1 + tag_count_;
        for (size_t i = 1; ok && i < fields.size(); ++i) {
          double c = 0.0;
          ok = ParseNumber(fields[i], &c) && c >= 1.0 && c < 1e15;
          log_count_.push_back(static_cast<float>(std::log(c)));
        }
        if (!ok) problem = "expected \"counts\" and a count of at least 1 per tag";
        stage = kStart;
        break;
      case kStart:
        ok = Fields(line, &fields) && fields[0] == "start" && parse_row(1, &start_);
        if (!ok && problem.empty()) problem = "expected \"start\" and a number per tag";
        stage = kFrom;
        expected = tag_count_;
        break;
      case kFrom:
        ok = Fields(line, &fields) && fields.size() >= 2 && fields[0] == "from" &&
             fields[1] == tag_names_[tag_count_ - expected] && parse_row(2, &transition_);
        if (!ok && problem.empty()) problem = "expected \"from " + tag_names_[tag_count_ - expected] + "\" and a number per tag";
        if (--expected == 0) stage = kWordsHeader;
        break;
      case kWordsHeader:
        ok = count_line(line, "words", 10000000);
        stage = expected > 0 ? kWords : kSuffixesHeader;
        words_.reserve(expected);
        // About ten bytes a word or suffix option: one allocation, not a
        // copy of everything read so far at each doubling.
        entries_.reserve(text.size() / 10);
        break;
      case kWords:
      case kSuffixes: {
        const size_t tab = line.find('\t');
        Span span;
        ok = tab != std::string_view::npos && tab > 0;
        if (!ok) {
          problem = "expected \"key<TAB>tag:logp ...\"";
          break;
        }
        const std::string_view key = line.substr(0, tab);
        if (stage == kSuffixes && key.size() > kMaxSuffix + 1) {
          ok = false;
          problem = "suffix too long";
          break;
        }
        ok = parse_options(line.substr(tab + 1), &span);
        if (!ok) break;
        auto& table = stage == kWords ? words_ : suffixes_;
        if (!table.Insert(key, span).second) {
          ok = false;
          problem = "key listed twice";
          break;
        }
        if (stage == kSuffixes && key.size() - 1 > max_suffix_) max_suffix_ = key.size() - 1;
        if (--expected == 0) stage = stage == kWords ? kSuffixesHeader : kEnd;
        break;
      }
      case kSuffixesHeader:
        ok = count_line(line, "suffixes", 10000000);
        stage = expected > 0 ? kSuffixes : kEnd;
        suffixes_.reserve(expected);
        break;
      case kEnd:
        ok = line == "end";
        if (!ok) problem = "expected \"end\"";
        stage = kDone;
        break;
      case kDone:
        ok = line.empty();
        if (!ok) problem = "text after \"end\"";
        break;
    }
  }
  if (ok && stage != kDone) {
    ok = false;
    problem = "the model ends early (truncated?)";
    ++line_no;
  }
  if (!ok) {
    *error = "English tagger model line " + std::to_string(line_no) + ": " + problem;
    Clear();
    return false;
  }
  nnp_ = TagIndex("nnp");
  const Span* w = words_.Find("*NUM*");
  if (w) number_ = *w;
  w = words_.Find("*ORD*");
  if (w) ordinal_ = *w;
  return true;
}

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
    if (const Span* s = suffixes_.Find(std::string_view(key, 1 + length))) return *s;
    if (length == 0) return Span();
  }
}

void EnglishTagger::Append(Span span, Scratch* scratch) const {
  scratch->options.insert(scratch->options.end(), entries_.begin() + span.first,
                          entries_.begin() + span.first + span.count);
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
  AppendMixed(entries_.data() + a.first, a.count, wa, entries_.data() + b.first, b.count, wb, scratch);
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
      const Option& o = entries_[lower->first + i];
      occurrences += std::exp(static_cast<double>(o.emission) + log_count_[o.tag]);
    }
    const Option name{static_cast<uint8_t>(nnp_),
                      static_cast<float>(std::log(kAcronymShare * occurrences) - log_count_[nnp_])};
    AppendMixed(entries_.data() + lower->first, lower->count, 1.0f, &name, 1, 1.0f, scratch);
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
