// UTF-8 text made fit for the library: every character of the result has a
// GBK form, and the characters that have one but read badly to the engines
// (no-break spaces, ligatures, full-width Latin letters, typographic quotes
// and dashes in English text) are given their plain forms. The tarnix
// command uses it before every conversion to GBK; it depends on nothing of
// the command, so that other front ends can link it alone.
//
// What happens to a character, after NFC:
//  - ASCII and characters GBK holds stay, except as below;
//  - default-ignorable characters (soft hyphen, zero-width characters, the
//    byte order mark) are removed;
//  - Unicode spaces other than U+3000 become a space, line and paragraph
//    separators a line end;
//  - full-width Latin letters and digits become ASCII; other full-width
//    forms (，。；：（）) stay;
//  - quotes, primes, dashes, the ellipsis and × that GBK holds stay in
//    Chinese text, which uses them around digits and Latin words too
//    ("2002—2013年", "“教育 GDP”"); in other text they stay where a
//    neighbour (the nearest character on either side that is neither a
//    blank nor one of these) is CJK, and become ASCII elsewhere;
//  - the minus sign and the hyphens GBK lacks become "-"; the em dash and
//    the horizontal bar become " - " where they become ASCII, so that the
//    words on either side are not joined into one;
//  - bullets become a line end, which ends a phrase as the list item did;
//  - ©, ®, ™ become a space: they are not part of any keyword;
//  - letters and symbols GBK lacks take their compatibility decomposition
//    without marks (ö → o, ﬁ → fi, ½ → 1/2, µ → μ) or a nearest form from a
//    short list (ß → ss, æ → ae, ø → o, ł → l, þ → th);
//  - C1 control characters are read as the Windows-1252 punctuation they
//    almost always are (text decoded as Latin-1);
//  - private-use characters and anything else left become `unmapped`.
#ifndef TARNIX_CLI_NORMALIZE_H_
#define TARNIX_CLI_NORMALIZE_H_

#include <cstddef>
#include <string>

namespace tarnix {

// The language of the whole text, when the caller knows it.
enum class TextLanguage { kUnknown, kChinese, kEnglish };

struct GbkTextOptions {
  // Chinese keeps its typographic punctuation everywhere. English folds
  // the accented Latin letters GBK holds (é, ü, à, ǎ ...) to their base
  // letters: the English engine splits a word at them ("résumé" reads as
  // "r" and "sum"); elsewhere they stay, spelling pinyin.
  TextLanguage language = TextLanguage::kUnknown;
  // What stands for a character that has no GBK form and no nearest one:
  // a space by default, '?' to leave a visible trace. Must be ASCII.
  char unmapped = ' ';
};

struct GbkTextCounts {
  // Characters of the NFC text that were changed or removed.
  size_t changed = 0;
  // Of those, the characters written as GbkTextOptions::unmapped.
  size_t unmapped = 0;
};

// The text with every character in a form GBK holds; counts, when given,
// are added to. Invalid UTF-8 bytes count as unmapped characters.
// Normalising the result again changes nothing.
std::string NormaliseForGbk(const std::string& utf8, const GbkTextOptions& options = {},
                            GbkTextCounts* counts = nullptr);

// The same, with every run of words other than ASCII ones normalised as
// a whole: what NormaliseForGbk gives, more slowly, for the tests that
// compare the two.
std::string NormaliseForGbkUncut(const std::string& utf8, const GbkTextOptions& options = {},
                                 GbkTextCounts* counts = nullptr);

// True when the code point has a GBK form the engines can read: ASCII or a
// double-byte character (not the single byte 0x80 some converters give
// the euro sign, and not a private-use code point).
bool GbkHolds(char32_t cp);
// The same from a table of the whole plane built from the converter at the
// first call: what GbkHolds must agree with.
bool GbkHoldsByTable(char32_t cp);

}  // namespace tarnix

#endif  // TARNIX_CLI_NORMALIZE_H_
