#include "profile.h"

#include <chrono>
#include <filesystem>
#include <string>

#include "test_support.h"

namespace tarnix {
namespace {

class ProfileTest : public tarnix_testing::ScriptedTest {
 protected:
  // Reads key of section from "p.ini" into a buffer of `size` bytes.
  std::string Read(const char* section, const char* key, const char* fallback = "dflt",
                   uint32_t size = 128, const char* file = ".\\p.ini") {
    std::string buffer(size + 8, '#');
    returned_ = PortableProfileString(section, key, fallback, buffer.data(), size, file);
    EXPECT_EQ(buffer[returned_], '\0');
    EXPECT_LT(returned_, size);
    EXPECT_EQ(buffer[size], '#') << "wrote beyond the buffer";
    return buffer.substr(0, returned_);
  }
  uint32_t returned_ = 0;
};

TEST_F(ProfileTest, NamesIgnoreCaseAndBlanksAroundNamesAndValues) {
  WriteFile("p.ini",
            "[Other]\r\nname=other\r\n"
            "  [DictInfo]  \r\n"
            "  Tarnix_Sim_Dict   =   MySim Dict  \r\n"
            "\tcount\t=\t7\t\r\n");
  EXPECT_EQ(Read("dictinfo", "TARNIX_SIM_DICT"), "MySim Dict");
  EXPECT_EQ(returned_, 10u);
  EXPECT_EQ(Read(" DICTINFO ", " count "), "7");
  EXPECT_EQ(Read("Other", "name"), "other");
  EXPECT_EQ(Read("Other", "count"), "dflt");
}

TEST_F(ProfileTest, OnePairOfMatchingQuotesIsRemoved) {
  WriteFile("p.ini",
            "[s]\n"
            "dq=\"quoted value\"\n"
            "sq='single'\n"
            "inner=\"\"twice\"\"\n"
            "open=\"unbalanced\n"
            "mixed=\"mixed'\n"
            "lone=\"\n");
  EXPECT_EQ(Read("s", "dq"), "quoted value");
  EXPECT_EQ(Read("s", "sq"), "single");
  EXPECT_EQ(Read("s", "inner"), "\"twice\"");
  EXPECT_EQ(Read("s", "open"), "\"unbalanced");
  EXPECT_EQ(Read("s", "mixed"), "\"mixed'");
  EXPECT_EQ(Read("s", "lone"), "\"");
}

TEST_F(ProfileTest, EmptyValuesMissingKeysAndMissingFiles) {
  WriteFile("p.ini", "[s]\nempty=\nblank=   \nbare\n; note=commented\n");
  EXPECT_EQ(Read("s", "empty"), "");
  EXPECT_EQ(Read("s", "blank"), "");
  EXPECT_EQ(Read("s", "bare"), "dflt");  // a key without "=" has no value
  EXPECT_EQ(Read("s", "note"), "dflt");
  EXPECT_EQ(Read("s", "absent"), "dflt");
  EXPECT_EQ(Read("t", "empty"), "dflt");
  EXPECT_EQ(Read("s", "empty", "dflt", 128, ".\\missing.ini"), "dflt");
  EXPECT_EQ(Read("s", "absent", nullptr), "");
  EXPECT_EQ(Read("s", "absent", "trailing   "), "trailing");
  EXPECT_EQ(Read("s", "", "dflt"), "dflt");
}

TEST_F(ProfileTest, LongValuesAndDefaultsAreCutToTheBuffer) {
  const std::string value(300, 'v');
  WriteFile("p.ini", "[s]\nlong=" + value + "\nquoted=\"abcdef\"\nfits=\"ab\"\n");
  EXPECT_EQ(Read("s", "long"), value.substr(0, 127));
  EXPECT_EQ(returned_, 127u);
  EXPECT_EQ(Read("s", "long", "", 1), "");
  EXPECT_EQ(Read("s", "quoted", "", 4), "abc");
  EXPECT_EQ(Read("s", "fits", "", 3), "ab");
  EXPECT_EQ(Read("s", "absent", "defaultvalue", 5), "defa");
  EXPECT_EQ(Read("s", "absent", "defaultvalue", 5, ".\\missing.ini"), "defa");
  char untouched = 'x';
  EXPECT_EQ(PortableProfileString("s", "long", "", &untouched, 0, ".\\p.ini"), 0u);
  EXPECT_EQ(untouched, 'x');
}

TEST_F(ProfileTest, FirstSectionAndFirstKeyOfANameCount) {
  WriteFile("p.ini", "top=before\n[s]\nk=1\nK=2\n[S]\nk=3\nother=4\n");
  EXPECT_EQ(Read("s", "k"), "1");
  EXPECT_EQ(Read("s", "other"), "dflt");
  EXPECT_EQ(Read("", "top"), "before");
}

TEST_F(ProfileTest, AnEditedFileTakesEffectAtTheNextRead) {
  WriteFile("p.ini", "[s]\nk=one\n");
  EXPECT_EQ(Read("s", "k"), "one");
  WriteFile("p.ini", "[s]\nk=three\n");
  EXPECT_EQ(Read("s", "k"), "three");
  // Same size: only the modification time tells the versions apart.
  WriteFile("p.ini", "[s]\nk=tree3\n");
  auto path = std::filesystem::path(dir()) / "p.ini";
  std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) +
                                             std::chrono::seconds(2));
  EXPECT_EQ(Read("s", "k"), "tree3");
  std::filesystem::remove(path);
  EXPECT_EQ(Read("s", "k"), "dflt");
}

// Two writes of the same size within one tick of the file system's clock
// leave the same stamp: a copy read while the file was that young is not
// trusted, one read when the file had settled is.
TEST_F(ProfileTest, ASecondWriteInTheSameTickIsSeen) {
  const auto path = std::filesystem::path(dir()) / "p.ini";
  WriteFile("p.ini", "[s]\nk=one\n");
  const auto stamp = std::filesystem::last_write_time(path);
  EXPECT_EQ(Read("s", "k"), "one");
  WriteFile("p.ini", "[s]\nk=two\n");
  std::filesystem::last_write_time(path, stamp);  // the same tick
  EXPECT_EQ(Read("s", "k"), "two");

  // A settled file: its stamp is trusted, and a rewrite that keeps the
  // stamp is not looked at (nothing writes a file ten seconds in the past
  // by accident).
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::seconds(10);
  std::filesystem::last_write_time(path, old);
  EXPECT_EQ(Read("s", "k"), "two");
  WriteFile("p.ini", "[s]\nk=six\n");
  std::filesystem::last_write_time(path, old);
  EXPECT_EQ(Read("s", "k"), "two");
}

TEST_F(ProfileTest, WithinACheckScopeAFileIsCheckedOnceThenAgainInTheNextScope) {
  WriteFile("p.ini", "[s]\nk=one\n");
  {
    ProfileCheckScope article;
    EXPECT_EQ(Read("s", "k"), "one");
    WriteFile("p.ini", "[s]\nk=three\n");
    EXPECT_EQ(Read("s", "k"), "one");
    {
      ProfileCheckScope nested;  // does not start a new check
      EXPECT_EQ(Read("s", "k"), "one");
    }
    EXPECT_EQ(Read("s", "k"), "one");
  }
  {
    ProfileCheckScope next_article;
    EXPECT_EQ(Read("s", "k"), "three");
    std::filesystem::remove(std::filesystem::path(dir()) / "p.ini");
    EXPECT_EQ(Read("s", "k"), "three");
  }
  // A missing file is remembered as missing for the scope too.
  {
    ProfileCheckScope article;
    EXPECT_EQ(Read("s", "k"), "dflt");
    WriteFile("p.ini", "[s]\nk=four\n");
    EXPECT_EQ(Read("s", "k"), "dflt");
  }
  EXPECT_EQ(Read("s", "k"), "four");
}

// Within a scope several files read in turn, and one file under two
// spellings, each give their own values.
TEST_F(ProfileTest, WithinAScopeManyFilesReadInTurnKeepTheirOwnValues) {
  for (int f = 0; f < 6; ++f) {
    WriteFile("f" + std::to_string(f) + ".ini", "[s]\nk=v" + std::to_string(f) + "\n");
  }
  ProfileCheckScope article;
  for (int round = 0; round < 3; ++round) {
    for (int f = 0; f < 6; ++f) {
      const std::string name = (f % 2 ? ".\\f" : "./f") + std::to_string(f) + ".ini";
      EXPECT_EQ(Read("s", "k", "dflt", 128, name.c_str()), "v" + std::to_string(f)) << name;
    }
  }
  EXPECT_EQ(Read("s", "k", "dflt", 128, "./f3.ini"), "v3");
  EXPECT_EQ(Read("s", "k", "dflt", 128, ".\\f3.ini"), "v3");
  EXPECT_EQ(Read("s", "k", "dflt", 128, "./missing.ini"), "dflt");
}

TEST_F(ProfileTest, GbkBytesPassThroughUntouched) {
  const std::string gbk = "\xD6\xD0\xCE\xC4";  // two GBK characters
  WriteFile("p.ini", "\xEF\xBB\xBF[s]\nname=" + gbk + "\n");
  EXPECT_EQ(Read("s", "name"), gbk);
}

TEST_F(ProfileTest, SectionHeadersAreTrimmedInsideTheBrackets) {
  WriteFile("p.ini", "[ Spaced ]\nk=v\n[\tTabbed\t]\nk=tab\n");
  EXPECT_EQ(Read("Spaced", "k"), "v");
  EXPECT_EQ(Read(" spaced ", "k"), "v");
  EXPECT_EQ(Read("Tabbed", "k"), "tab");
}

TEST_F(ProfileTest, ACarriageReturnEndsALine) {
  WriteFile("p.ini", "[cr]\rk=v\rlast=end");
  EXPECT_EQ(Read("cr", "k"), "v");
  EXPECT_EQ(Read("cr", "last"), "end");
  WriteFile("p.ini", "[m]\na=1\rb=2\r\nc=3\n");
  EXPECT_EQ(Read("m", "a"), "1");
  EXPECT_EQ(Read("m", "b"), "2");
  EXPECT_EQ(Read("m", "c"), "3");
}

TEST_F(ProfileTest, TheDefaultLosesItsQuotesToo) {
  WriteFile("p.ini", "[q]\nk=v\n");
  EXPECT_EQ(Read("q", "absent", "\"quoted default\""), "quoted default");
  EXPECT_EQ(Read("q", "absent", "'single'"), "single");
  EXPECT_EQ(Read("q", "absent", "\"ab\"  "), "ab");  // trailing blanks go first
  EXPECT_EQ(Read("q", "absent", "\"ab'"), "\"ab'");
  EXPECT_EQ(Read("q", "absent", "\""), "\"");
  EXPECT_EQ(Read("q", "absent", "\"quoted default\"", 5), "quot");
  EXPECT_EQ(Read("q", "absent", "\"quoted\"", 128, ".\\missing.ini"), "quoted");
}

TEST_F(ProfileTest, AnEmptyKeyNameFindsALineWithoutName) {
  WriteFile("p.ini", "[e]\nk=v\n=nokey\n  = second\n[f]\nk=v\n");
  EXPECT_EQ(Read("e", ""), "nokey");
  EXPECT_EQ(Read("e", "  "), "nokey");
  EXPECT_EQ(Read("f", ""), "dflt");
}

TEST_F(ProfileTest, CommentLinesAreKeysThatNobodyAsksFor) {
  WriteFile("p.ini", "; top\n[c]\n;k=commented\nk=v ; inline\n  ; indented=x\n;[fake]\nafter=1\n");
  EXPECT_EQ(Read("c", "k"), "v ; inline");
  EXPECT_EQ(Read("c", ";k"), "commented");
  EXPECT_EQ(Read("c", "; indented"), "x");
  EXPECT_EQ(Read("c", "indented"), "dflt");
  EXPECT_EQ(Read("c", "after"), "1");  // ";[fake]" is no header
}

}  // namespace
}  // namespace tarnix
