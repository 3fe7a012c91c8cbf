// Articles from JSON to what the library receives, the code-page
// conversions under them, the command line and the table layout; none of
// these needs the engines.
#include "article.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <iconv.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "options.h"
#include "output.h"
#include "host_platform.h"

namespace tarnix {
namespace cli {
namespace {

TEST(ConversionTest, StopsAtTheFirstCharacterGbkCannotHold) {
  std::string out;
  ConversionStop stop;
  // "a中😀b": the emoji starts at byte 4 and is 4 bytes long.
  EXPECT_FALSE(Utf8ToGbk("a\xE4\xB8\xAD\xF0\x9F\x98\x80" "b", &out, Unmappable::kFail, &stop));
  EXPECT_EQ(stop.offset, 4u);
  EXPECT_EQ(stop.length, 4u);
  size_t replaced = 0;
  EXPECT_TRUE(Utf8ToGbk("a\xE4\xB8\xAD\xF0\x9F\x98\x80" "b\xF0\x9F\x98\x80", &out, Unmappable::kReplace,
                        &stop, &replaced));
  EXPECT_EQ(out, "a\xD6\xD0?b?");
  EXPECT_EQ(replaced, 2u);
}

TEST(ConversionTest, GbkRoundTripAndInvalidBytes) {
  std::string utf8, back;
  ConversionStop stop;
  // 誠 has the trail byte 0x5C; 中 is D6 D0.
  ASSERT_TRUE(GbkToUtf8("\xD5\x5C\xD6\xD0", &utf8, Unmappable::kFail, &stop));
  EXPECT_EQ(utf8, "\xE8\xAA\xA0\xE4\xB8\xAD");
  ASSERT_TRUE(Utf8ToGbk(utf8, &back, Unmappable::kFail, &stop));
  EXPECT_EQ(back, "\xD5\x5C\xD6\xD0");
  // A lead byte cut off at the end, and 0xFF, which is never GBK.
  EXPECT_FALSE(GbkToUtf8("ab\xD6", &utf8, Unmappable::kFail, &stop));
  EXPECT_EQ(stop.offset, 2u);
  size_t replaced = 0;
  EXPECT_TRUE(GbkToUtf8("\xFF" "a\xD6", &utf8, Unmappable::kReplace, &stop, &replaced));
  EXPECT_EQ(utf8, "\xEF\xBF\xBD" "a\xEF\xBF\xBD");
  EXPECT_EQ(replaced, 2u);
}

#ifndef _WIN32
// The conversion as iconv gives it for the whole text in one go, the way
// Utf8ToGbk and GbkToUtf8 once worked: the reference for the remembered
// characters.
bool PlainIconv(bool to_gbk, const std::string& in, std::string* out, Unmappable mode,
                ConversionStop* stop, size_t* replaced) {
  out->clear();
  *replaced = 0;
  iconv_t cd = to_gbk ? iconv_open("GBK", "UTF-8") : iconv_open("UTF-8", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string buffer(in.size() * 2 + 16, '\0');
  char* in_at = const_cast<char*>(in.data());
  size_t in_left = in.size();
  bool ok = true;
  while (in_left > 0) {
    char* out_at = &buffer[0];
    size_t out_left = buffer.size();
    const size_t r = iconv(cd, &in_at, &in_left, &out_at, &out_left);
    out->append(buffer.data(), buffer.size() - out_left);
    if (r != static_cast<size_t>(-1)) break;
    const size_t offset = static_cast<size_t>(in_at - in.data());
    const unsigned char lead = static_cast<unsigned char>(in[offset]);
    size_t length;
    if (to_gbk) {
      length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    } else {
      const unsigned char trail = offset + 1 < in.size() ? static_cast<unsigned char>(in[offset + 1]) : 0;
      length = lead > 0x80 && lead < 0xFF && trail >= 0x40 && trail <= 0xFE && trail != 0x7F ? 2 : 1;
    }
    length = std::min(length, in_left);
    if (mode == Unmappable::kFail) {
      *stop = ConversionStop{offset, length};
      ok = false;
      break;
    }
    out->append(to_gbk ? "?" : "\xEF\xBF\xBD");
    ++*replaced;
    in_at += length;
    in_left -= length;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return ok;
}

std::string Utf8Of(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | cp >> 6);
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | cp >> 12);
    s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | cp >> 18);
    s += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

// Both directions against iconv over the whole text, in both modes: the
// remembered characters must give its answer, stop and count included,
// wherever the first character it refuses falls. UTF-8 texts mix
// ideographs, ASCII, symbols GBK holds or lacks, characters beyond the
// plane and broken sequences (stray continuation bytes, overlong forms,
// surrogates, a cut-off character); GBK texts mix GB2312 characters, any
// lead and trail pair, ASCII and bytes that start no character.
TEST(ConversionTest, RememberedCharactersGiveWhatIconvGives) {
  std::mt19937 random(20261210);
  auto pick = [&random](uint32_t lo, uint32_t hi) {
    return std::uniform_int_distribution<uint32_t>(lo, hi)(random);
  };
  const char* const broken_utf8[] = {"\x80", "\xFF", "\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80",
                                     "\xE4\xB8", "\xF8\x88\x80\x80\x80", "\xC2"};
  auto utf8_text = [&](bool clean) {
    std::string text;
    for (uint32_t p = 0, pieces = pick(0, 24); p < pieces; ++p) {
      const uint32_t kind = pick(0, clean ? 4 : 8);
      if (kind <= 1) text += Utf8Of(pick(0x4E00, 0x9FA5));
      else if (kind == 2) text += static_cast<char>(pick(0, 0x7F));
      else if (kind == 3) text += Utf8Of(pick(0x3000, 0x303F));
      else if (kind == 4) text += Utf8Of(pick(0xFF01, 0xFF5E));
      else if (kind == 5) text += Utf8Of(pick(0x80, 0x7FF));
      else if (kind == 6) text += Utf8Of(pick(0x800, 0xFFFF));
      else if (kind == 7) text += Utf8Of(pick(0x10000, 0x10FFFF));
      else text += broken_utf8[pick(0, std::size(broken_utf8) - 1)];
    }
    return text;
  };
  auto gbk_text = [&](bool clean) {
    std::string text;
    for (uint32_t p = 0, pieces = pick(0, 24); p < pieces; ++p) {
      const uint32_t kind = pick(0, clean ? 2 : 5);
      if (kind <= 1) {
        text += static_cast<char>(pick(0xB0, 0xF7));
        text += static_cast<char>(pick(0xA1, 0xFE));
      } else if (kind == 2) {
        text += static_cast<char>(pick(0x20, 0x7E));
      } else if (kind == 3) {
        text += static_cast<char>(pick(0x81, 0xFE));
        text += static_cast<char>(pick(0x40, 0xFF));
      } else if (kind == 4) {
        text += static_cast<char>(pick(0, 1) ? 0x80 : 0xFF);
      } else {
        text += static_cast<char>(pick(0x81, 0xFE));  // a lead byte alone
      }
    }
    return text;
  };
  for (int round = 0; round < 3000; ++round) {
    const bool clean = round % 3 != 0;  // a third may hold anything
    for (bool to_gbk : {true, false}) {
      const std::string text = to_gbk ? utf8_text(clean) : gbk_text(clean);
      for (Unmappable mode : {Unmappable::kFail, Unmappable::kReplace}) {
        std::string got, want;
        ConversionStop got_stop{99, 99}, want_stop{99, 99};
        size_t got_replaced = 0, want_replaced = 0;
        const bool got_ok = to_gbk ? Utf8ToGbk(text, &got, mode, &got_stop, &got_replaced)
                                   : GbkToUtf8(text, &got, mode, &got_stop, &got_replaced);
        const bool want_ok = PlainIconv(to_gbk, text, &want, mode, &want_stop, &want_replaced);
        ASSERT_EQ(got_ok, want_ok) << round << (to_gbk ? " to GBK" : " to UTF-8");
        ASSERT_EQ(got, want) << round << (to_gbk ? " to GBK" : " to UTF-8");
        if (!want_ok) {
          EXPECT_EQ(got_stop.offset, want_stop.offset) << round;
          EXPECT_EQ(got_stop.length, want_stop.length) << round;
        } else {
          EXPECT_EQ(got_replaced, want_replaced) << round;
        }
      }
    }
  }
}
#endif

#if defined(__GLIBC__)
TEST(LibraryFunctionTest, FindsAFunctionOrSaysWhatIsMissing) {
  std::string error;
  using Length = size_t (*)(const char*);
  void* found = LibraryFunction("libc.so.6", "strlen", &error);
  ASSERT_NE(found, nullptr) << error;
  Length length;
  std::memcpy(&length, &found, sizeof length);
  EXPECT_EQ(length("four"), 4u);

  EXPECT_EQ(LibraryFunction("libc.so.6", "no_such_function_here", &error), nullptr);
  EXPECT_NE(error.find("no_such_function_here"), std::string::npos) << error;
  error.clear();
  EXPECT_EQ(LibraryFunction("libtarnix-no-such-library.so.1", "strlen", &error), nullptr);
  EXPECT_NE(error.find("libtarnix-no-such-library.so.1"), std::string::npos) << error;
}
#endif

TEST(ArticleTest, JsonFieldsKeywordListAndLanguage) {
  Article a;
  std::string error;
  ASSERT_TRUE(ArticleFromJsonText(R"({"title": "T", "keywords": ["k1", "k2"], "id": 3, "text": null})",
                                  InputEncoding::kUtf8, &a, nullptr, &error)) << error;
  EXPECT_EQ(a.field[kKeywords], "k1;k2");
  EXPECT_EQ(a.field[kText], "");
  LibraryArticle lib;
  ASSERT_TRUE(PrepareArticle(a, CharacterPolicy::kStrict, &lib, &error)) << error;
  EXPECT_EQ(lib.type, 2);  // no Chinese character: English
  a.field[kAbstract] = "\xE4\xB8\xAD";  // 中
  ASSERT_TRUE(PrepareArticle(a, CharacterPolicy::kStrict, &lib, &error));
  EXPECT_EQ(lib.type, 1);
  EXPECT_EQ(lib.field[kAbstract], "\xD6\xD0");
  a.lang = "fr";
  EXPECT_FALSE(PrepareArticle(a, CharacterPolicy::kStrict, &lib, &error));
  EXPECT_EQ(error, "the language must be zh or en, not \"fr\"");

  EXPECT_FALSE(ArticleFromJsonText(R"({"keywords": ["k", 1]})", InputEncoding::kUtf8, &a, nullptr, &error));
  EXPECT_EQ(error, "the field keywords must hold texts, not number");
  EXPECT_FALSE(ArticleFromJsonText("[1]", InputEncoding::kUtf8, &a, nullptr, &error));
  EXPECT_EQ(error, "the JSON input is an array, not an object with the article's fields "
                   "(batch reads one article per line)");
  EXPECT_FALSE(ArticleFromJsonText("{\"title\": \"\xE4\xB8\"}", InputEncoding::kUtf8, &a, nullptr, &error));
  EXPECT_EQ(error, "the input is not valid UTF-8 at byte 12 (use --encoding gbk for GBK input)");
}

TEST(ArticleTest, RefusesWhatTheLibraryWouldMisread) {
  Article a;
  a.field[kTitle] = std::string("ab\0c", 4);  // the library would stop at the NUL
  LibraryArticle lib;
  std::string error;
  EXPECT_FALSE(PrepareArticle(a, CharacterPolicy::kStrict, &lib, &error));
  EXPECT_EQ(error, "the field title holds a NUL character at byte 3");
  a.field[kTitle] = "\xE3\x80\x80 \t";  // ideographic space and blanks only
  EXPECT_FALSE(PrepareArticle(a, CharacterPolicy::kStrict, &lib, &error));
  EXPECT_EQ(error.substr(0, 14), "empty article:");
  // Exactly at the limit passes; the field is measured after conversion.
  a.field[kTitle] = "t";
  a.field[kJournal] = std::string(FieldLimit(kJournal), 'j');
  EXPECT_TRUE(PrepareArticle(a, CharacterPolicy::kStrict, &lib, &error)) << error;
  a.field[kJournal] += "j";
  EXPECT_FALSE(PrepareArticle(a, CharacterPolicy::kStrict, &lib, &error));
  EXPECT_EQ(error, "the field journal is too large: 524288 bytes in GBK, the library accepts at most 524287");
}

TEST(ArticleTest, FieldsAreNormalisedUnlessStrict) {
  Article a;
  // "Gödel\u00A0résumé" and "“中文”": the English article folds é as well
  // as ö; the Chinese one keeps é, which GBK holds, and its CJK quotes.
  a.field[kTitle] = "G\xC3\xB6" "del\xC2\xA0r\xC3\xA9sum\xC3\xA9";
  LibraryArticle lib;
  std::string error;
  ASSERT_TRUE(PrepareArticle(a, CharacterPolicy::kNormalise, &lib, &error)) << error;
  EXPECT_EQ(lib.type, 2);
  EXPECT_EQ(lib.field[kTitle], "Godel resume");
  EXPECT_EQ(lib.replaced, 4u);
  EXPECT_EQ(lib.unmapped, 0u);
  a.field[kAbstract] = "\xE2\x80\x9C\xE4\xB8\xAD\xE6\x96\x87\xE2\x80\x9D";
  ASSERT_TRUE(PrepareArticle(a, CharacterPolicy::kNormalise, &lib, &error)) << error;
  EXPECT_EQ(lib.type, 1);
  EXPECT_EQ(lib.field[kTitle], "Godel r\xA8\xA6sum\xA8\xA6");
  EXPECT_EQ(lib.field[kAbstract], "\xA1\xB0\xD6\xD0\xCE\xC4\xA1\xB1");
  EXPECT_EQ(lib.replaced, 2u);
  EXPECT_FALSE(PrepareArticle(a, CharacterPolicy::kStrict, &lib, &error));
  EXPECT_EQ(error, "the field title has a character GBK cannot hold: U+00F6 \"\xC3\xB6\" at line 1, column 2 "
                   "(byte 2)");
  // Only '?' tells kReplace from kNormalise: for an emoji, which has no
  // nearest form.
  a.field[kKeywords] = "x\xF0\x9F\x98\x80";
  ASSERT_TRUE(PrepareArticle(a, CharacterPolicy::kReplace, &lib, &error)) << error;
  EXPECT_EQ(lib.field[kKeywords], "x?");
  EXPECT_EQ(lib.unmapped, 1u);
  // Nothing but no-break and zero-width spaces is an empty article.
  Article blank;
  blank.field[kTitle] = "\xC2\xA0\xE2\x80\x8B";
  EXPECT_FALSE(PrepareArticle(blank, CharacterPolicy::kNormalise, &lib, &error));
  EXPECT_EQ(error.substr(0, 14), "empty article:");
}

TEST(OptionsTest, ValuesAndMistakes) {
  const char* good[] = {"tarnix", "batch", "--jobs", "3", "--class-mode", "none", "--normalise", "ten",
                        "--top", "0", "--replace-unmappable", "in.jsonl"};
  Options o;
  std::string error;
  ASSERT_TRUE(ParseOptions(12, const_cast<char**>(good), &o, &error)) << error;
  EXPECT_EQ(o.batch.jobs, 3);
  EXPECT_EQ(o.batch.extract.class_mode, 2);
  EXPECT_EQ(o.batch.extract.normalise, Normalise::kTen);
  EXPECT_EQ(o.batch.extract.top, 0);
  EXPECT_EQ(o.files, std::vector<std::string>{"in.jsonl"});
  // A worker is started with the same settings.
  std::vector<std::string> args = WorkerArguments(o.batch);
  std::vector<char*> argv = {const_cast<char*>("tarnix")};
  for (std::string& a : args) argv.push_back(&a[0]);
  Options w;
  ASSERT_TRUE(ParseOptions(static_cast<int>(argv.size()), argv.data(), &w, &error)) << error;
  EXPECT_TRUE(w.worker);
  EXPECT_EQ(w.batch.extract.class_mode, 2);
  EXPECT_EQ(w.batch.extract.normalise, Normalise::kTen);
  EXPECT_EQ(w.batch.extract.unmappable, Unmappable::kReplace);
  EXPECT_EQ(w.batch.extract.top, 0);
  EXPECT_EQ(CharacterPolicyOf(w.batch), CharacterPolicy::kReplace);
  const char* strict[] = {"tarnix", "batch", "--strict-encoding"};
  ASSERT_TRUE(ParseOptions(3, const_cast<char**>(strict), &o, &error)) << error;
  EXPECT_EQ(CharacterPolicyOf(o.batch), CharacterPolicy::kStrict);
  args = WorkerArguments(o.batch);
  argv.resize(1);
  for (std::string& a : args) argv.push_back(&a[0]);
  ASSERT_TRUE(ParseOptions(static_cast<int>(argv.size()), argv.data(), &w, &error)) << error;
  EXPECT_EQ(CharacterPolicyOf(w.batch), CharacterPolicy::kStrict);
  const char* both[] = {"tarnix", "extract", "--strict-encoding", "--replace-unmappable"};
  EXPECT_FALSE(ParseOptions(4, const_cast<char**>(both), &o, &error));

  const char* bad_jobs[] = {"tarnix", "batch", "--jobs", "0"};
  EXPECT_FALSE(ParseOptions(4, const_cast<char**>(bad_jobs), &o, &error));
  const char* format[] = {"tarnix", "batch", "--format", "json"};
  EXPECT_FALSE(ParseOptions(4, const_cast<char**>(format), &o, &error));
  const char* missing[] = {"tarnix", "extract", "--title"};
  EXPECT_FALSE(ParseOptions(3, const_cast<char**>(missing), &o, &error));
  EXPECT_EQ(error, "the option --title needs a value");
  const char* eval[] = {"tarnix", "eval"};
  EXPECT_FALSE(ParseOptions(2, const_cast<char**>(eval), &o, &error));

  // --opt=value as well as --opt value; -h after a command is its help.
  const char* joined[] = {"tarnix", "batch", "--top=3", "--class-mode=none", "-j", "2", "--fail-on-error"};
  ASSERT_TRUE(ParseOptions(7, const_cast<char**>(joined), &o, &error)) << error;
  EXPECT_EQ(o.batch.extract.top, 3);
  EXPECT_EQ(o.batch.extract.class_mode, 2);
  EXPECT_EQ(o.batch.jobs, 2);
  EXPECT_TRUE(o.fail_on_error);
  const char* help[] = {"tarnix", "eval", "--every", "4", "-h"};
  ASSERT_TRUE(ParseOptions(5, const_cast<char**>(help), &o, &error)) << error;
  EXPECT_EQ(o.command, Command::kHelp);
  EXPECT_EQ(o.help.find("Usage: tarnix eval"), o.help.find("Usage:")) << o.help;
  // Options of another command are refused, saying whose they are.
  const char* foreign[] = {"tarnix", "extract", "--quiet", "a.json"};
  EXPECT_FALSE(ParseOptions(4, const_cast<char**>(foreign), &o, &error));
  EXPECT_EQ(error, "--quiet belongs to batch and eval, not extract");
  const char* unknown[] = {"tarnix", "batch", "--topp=3"};
  EXPECT_FALSE(ParseOptions(3, const_cast<char**>(unknown), &o, &error));
  EXPECT_EQ(error, "unknown option --topp for batch");
}

TEST(OutputTest, TableColumnsLineUpWithChineseText) {
  std::vector<Keyword> list(2);
  list[0].text = "\xE5\x9B\xBE\xE5\x83\x8F";  // 图像: four columns wide
  list[0].weight = 12.5;
  list[0].frequency = 3;
  list[1].text = "ab";
  list[1].weight = 1.0 / 3;
  list[1].frequency = 1;
  list[1].second = "a\tb";
  EXPECT_EQ(KeywordsTable(list),
            "rank  keyword    weight  freq  class  second text\n"
            "   1  \xE5\x9B\xBE\xE5\x83\x8F         12.5     3\n"
            "   2  ab       0.333333     1         a b\n");
  // A keyword too long for a terminal is cut in the table only: 40
  // columns with the ellipsis, a wide character never split.
  list[1].text = std::string(100000, 'x');
  list[1].second.clear();
  for (int i = 0; i < 30; ++i) list[1].second += "\xE5\x9B\xBE";  // 图, two columns
  const std::string table = KeywordsTable(list);
  EXPECT_NE(table.find("  " + std::string(39, 'x') + "\xE2\x80\xA6  0.333333"), std::string::npos) << table;
  EXPECT_EQ(table.find(std::string(40, 'x')), std::string::npos);
  std::string cut;
  for (int i = 0; i < 19; ++i) cut += "\xE5\x9B\xBE";
  EXPECT_NE(table.find("  " + cut + "\xE2\x80\xA6\n"), std::string::npos) << table;
  EXPECT_NE(KeywordsTsv(list).find(std::string(100000, 'x')), std::string::npos);
  list[1].text = "ab";
  list[1].second = "a\tb";
  // TSV keeps the weight's full precision and turns a tab inside a text
  // into a blank.
  EXPECT_EQ(KeywordsTsv(list),
            "rank\tkeyword\tweight\tfrequency\tclass\tsecond\n"
            "1\t\xE5\x9B\xBE\xE5\x83\x8F\t12.5\t3\t\t\n"
            "2\tab\t0.3333333333333333\t1\t\ta b\n");
}

// The list's text written directly is the text of its JSON values, for
// texts that are plain, that JSON escapes, and that are not UTF-8 at all
// (overlong forms, surrogates, cut sequences), and for all sorts of weights.
TEST(OutputTest, KeywordsJsonTextIsTheDumpOfTheJsonValues) {
  const std::vector<std::string> pieces = {"a", "Z", " ", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80", "\"", "\\", "\n", "\x01",
                                           "\x7F", "\xC0\xAF", "\xED\xA0\x80", "\xE4\xB8", "\xFF", "\xF4\x90\x80\x80",
                                           "\xC2\xA0", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF"};
  const double weights[] = {0.0, -0.0, 1.0, 748.18505859375, 1e-7, 1e21, -3.5, 0.1, 1.0 / 3.0,
                            std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::denorm_min(), 1e16, 123456789012345678.0};
  std::mt19937 random(22);
  auto text = [&]() {
    std::string s;
    for (int n = static_cast<int>(random() % 6); n > 0; --n) s += pieces[random() % pieces.size()];
    return s;
  };
  for (int round = 0; round < 500; ++round) {
    std::vector<Keyword> keywords(random() % 4);
    for (Keyword& k : keywords) {
      k.text = text();
      k.second = text();
      k.class_code = text();
      k.frequency = static_cast<int>(random() % 2000) - 5;
      // Half of them any double at all, from its bits.
      if (random() % 2) {
        const uint64_t bits = static_cast<uint64_t>(random()) << 32 | random();
        std::memcpy(&k.weight, &bits, sizeof bits);
      } else {
        k.weight = weights[random() % std::size(weights)];
      }
    }
    ASSERT_EQ(KeywordsJsonText(keywords),
              KeywordsJson(keywords).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace))
        << "round " << round;
  }
}

}  // namespace
}  // namespace cli
}  // namespace tarnix
