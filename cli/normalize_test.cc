// Text made fit for GBK, class by class, and the two promises the command
// relies on: the result always converts, and normalising it again changes
// nothing.
#include "normalize.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "host_platform.h"

namespace tarnix {
namespace {

std::string Utf8(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

bool ConvertsToGbk(const std::string& utf8) {
  std::string gbk;
  ConversionStop stop;
  return Utf8ToGbk(utf8, &gbk, Unmappable::kFail, &stop);
}

struct Case {
  const char* in;
  const char* out;
};

void ExpectAll(const std::vector<Case>& cases, const GbkTextOptions& options = {}) {
  for (const Case& c : cases) EXPECT_EQ(NormaliseForGbk(c.in, options), c.out) << "input: " << c.in;
}

TEST(NormaliseForGbkTest, SpacesAndInvisibleCharacters) {
  ExpectAll({
      {"a\u00A0b", "a b"},
      {"1\u2002\u2009\u200A\u202F\u205F" "2", "1     2"},
      {"\u4E2D\u3000\u6587\tx", "\u4E2D\u3000\u6587\tx"},  // GBK's A1A1 and the tab stay
      {"line\u2028next\u2029para", "line\nnext\npara"},
      {"com\u00ADputer", "computer"},
      {"a\u200Bb\u200Cc\u200Dd\u2060e\uFEFFf", "abcdef"},
  });
}

TEST(NormaliseForGbkTest, DashesAndQuotesAreAsciiOutsideCjkText) {
  ExpectAll({
      {"x \u2212 1, 1990\u20132000, well\u2010known, non\u2011linear", "x - 1, 1990-2000, well-known, non-linear"},
      // An em dash between words must not glue them into one.
      {"results\u2014as expected\u2014hold", "results - as expected - hold"},
      {"\u201Cdeep\u201D, \u2018shallow\u2019, don\u2019t, \u201Elow\u201C", "\"deep\", 'shallow', don't, \"low\""},
      {"5\u2032 3\u2033, 2\u00D73 and so on\u2026", "5' 3\", 2x3 and so on..."},
      {"\u00ABguillemets\u00BB", "\"guillemets\""},
  });
}

TEST(NormaliseForGbkTest, CjkPunctuationStaysInCjkText) {
  ExpectAll({
      // 他说“你好”。 and 中文——英文 and 好……
      {"\u4ED6\u8BF4\u201C\u4F60\u597D\u201D\u3002", "\u4ED6\u8BF4\u201C\u4F60\u597D\u201D\u3002"},
      {"\u4E2D\u6587\u2014\u2014\u82F1\u6587", "\u4E2D\u6587\u2014\u2014\u82F1\u6587"},
      {"\u597D\u2026\u2026\nnext\u2026", "\u597D\u2026\u2026\nnext..."},
      // An English term quoted in Chinese: each quote has a CJK neighbour.
      {"\u672C\u6587\u201Cdeep learning\u201D\u662F", "\u672C\u6587\u201Cdeep learning\u201D\u662F"},
      // Full-width punctuation stays, full-width letters and digits do not.
      {"\u6570\u636E\u96C6\uFF08\uFF2D\uFF2E\uFF29\uFF33\uFF34\uFF0C\uFF16\uFF10\uFF09\uFF1B\uFF1A\u3002",
       "\u6570\u636E\u96C6\uFF08MNIST\uFF0C60\uFF09\uFF1B\uFF1A\u3002"},
      {"3\u00D73\u7684\u77E9\u9635", "3x3\u7684\u77E9\u9635"},  // digits on both sides
      {"\u957F\u00D7\u5BBD", "\u957F\u00D7\u5BBD"},
  });
  // Chinese text keeps them between digits and Latin words too, so that a
  // pair of quotes is not split in two forms: 2002—2013年, 2010“10.25”风暴,
  // “教育 GDP”; its full-width letters still become ASCII.
  GbkTextOptions chinese;
  chinese.language = TextLanguage::kChinese;
  ExpectAll({{"2002\u20142013\u5E74, 2010\u201C10.25\u201D\u98CE\u66B4, \u201C\u6559\u80B2 GDP\u201D(3\u00D73)",
              "2002\u20142013\u5E74, 2010\u201C10.25\u201D\u98CE\u66B4, \u201C\u6559\u80B2 GDP\u201D(3\u00D73)"},
             {"\uFF2D\uFF2E\uFF29\uFF33\uFF34\u00A0\u00E9", "MNIST \u00E9"}},
            chinese);
}

TEST(NormaliseForGbkTest, LettersTakeTheirNearestGbkForm) {
  ExpectAll({
      {"\uFB00 \uFB01 \uFB02 \uFB03 \uFB04 \uFB05 \uFB06", "ff fi fl ffi ffl st st"},
      // GBK holds these pinyin letters; Chinese text keeps them.
      {"caf\u00E9 \u00FC \u00E8 \u00E0 l\u01DC", "caf\u00E9 \u00FC \u00E8 \u00E0 l\u01DC"},
      {"G\u00F6del Fran\u00E7ais Stra\u00DFe K\u00F8benhavn \u00C6sir \u0141\u00F3d\u017A \u00DEing",
       "Godel Francais Strasse Kobenhavn AEsir L\u00F3dz Thing"},
      // Decomposed accents are composed first.
      {"cafe\u0301 Go\u0308del x\u0304", "caf\u00E9 Godel x"},
      {"10 \u00B5m, \u00BD, m\u00B2, \U0001D431", "10 \u03BCm, 1/2, m2, x"},
      {"25\u00B0 \u00B1 \u03B1\u03B2 \u2264 \u2A7D", "25\u00B0 \u00B1 \u03B1\u03B2 \u2264 \u2264"},
      {"\uFF76\uFF80\uFF76\uFF85", "\u30AB\u30BF\u30AB\u30CA"},  // half-width katakana
  });
  GbkTextOptions english;
  english.language = TextLanguage::kEnglish;
  ExpectAll({{"r\u00E9sum\u00E9 na\u00EFve \u00DCber l\u01DC \u0251", "resume naive Uber lu a"},
             {"\u4ED6\u8BF4\u201C\u4F60\u201D", "\u4ED6\u8BF4\u201C\u4F60\u201D"}},
            english);
}

TEST(NormaliseForGbkTest, SymbolsWithoutAKeywordMeaning) {
  ExpectAll({
      {"Acme\u00A9 Widget\u00AE Tool\u2122", "Acme  Widget  Tool "},
      {"items: \u2022 alpha \u2022 beta", "items: \n alpha \n beta"},
      // Windows-1252 punctuation read as Latin-1.
      {"\u0093quoted\u0094 it\u0092s\u0085 \u0096", "\"quoted\" it's... -"},
  });
}

TEST(NormaliseForGbkTest, WhatHasNoFormIsReplacedAndCounted) {
  GbkTextCounts counts;
  // NBSP, emoji, soft hyphen, private use, a Hangul syllable and a stray
  // C1 byte; é and 中 are GBK's own and ASCII is untouched.
  EXPECT_EQ(NormaliseForGbk("a\u00A0b\U0001F600c\u00ADd\uE000\uD55C\u0081 \u00E9\u4E2D", {}, &counts),
            "a b cd    \u00E9\u4E2D");
  EXPECT_EQ(counts.changed, 6u);
  EXPECT_EQ(counts.unmapped, 4u);
  GbkTextOptions mark;
  mark.unmapped = '?';
  GbkTextCounts more = counts;
  EXPECT_EQ(NormaliseForGbk("x\U0001F600\u00A0y", mark, &more), "x? y");
  EXPECT_EQ(more.changed, 8u);  // added to what was there
  EXPECT_EQ(more.unmapped, 5u);
  // Invalid bytes are characters without a form, one each.
  GbkTextCounts bad;
  EXPECT_EQ(NormaliseForGbk("a\xFF\xC3" "b", {}, &bad), "a  b");
  EXPECT_EQ(bad.unmapped, 2u);
  // A decomposed accent that NFC composes into a GBK letter is no change.
  GbkTextCounts none;
  EXPECT_EQ(NormaliseForGbk("cafe\u0301, \u4E2D\u6587\u201C\u201D\uFF0C plain", {}, &none),
            "caf\u00E9, \u4E2D\u6587\u201C\u201D\uFF0C plain");
  EXPECT_EQ(none.changed, 0u);
}

// Characters are asked of the converter one at a time, as articles bring
// them; every answer must be the one a table of the whole plane gives.
TEST(NormaliseForGbkTest, EachCharacterAskedAloneAgreesWithTheWholeTable) {
  size_t held = 0;
  for (char32_t cp = 0; cp < 0x10000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    const bool alone = GbkHolds(cp);
    ASSERT_EQ(alone, GbkHoldsByTable(cp)) << "U+" << std::hex << static_cast<unsigned>(cp);
    ASSERT_EQ(GbkHolds(cp), alone);  // and the second time, from what was kept
    held += alone;
  }
  EXPECT_GT(held, 21000u);  // GBK's double-byte characters, and ASCII
  EXPECT_FALSE(GbkHolds(0xE000));   // private use
  EXPECT_FALSE(GbkHolds(0x20000));  // beyond the plane
}

// Every code point of the first plane and a sample of the others, alone,
// after a Chinese character and after a Latin letter, for each language. The results are converted in batches: one
// conversion per code point would take most of the test's time.
TEST(NormaliseForGbkTest, EveryCodePointConvertsAndIsStable) {
  GbkTextOptions english, chinese;
  english.language = TextLanguage::kEnglish;
  chinese.language = TextLanguage::kChinese;
  std::string batch;
  auto convert_batch = [&batch]() {
    std::string gbk;
    ConversionStop stop;
    const bool ok = Utf8ToGbk(batch, &gbk, Unmappable::kFail, &stop);
    EXPECT_TRUE(ok) << "cannot convert \"" << batch.substr(stop.offset, stop.length) << "\" in \""
                    << batch.substr(batch.rfind('\n', stop.offset) + 1, 40) << "\"";
    batch.clear();
    return ok;
  };
  size_t failures = 0;
  for (char32_t cp = 1; cp < 0x30000 && failures < 10; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    if (cp >= 0x10000 && cp % 13 != 0) continue;
    for (const std::string& text : {Utf8(cp), "\u4E2D" + Utf8(cp) + "x", "a" + Utf8(cp)}) {
      for (const GbkTextOptions& options : {GbkTextOptions(), english, chinese}) {
        const std::string once = NormaliseForGbk(text, options);
        GbkTextCounts again;
        const std::string twice = NormaliseForGbk(once, options, &again);
        if (twice != once || again.changed != 0) {
          ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(cp) << " in \"" << text
                        << "\" gives \"" << once << "\", then \"" << twice << "\"";
          ++failures;
        }
        batch += once + "\n";
      }
    }
    if (batch.size() > 65536 && !convert_batch()) ++failures;
  }
  convert_batch();
}

TEST(NormaliseForGbkTest, RandomMixturesConvertAndAreStable) {
  // Blocks where the rules meet: ASCII, Latin, C1, marks, punctuation,
  // CJK, full-width and half-width forms, private use, emoji.
  const std::vector<std::pair<char32_t, char32_t>> blocks = {
      {0x20, 0x7E},     {0x80, 0x24F},    {0x300, 0x36F},   {0x370, 0x3FF},   {0x2000, 0x206F},
      {0x2100, 0x22FF}, {0x2500, 0x25FF}, {0x3000, 0x30FF}, {0x4E00, 0x4E80}, {0xAC00, 0xAC20},
      {0xE000, 0xE010}, {0xFB00, 0xFB06}, {0xFE30, 0xFE6F}, {0xFF00, 0xFFEF}, {0x1F600, 0x1F64F}};
  std::mt19937 random(20261209);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) {
      const auto& b = blocks[random() % blocks.size()];
      text += Utf8(b.first + static_cast<char32_t>(random() % (b.second - b.first + 1)));
    }
    GbkTextOptions options;
    options.language = static_cast<TextLanguage>(round % 3);
    const std::string once = NormaliseForGbk(text, options);
    ASSERT_TRUE(ConvertsToGbk(once)) << text;
    ASSERT_EQ(NormaliseForGbk(once, options), once) << text;
  }
}

// Chinese prose (ideographs, its punctuation, ASCII between) is its own
// result, as the whole mapping finds when a character outside that set
// sends the text through it; in every language, with nothing counted.
TEST(NormaliseForGbkTest, ChineseProseComesBackAsItIs) {
  const std::vector<char32_t> prose = {0x4E2D, 0x6587, 0x9FA5, 0x4E00, 0x2103, 0x2236, 0x3001, 0x3002, 0x300A,
                                       0x300B, 0xFF01, 0xFF05, 0xFF08, 0xFF09, 0xFF0C, 0xFF0E, 0xFF1A, 0xFF1B,
                                       0xFF1C, 0xFF1D, 0xFF1E, 0xFF1F, 0xFF5E, 'a', 'Z', '1', '(', ' ', '\n', '\t'};
  // Each maps to itself but takes the whole mapping: Greek, a middle dot,
  // a full-width digit (which becomes ASCII), a combining acute.
  const char32_t others[] = {0x03B1, 0x00B7, 0xFF11, 0x0301};
  std::mt19937 random(22);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (int i = static_cast<int>(random() % 30); i > 0; --i) text += Utf8(prose[random() % prose.size()]);
    GbkTextOptions options;
    options.language = static_cast<TextLanguage>(round % 3);
    GbkTextCounts counts;
    ASSERT_EQ(NormaliseForGbk(text, options, &counts), text);
    EXPECT_EQ(counts.changed, 0u);
    const char32_t other = others[round % 4];
    const std::string mixed = text + Utf8(0x4E2D) + Utf8(other);
    const std::string slow = NormaliseForGbk(mixed, options);
    ASSERT_EQ(slow.substr(0, text.size()), text) << "round " << round;
  }
}

}  // namespace
}  // namespace tarnix

namespace tarnix {
namespace {

// ASCII lines are copied as they stand; the lines around them must come
// out as they would alone, and the counts must be the whole text's.
TEST(NormaliseForGbkTest, AsciiLinesBetweenOthersChangeNothingAroundThem) {
  const std::string lines[] = {"\u201Cquoted\u201D \u2014 text\n", "plain ASCII line\n",
                               "\u4E2D\u6587\u201C\u5F15\u53F7\u201D\n", "  \n", "e\u0301te\u0301 \u00A0x"};
  GbkTextOptions english;
  english.language = TextLanguage::kEnglish;
  std::string whole, expected;
  GbkTextCounts alone;
  for (const std::string& l : lines) {
    whole += l;
    expected += NormaliseForGbk(l, english, &alone);
  }
  GbkTextCounts together;
  EXPECT_EQ(NormaliseForGbk(whole, english, &together), expected);
  EXPECT_EQ(together.changed, alone.changed);
  EXPECT_GT(together.changed, 0u);
  const std::string ascii = "no change here\n\tnor here\n";
  GbkTextCounts none;
  EXPECT_EQ(NormaliseForGbk(ascii, english, &none), ascii);
  EXPECT_EQ(none.changed, 0u);
}

}  // namespace
}  // namespace tarnix

namespace tarnix {
namespace {

// Chinese prose with the characters that make the mapping work around
// them (marks that compose with the letter before, Hangul jamo that
// compose with each other, quotes and dashes whose form depends on their
// neighbours, letters GBK lacks, broken bytes) and the characters where a
// stretch may be cut: cut or whole, the text and the counts must agree.
TEST(NormaliseForGbkTest, CutStretchesGiveWhatTheWholeGives) {
  const std::vector<char32_t> prose = {0x4E2D, 0x6587, 0x9FA5, 0x3001, 0x3002, 0xFF08, 0xFF09, 0xFF0C,
                                       0xFF1B, 0xFF1A, 0x2103, 'a',    'e',    'Z',    '1',    '(',
                                       ' ',    '\t',   '\n',   '\r'};
  const std::vector<char32_t> others = {
      0x0301, 0x0308, 0x0327, 0x00E9, 0x00B7, 0x03B1, 0x201C, 0x201D, 0x2018, 0x2019, 0x2014,
      0x2026, 0x00D7, 0x2013, 0xFF11, 0xFF41, 0x1100, 0x1161, 0x11A8, 0xAC00, 0x00A0, 0x2028,
      0xE000, 0xF900, 0x2126, 0xFB01, 0x0085, 0x00DF, 0x1F600, 0x3099, 0x304B, 0x200B};
  const char* const broken[] = {"\x80", "\xE4\xB8", "\xC0\xAF", "\xED\xA0\x80", "\xFF"};
  std::mt19937 random(20261210);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int i = static_cast<int>(random() % 40); i > 0; --i) {
      const unsigned kind = random() % 10;
      if (kind < 6) {
        text += Utf8(prose[random() % prose.size()]);
      } else if (kind < 9) {
        text += Utf8(others[random() % others.size()]);
      } else {
        text += broken[random() % std::size(broken)];
      }
    }
    GbkTextOptions options;
    options.language = static_cast<TextLanguage>(round % 3);
    options.unmapped = round % 2 ? ' ' : '?';
    GbkTextCounts cut_counts, whole_counts;
    const std::string cut = NormaliseForGbk(text, options, &cut_counts);
    ASSERT_EQ(cut, NormaliseForGbkUncut(text, options, &whole_counts)) << "round " << round;
    EXPECT_EQ(cut_counts.changed, whole_counts.changed) << "round " << round;
    EXPECT_EQ(cut_counts.unmapped, whole_counts.unmapped) << "round " << round;
  }
}

}  // namespace
}  // namespace tarnix
