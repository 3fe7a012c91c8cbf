#include "en_terms.h"

#include "gbk_chars.h"
#include "table_file.h"

namespace ekvr {
namespace {

bool WordChar(unsigned char c) { return IsAsciiLetter(c) || IsAsciiDigit(c); }
bool IsUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(unsigned char c) { return c >= 'a' && c <= 'z'; }
bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// The end of the word that starts at `at`: letters and digits, joined by
// single inner hyphens and apostrophes ("state-of-the-art", "k-means",
// "don't"), but a possessive "'s" is left to stand as a token of its own.
size_t WordEnd(std::string_view text, size_t at) {
  size_t end = at + 1;
  while (end < text.size()) {
    const auto d = static_cast<unsigned char>(text[end]);
    if (WordChar(d)) {
      ++end;
      continue;
    }
    if ((d == '-' || d == '\'') && end + 1 < text.size() &&
        WordChar(static_cast<unsigned char>(text[end + 1]))) {
      const bool possessive = d == '\'' && (text[end + 1] == 's' || text[end + 1] == 'S') &&
                              (end + 2 >= text.size() || !WordChar(static_cast<unsigned char>(text[end + 2])));
      if (possessive) break;
      end += 2;
      continue;
    }
    break;
  }
  return end;
}

bool NounLike(WordClass c) { return c == WordClass::kNoun || c == WordClass::kProperNoun; }

// -ing words that introduce or report rather than name an activity: after
// a noun they start a clause ("machines using squashing", "methods
// including ...") and alone they are no subject.
bool VerbLikeIng(std::string_view w) {
  static constexpr std::string_view kWords[] = {
      "according", "allowing",  "assuming",  "being",     "concerning", "considering", "corresponding",
      "doing",     "enabling",  "following", "giving",    "having",     "including",   "involving",
      "leading",   "making",    "providing", "regarding", "requiring",  "resulting",   "showing",
      "taking",    "using",     "yielding",  "getting",   "achieving",  "depending",   "existing"};
  if (w.size() < 5 || w.size() > 13) return false;
  char lower[16];
  for (size_t i = 0; i < w.size(); ++i) lower[i] = static_cast<char>(w[i] | 0x20);
  const std::string_view l(lower, w.size());
  for (std::string_view v : kWords) {
    if (v == l) return true;
  }
  return false;
}

// Classes a word of a noun phrase may have.
bool InPhrase(WordClass c) {
  return NounLike(c) || c == WordClass::kAdjective || c == WordClass::kParticiple || c == WordClass::kGerund;
}

// The end of a web or mail address that starts at `at`, or `at` when
// none does: an address is no phrase of the article ("http", "www", a host
// name), so it is skipped whole.
size_t AddressEnd(std::string_view text, size_t at) {
  auto starts = [&](std::string_view p) {
    if (text.size() - at < p.size()) return false;
    for (size_t i = 0; i < p.size(); ++i) {
      if ((text[at + i] | 0x20) != p[i]) return false;
    }
    return true;
  };
  size_t end = at;
  if (starts("http://") || starts("https://") || starts("ftp://") || starts("www.")) {
    end = at + 4;
  } else {
    // user@host.domain: letters, digits, . _ - then @
    size_t k = at;
    while (k < text.size() && (WordChar(static_cast<unsigned char>(text[k])) || text[k] == '.' ||
                               text[k] == '_' || text[k] == '-')) {
      ++k;
    }
    if (k == at || k + 1 >= text.size() || text[k] != '@' ||
        !WordChar(static_cast<unsigned char>(text[k + 1]))) {
      return at;
    }
    end = k + 1;
  }
  while (end < text.size()) {
    const auto c = static_cast<unsigned char>(text[end]);
    if (c <= ' ' || c >= 0x80 || c == '"' || c == '<' || c == '>' || c == ')' || c == ']') break;
    ++end;
  }
  // A sentence's full stop after an address is not part of it.
  while (end > at && (text[end - 1] == '.' || text[end - 1] == ',' || text[end - 1] == ';')) --end;
  return end;
}

}  // namespace

std::vector<EnglishToken> EnglishTokens(std::string_view text) {
  std::vector<EnglishToken> out;
  out.reserve(text.size() / 5 + 1);
  bool start = true;     // the next token begins a sentence
  bool closing = false;  // . ! or ? seen: a blank and no lower-case word next end the sentence
  int newlines = 0;      // line ends in the blanks since the last token
  size_t at = 0;
  auto push = [&](size_t b, size_t e, EnglishToken::Kind kind) {
    if (closing && newlines == 0 && kind == EnglishToken::kWord && IsLower(static_cast<unsigned char>(text[b]))) {
      start = false;  // "e.g. the", "et al. show": no new sentence
    } else if (closing || newlines >= 2) {
      start = true;
    }
    out.push_back({static_cast<uint32_t>(b), static_cast<uint32_t>(e), kind, start});
    start = false;
    closing = false;
    newlines = 0;
  };
  while (at < text.size()) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c == '\n') {
      ++newlines;
      ++at;
    } else if (IsBlank(c)) {
      ++at;
    } else if (IsAsciiLetter(c)) {
      const size_t address = AddressEnd(text, at);
      const size_t end = address > at ? address : WordEnd(text, at);
      if (address == at) push(at, end, EnglishToken::kWord);
      at = end;
    } else if (IsAsciiDigit(c)) {
      size_t end = at + 1;
      while (end < text.size()) {
        const auto d = static_cast<unsigned char>(text[end]);
        if (IsAsciiDigit(d) || ((d == '.' || d == ',') && end + 1 < text.size() &&
                                IsAsciiDigit(static_cast<unsigned char>(text[end + 1])))) {
          ++end;
        } else {
          break;
        }
      }
      // Digits that run into letters make a word: 3D, 5G, 2nd.
      if (end < text.size() && IsAsciiLetter(static_cast<unsigned char>(text[end]))) {
        end = WordEnd(text, at);
        push(at, end, EnglishToken::kWord);
      } else {
        push(at, end, EnglishToken::kNumber);
      }
      at = end;
    } else if (c == '\'' && at + 1 < text.size() && (text[at + 1] == 's' || text[at + 1] == 'S') &&
               (at + 2 >= text.size() || !WordChar(static_cast<unsigned char>(text[at + 2])))) {
      push(at, at + 2, EnglishToken::kPunct);
      at += 2;
    } else if (c < 0x80) {
      push(at, at + 1, EnglishToken::kPunct);
      closing = c == '.' || c == '!' || c == '?';
      ++at;
    } else {
      const size_t n = CharBytes(text, at);
      push(at, at + n, EnglishToken::kForeign);
      // Chinese text between English words breaks every sentence.
      start = true;
      at += n;
    }
  }
  return out;
}

std::vector<TokenRange> Sentences(const std::vector<EnglishToken>& tokens, uint32_t max_tokens) {
  std::vector<TokenRange> out;
  if (max_tokens == 0) max_tokens = 1;
  uint32_t first = 0;
  for (uint32_t k = 1; k <= tokens.size(); ++k) {
    if (k == tokens.size() || tokens[k].sentence_start || k - first >= max_tokens) {
      if (k > first) out.push_back({first, k});
      first = k;
    }
  }
  return out;
}

WordClass ClassFromInfo(std::string_view info) {
  if (info.empty()) return WordClass::kNoun;
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
  if (largest == 0) return WordClass::kNoun;
  if (noun * 4 >= largest) return WordClass::kNoun;
  if (adjective * 4 >= largest) return WordClass::kAdjective;
  return WordClass::kVerb;
}

void EnglishCandidates(std::string_view text, const std::vector<EnglishToken>& tokens,
                       const std::vector<WordClass>& classes, std::vector<WordSpan>* out) {
  out->clear();
  const size_t n = tokens.size() < classes.size() ? tokens.size() : classes.size();
  auto word = [&](size_t j) { return text.substr(tokens[j].begin, tokens[j].end - tokens[j].begin); };
  // An activity named on its own: nothing it governs follows, and it is
  // no progressive form ("is increasing", "rapidly growing").
  auto lone_gerund = [&](size_t j) {
    if (j > 0 && (classes[j - 1] == WordClass::kVerb || classes[j - 1] == WordClass::kAdverb)) return false;
    if (j + 1 >= n || tokens[j + 1].sentence_start || tokens[j + 1].kind != EnglishToken::kWord) return true;
    const WordClass next = classes[j + 1];
    return !(InPhrase(next) || next == WordClass::kDeterminer || next == WordClass::kPronoun ||
             next == WordClass::kNumber);
  };
  // Clause-opening -ing words end a run as a verb would.
  auto in_run = [&](size_t j) {
    return tokens[j].kind == EnglishToken::kWord && InPhrase(classes[j]) &&
           !(classes[j] == WordClass::kGerund && VerbLikeIng(word(j)));
  };
  size_t k = 0;
  while (k < n) {
    if (!in_run(k)) {
      ++k;
      continue;
    }
    size_t end = k + 1;
    while (end < n && in_run(end) && !tokens[end].sentence_start) ++end;
    for (size_t j = k; j < end; ++j) {
      const bool gerund = classes[j] == WordClass::kGerund;
      const bool after_noun = j > k && NounLike(classes[j - 1]);
      const bool head = NounLike(classes[j]) || (gerund && (after_noun || (j + 1 == end && lone_gerund(j))));
      if (!head) continue;
      const size_t least = j + 1 >= kMaxPhraseWords + k ? j + 1 - kMaxPhraseWords : k;
      for (size_t i = j + 1; i-- > least;) {
        if (gerund && i == j && !lone_gerund(j)) continue;  // a gerund with an object is a verb
        if (i == j && tokens[j].end - tokens[j].begin < 2) continue;  // a lone letter
        out->push_back({static_cast<uint32_t>(i), static_cast<uint32_t>(j - i + 1)});
      }
    }
    k = end;
  }
}

// How a word's singular differs from it: the letters to drop from its end
// and the letter to put in their place (0 for none).
struct SingularEdit {
  size_t drop;
  char add;
};
SingularEdit SingularOf(std::string_view w) {
  // The rules by their last letters, read back to front: every phrase's
  // last word passes here.
  const size_t n = w.size();
  if (n <= 3 || w[n - 1] != 's') return {0, 0};
  const char b = w[n - 2];
  if (b == 'e') {
    const char c = w[n - 3];
    if (c == 'i' && n > 4) return {3, 'y'};                               // studies
    if (c == 'x' || c == 'z') return {2, 0};                              // boxes, sizes
    if (c == 's' && w[n - 4] == 's') return {2, 0};                       // classes
    if (c == 'h' && (w[n - 4] == 'c' || w[n - 4] == 's')) return {2, 0};  // approaches
    return {1, 0};
  }
  if (b == 's' || b == 'u' || b == 'i' || b == '\'') return {0, 0};  // class, corpus, analysis
  return {1, 0};
}

void AppendSingular(std::string_view w, std::string* out) {
  const SingularEdit e = SingularOf(w);
  out->append(w.data(), w.size() - e.drop);
  if (e.add != 0) *out += e.add;
}

std::string Singular(std::string_view w) {
  std::string out;
  AppendSingular(w, &out);
  return out;
}

void PhraseKeyInto(const std::string_view* words, size_t count, std::string* key) {
  size_t bytes = count;
  for (size_t i = 0; i < count; ++i) bytes += words[i].size();
  key->resize(bytes);
  char* out = key->data();
  size_t at = 0, last = 0;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) out[at++] = ' ';
    last = at;
    for (char c : words[i]) out[at++] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
  }
  key->resize(at);
  if (count == 0) return;
  // The last word made singular, and without a final e: the singular
  // rules cannot tell "caches" from "approaches", but "cach" and
  // "approach" meet their singulars.
  const SingularEdit e = SingularOf(std::string_view(*key).substr(last));
  key->resize(at - e.drop);
  if (e.add != 0) *key += e.add;
  if (key->size() - last > 3 && key->back() == 'e') key->pop_back();
}

std::string PhraseKey(const std::vector<std::string_view>& words) {
  std::string key;
  PhraseKeyInto(words.data(), words.size(), &key);
  return key;
}

std::string NormalizePhrase(std::string_view phrase) {
  std::vector<std::string_view> words;
  for (std::string_view w : SplitView(phrase, ' ')) {
    if (!w.empty()) words.push_back(w);
  }
  return PhraseKey(words);
}

bool IsAcronymLike(std::string_view word) {
  for (size_t i = 1; i < word.size(); ++i) {
    if (IsUpper(static_cast<unsigned char>(word[i]))) return true;
  }
  return false;
}

}  // namespace ekvr
