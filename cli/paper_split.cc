#include "paper_split.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>
#include <vector>

namespace tarnix {
namespace cli {
namespace {

using std::string_view;

constexpr size_t kHeadingReach = 10000;  // abstracts of theses follow a title page
constexpr size_t kLongestAbstract = 5000;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v' || c == '\n';
}
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsLetter(char c) { return IsUpper(c) || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Lower(char c) { return IsUpper(c) ? static_cast<char>(c - 'A' + 'a') : c; }

string_view LeftTrim(string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  return s;
}
string_view Trim(string_view s) {
  s = LeftTrim(s);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

bool EqualsIgnoreCase(string_view a, string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// Removes `word` from the front of s when it is there as a whole word.
bool TakeWord(string_view* s, string_view word, bool ignore_case) {
  if (s->size() < word.size()) return false;
  const string_view head = s->substr(0, word.size());
  if (ignore_case ? !EqualsIgnoreCase(head, word) : head != word) return false;
  if (s->size() > word.size() && IsLetter((*s)[word.size()])) return false;
  s->remove_prefix(word.size());
  return true;
}

// Punctuation that may join a heading to the text on its line: ":", ".",
// "|", "-", an en or em dash, a soft hyphen. Its length in bytes, or 0.
size_t SeparatorLength(string_view s) {
  if (s.empty()) return 0;
  if (s[0] == ':' || s[0] == '.' || s[0] == '|' || s[0] == '-') return 1;
  if (s.substr(0, 3) == "\xE2\x80\x94" || s.substr(0, 3) == "\xE2\x80\x93") return 3;
  if (s.substr(0, 2) == "\xC2\xAD") return 2;
  return 0;
}

// What follows a heading word decides whether the line is that heading:
// nothing, punctuation and then text, or (when allowed) a blank and then a
// capitalised word, as in "ABSTRACT The critical ...". A run of dots is a
// contents line's leader, not a separator.
bool HeadingRest(string_view rest, bool allow_blank, string_view* content) {
  const bool blank = !rest.empty() && IsSpace(rest.front());
  rest = LeftTrim(rest);
  if (rest.empty()) {
    *content = rest;
    return true;
  }
  if (const size_t sep = SeparatorLength(rest)) {
    rest = LeftTrim(rest.substr(sep));
    if (!rest.empty() && rest[0] == '.') return false;
    *content = rest;
    return true;
  }
  if (!blank || !allow_blank || !IsUpper(rest[0])) return false;
  *content = rest;
  return true;
}

// The labels of a paper's own keyword list; only capitalised, since
// "keywords" starts many a wrapped line of prose.
const char* const kKeywordLabels[] = {"Keywords",  "KEYWORDS",  "Keyword",     "Key words",
                                      "Key Words", "KEY WORDS", "Key terms",   "Key Terms",
                                      "Index Terms", "Index terms", "INDEX TERMS"};

// A line that starts with a keyword label; *alone when the list itself is
// on the lines below ("Keywords" as an ACM heading).
bool KeywordHeading(string_view line, bool* alone = nullptr) {
  for (const char* w : kKeywordLabels) {
    string_view s = line, content;
    if (TakeWord(&s, w, false) && HeadingRest(s, true, &content)) {
      if (alone != nullptr) *alone = content.empty();
      return true;
    }
  }
  return false;
}

// Where a keyword list starts inside a line, as in "... of rewards.
// Key words: discounting; ..." (a label after a blank, then a colon), or
// npos. PDF conversion often runs the list onto the abstract's line.
size_t KeywordLabelInside(string_view line) {
  size_t best = string_view::npos;
  for (const char* w : kKeywordLabels) {
    const size_t n = std::strlen(w);
    for (size_t at = line.find(w); at != string_view::npos; at = line.find(w, at + 1)) {
      if (at == 0 || !IsSpace(line[at - 1])) continue;
      size_t after = at + n;
      while (after < line.size() && line[after] == ' ') ++after;
      if (after < line.size() && line[after] == ':') {
        if (at < best) best = at;
        break;
      }
    }
  }
  return best;
}

// "ii", "- 3 -", "Page - iv -", "12.": a page number left by the PDF
// conversion.
bool PageLabel(string_view line) {
  string_view s = line;
  TakeWord(&s, "page", true);
  s = Trim(s);
  if (s.empty() || s.size() > 12) return false;
  for (char c : s) {
    if (!IsDigit(c) && !std::strchr("ivxlcIVXLC-. ", c)) return false;
  }
  return true;
}

// Sections that come between an abstract and the text, or open the text.
bool IsSectionName(string_view s) {
  static const char* const kNames[] = {
      "Introduction", "Background",      "Motivation",      "Overview",       "Preface",
      "Foreword",     "Dedication",      "Contents",        "Table of Contents",
      "Acknowledgements", "Acknowledgments", "Acknowledgement", "Acknowledgment"};
  for (const char* n : kNames) {
    if (EqualsIgnoreCase(s, n)) return true;
  }
  return false;
}

// Front-matter names a contents line runs on with after "Abstract".
bool StartsWithFrontMatter(string_view s) {
  static const char* const kNames[] = {"Acknowledg", "Contents", "Table of", "List of", "Preface",
                                       "Dedication"};
  for (const char* n : kNames) {
    if (s.size() >= std::strlen(n) && EqualsIgnoreCase(s.substr(0, std::strlen(n)), n)) return true;
  }
  return false;
}

// The abstract heading, given a trimmed line; content is the abstract's
// text on the same line.
bool AbstractHeading(string_view line, string_view* content) {
  if (line.find("....") != string_view::npos) return false;  // a contents line
  // "ii. Abstract": a page number printed before the heading.
  const size_t space = line.find(' ');
  if (space != string_view::npos && space > 1 && line[space - 1] == '.' &&
      PageLabel(line.substr(0, space))) {
    line = LeftTrim(line.substr(space));
  }
  static const char* const kWords[] = {"Abstract", "ABSTRACT", "Summary", "SUMMARY"};
  for (const char* w : kWords) {
    string_view s = line;
    if (TakeWord(&s, w, false) && HeadingRest(s, true, content)) {
      return !StartsWithFrontMatter(*content);
    }
  }
  return false;
}

// Whether a trimmed line is a heading that ends the abstract.
bool EndsAbstract(string_view line) {
  if (KeywordHeading(line)) return true;
  for (const char* acm : {"Categories and Subject Descriptors", "General Terms"}) {
    string_view s = line;
    if (TakeWord(&s, acm, true)) return true;
  }
  string_view s = line, content;
  // "Chapter 1", "CHAPTER ONE:", "Chapter One - Introduction"
  if (TakeWord(&s, "chapter", true)) {
    s = LeftTrim(s);
    while (!s.empty() && !IsSpace(s[0]) && !SeparatorLength(s)) s.remove_prefix(1);
    s = LeftTrim(s);
    if (const size_t sep = SeparatorLength(s)) s = LeftTrim(s.substr(sep));
    if (s.empty()) return true;
  }
  // A section number: "1", "1.", "2.3", "I.", "IV."
  bool first_section = false;
  size_t n = 0;
  while (n < s.size() && (IsDigit(s[n]) || s[n] == '.')) ++n;
  if (n == 0) {
    while (n < s.size() && std::strchr("IVX", s[n])) ++n;
    if (n == 0 || n >= s.size() || s[n] != '.') n = 0;
    else ++n;
  }
  if (n > 0 && n < s.size() && IsSpace(s[n])) {
    const string_view number = s.substr(0, n);
    first_section = number == "1" || number == "1." || number == "I.";
    s = LeftTrim(s.substr(n));
  }
  string_view name = s;
  while (!name.empty() && (name.back() == '.' || name.back() == ':')) name.remove_suffix(1);
  if (IsSectionName(name)) return true;
  // "INTRODUCTION: BACKGROUND AND PURPOSE", "CONTENTS Abstract Grace ..."
  string_view rest = s;
  if (TakeWord(&rest, "Introduction", true) && !rest.empty() && rest[0] == ':') return true;
  rest = s;
  if ((TakeWord(&rest, "Contents", true) || TakeWord(&rest, "Acknowledgements", true)) &&
      HeadingRest(rest, true, &content)) {
    return true;
  }
  // Any first numbered section: "1 Motivation", "I. THE MODEL".
  return first_section && !s.empty() && s.size() <= 80 && IsUpper(s[0]) &&
         std::strchr(".,;", s.back()) == nullptr;
}

void Append(std::string* out, string_view line) {
  if (!out->empty()) *out += '\n';
  out->append(line.data(), line.size());
}

// The lines from `from` on, without surrounding blank lines.
std::string JoinLines(const std::vector<string_view>& lines, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i < to; ++i) {
    if (out.empty() && Trim(lines[i]).empty()) continue;
    Append(&out, lines[i]);
  }
  while (!out.empty() && IsSpace(out.back())) out.pop_back();
  return out;
}

// What digital libraries stand where an abstract is missing: no text of
// the paper ("abstract", "OCR errors" and "reference list" would otherwise
// be taken for its subject).
constexpr const char* kPlaceholders[] = {
    "No contact information provided yet.",
    "An abstract is not available.",
    "Note: OCR errors may be found in this Reference List extracted from the full text article.",
    "ACM has opted to expose the complete List rather than only correct and linked references.",
};

// A line this long is no title.
constexpr size_t kRunInLine = 300;

bool IsFunctionWord(string_view w) {
  static const char* const kWords[] = {"a",    "an",   "and",  "as",    "at",   "by",  "for", "from",
                                       "in",   "into", "is",   "of",    "on",   "or",  "the", "to",
                                       "via",  "with", "are",  "using", "over", "under", "its", "their",
                                       "we",   "this", "that", "these", "our",  "it"};
  std::string lower(w);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* f : kWords) {
    if (lower == f) return true;
  }
  return false;
}

// Where the title of a run-in line ends: before the first capitalised word
// that follows a word in lower case (a sentence-case title: "... feature
// selection Stability is"), or, in a title-case title, before a capitalised
// word that a lower-case content word follows ("... Collective
// Classification Information diffusion, ..."). Function words never end a
// title ("in North America"). npos when no such word stands among the
// first 30.
size_t RunInTitleEnd(string_view line) {
  struct Word {
    size_t begin;
    string_view text;
  };
  std::vector<Word> words;
  for (size_t at = 0; at < line.size() && words.size() < 32;) {
    while (at < line.size() && IsSpace(line[at])) ++at;
    const size_t end = std::min(line.find(' ', at), line.size());
    if (end > at) words.push_back({at, line.substr(at, end - at)});
    at = end;
  }
  auto upper = [](string_view w) { return !w.empty() && std::isupper(static_cast<unsigned char>(w[0])); };
  auto lower = [](string_view w) { return !w.empty() && std::islower(static_cast<unsigned char>(w[0])); };
  auto plain = [](string_view w) {  // letters only, no acronym: a word a sentence may start with
    bool inner_upper = false;
    for (size_t i = 0; i < w.size(); ++i) {
      if (!std::isalpha(static_cast<unsigned char>(w[i]))) return false;
      inner_upper = inner_upper || (i > 0 && std::isupper(static_cast<unsigned char>(w[i])));
    }
    return !inner_upper;
  };
  for (size_t k = 2; k + 1 < words.size() && k < 30; ++k) {
    const string_view prev = words[k - 1].text, w = words[k].text;
    string_view next = words[k + 1].text;
    while (!next.empty() && std::ispunct(static_cast<unsigned char>(next.back()))) next.remove_suffix(1);
    if (!upper(w) || !plain(w) || IsFunctionWord(prev) || !std::isalnum(static_cast<unsigned char>(prev.back()))) {
      continue;
    }
    if (lower(prev) || (lower(next) && !IsFunctionWord(next) && plain(next))) return words[k].begin;
  }
  return string_view::npos;
}

// The text without the digital libraries' placeholder notes.
std::string WithoutPlaceholders(const std::string& text_in) {
  std::string text = text_in;
  for (const char* placeholder : kPlaceholders) {
    const size_t n = std::strlen(placeholder);
    for (size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at)) {
      text.erase(at, n);
    }
  }
  return text;
}

std::vector<string_view> SplitLines(const string_view all) {
  std::vector<string_view> lines;
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find('\n', start);
    if (end == string_view::npos) end = all.size();
    lines.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// The lines without the paper's keyword block, wherever it is: it goes
// first, before anything is looked for.
std::vector<string_view> WithoutKeywordBlock(const std::vector<string_view>& lines) {
  std::vector<string_view> kept;
  for (size_t i = 0; i < lines.size(); ++i) {
    bool alone = false;
    if (!KeywordHeading(Trim(lines[i]), &alone)) {
      const size_t inside = KeywordLabelInside(lines[i]);
      kept.push_back(lines[i].substr(0, inside));
      if (inside == string_view::npos) continue;
    } else if (alone) {
      size_t list = i + 1;
      while (list < lines.size() && Trim(lines[list]).empty()) ++list;
      if (list < lines.size() && !EndsAbstract(Trim(lines[list]))) i = list;
    }
    // A list wrapped onto the next lines ends them in "," or ";".
    while (i + 1 < lines.size() && !Trim(lines[i + 1]).empty() &&
           std::strchr(",;-", Trim(lines[i]).back()) != nullptr) {
      ++i;
    }
  }
  return kept;
}

// The parts of a paper whose abstract heading is line `heading` (content:
// what follows the heading on its own line).
PaperParts SplitAtHeading(const std::vector<string_view>& lines, size_t first, size_t heading,
                          string_view content) {
  PaperParts parts;
  // A paper that opens with its abstract has no title line.
  if (heading > first) parts.title = std::string(Trim(lines[first]));
  if (!content.empty()) parts.abstract = std::string(content);
  size_t end = heading + 1;
  for (; end < lines.size(); ++end) {
    const string_view line = Trim(lines[end]);
    if (parts.abstract.size() >= kLongestAbstract) break;
    if (!parts.abstract.empty() && lines[end].find('\f') != string_view::npos) break;
    if (EndsAbstract(line)) break;
    string_view again;
    if (PageLabel(line) || (parts.abstract.empty() && AbstractHeading(line, &again) && again.empty())) {
      continue;
    }
    if (line.empty() && parts.abstract.empty()) continue;
    Append(&parts.abstract, lines[end]);
  }
  while (!parts.abstract.empty() && IsSpace(parts.abstract.back())) parts.abstract.pop_back();
  parts.body = JoinLines(lines, end, lines.size());
  return parts;
}

}  // namespace

PaperParts SplitPaper(const std::string& text_in, SplitKind* kind) {
  SplitKind unused;
  if (kind == nullptr) kind = &unused;
  const std::string text = WithoutPlaceholders(text_in);
  const std::vector<string_view> lines = WithoutKeywordBlock(SplitLines(text));

  PaperParts parts;
  size_t first = 0;
  while (first < lines.size() && Trim(lines[first]).empty()) ++first;
  if (first == lines.size()) {
    *kind = SplitKind::kFirstLine;
    return parts;
  }

  size_t reach = 0;
  string_view content;
  for (size_t i = first; i < lines.size() && reach < kHeadingReach; ++i) {
    if (AbstractHeading(Trim(lines[i]), &content)) {
      *kind = SplitKind::kHeading;
      return SplitAtHeading(lines, first, i, content);
    }
    reach += lines[i].size() + 1;
  }

  // One long line: a title run into its abstract ("Consensus group stable
  // feature selection Stability is an important ..."), as some collections
  // store them.
  if (first + 1 >= lines.size() || JoinLines(lines, first + 1, lines.size()).empty()) {
    const string_view line = Trim(lines[first]);
    if (line.size() > kRunInLine) {
      *kind = SplitKind::kRunIn;
      const size_t cut = RunInTitleEnd(line);
      if (cut != string_view::npos) parts.title = std::string(Trim(line.substr(0, cut)));
      parts.abstract = std::string(Trim(line.substr(cut == string_view::npos ? 0 : cut)));
      return parts;
    }
  }

  // No heading: the old split. In the collections the long texts without
  // one open with mastheads, copyright notices and contents lists, and no
  // paragraph of theirs stands in for the abstract reliably.
  *kind = SplitKind::kFirstLine;
  parts.title = std::string(Trim(lines[first]));
  parts.abstract = JoinLines(lines, first + 1, lines.size());
  return parts;
}

}  // namespace cli
}  // namespace tarnix
