#include "general_words.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "test_dictionaries.h"
#include "test_support.h"

namespace tarnix {
namespace {

using tarnix_testing::LoadDictionary;

TEST(PosAndFreTest, OnlyTheFirstPairWithTheCodeDecides) {
  EXPECT_TRUE(PosAndFre("w 20 17 38 3", 20, 16));
  EXPECT_FALSE(PosAndFre("w 20 17 38 3", 38, 16));
  EXPECT_FALSE(PosAndFre("w 20 17 38 3", 5, 16));
  EXPECT_FALSE(PosAndFre("w 20 3 20 40", 20, 16));
  EXPECT_TRUE(PosAndFre("w 7 1 20 40 20 3", 20, 16));
}

TEST(PosAndFreTest, MalformedTextsAreNotGeneral) {
  EXPECT_FALSE(PosAndFre(nullptr, 20, 0));
  EXPECT_FALSE(PosAndFre("", 20, 0));
  EXPECT_FALSE(PosAndFre("w", 20, 0));        // nothing after the ignored token
  EXPECT_FALSE(PosAndFre("w 20", 20, 0));     // a key without a value
  EXPECT_FALSE(PosAndFre("w 20 17 38", 38, 0));
  EXPECT_TRUE(PosAndFre("w 20 17 38", 20, 17));
}

TEST(PosAndFreTest, HugeNumbersStayAtTheBound) {
  // 99999999999 wrapped into 32 bits would be 1215752191.
  EXPECT_TRUE(PosAndFre("w 20 99999999999", 20, INT_MAX));
  EXPECT_TRUE(PosAndFre("w 99999999999 5", INT_MAX, 5));
  EXPECT_FALSE(PosAndFre("w 20 2147483646", 20, INT_MAX));
}

TEST(PosAndFreEnglishTest, RecordsAreSearchedInOrder) {
  EXPECT_TRUE(PosAndFreEnglish("x,n,4000;y,v,10", "v", 5));
  EXPECT_FALSE(PosAndFreEnglish("x,n,4000;y,v,10", "n", 4001));
  EXPECT_TRUE(PosAndFreEnglish("x,n,4000;y,v,10", "n", 4000));
  // Letters are everything between the first and the last comma.
  EXPECT_TRUE(PosAndFreEnglish("x,a,b,9", "a,b", 9));
  EXPECT_FALSE(PosAndFreEnglish("x,a,b,9", "a", 1));
  EXPECT_FALSE(PosAndFreEnglish("x,N,9", "n", 1));
  EXPECT_TRUE(PosAndFreEnglish("x,n,9;", "n", 9));
  EXPECT_FALSE(PosAndFreEnglish("x,n,9;", "v", 1));
}

TEST(PosAndFreEnglishTest, AMalformedRecordEndsTheSearch) {
  EXPECT_FALSE(PosAndFreEnglish("abc;x,n,9", "n", 1));
  EXPECT_FALSE(PosAndFreEnglish("x,n;y,n,9", "n", 1));  // one comma only
  EXPECT_FALSE(PosAndFreEnglish(",n,9", "n", 1));       // first comma first
  EXPECT_FALSE(PosAndFreEnglish("", "n", 0));
  EXPECT_FALSE(PosAndFreEnglish(nullptr, "n", 0));
  EXPECT_FALSE(PosAndFreEnglish("x,n,9", nullptr, 0));
}

TEST(PosAndFreEnglishTest, ADoubledSemicolonJoinsTheNextRecord) {
  EXPECT_TRUE(PosAndFreEnglish("x,n,9;;y,v,9", "v", 1));
  // The absorbed ";" makes the first field ";y", so a record that would
  // otherwise start with its comma stays valid.
  EXPECT_TRUE(PosAndFreEnglish("x,n,9;;,v,9", "v", 1));
}

class GeneralWordsTest : public tarnix_testing::ScriptedTest {
 protected:
  size_t Lookups() const { return scripted::CallsTo("Dict_Search_Get_Info").size(); }
  size_t OpenHandles() const { return scripted::Lexmill().handles.size(); }
};

TEST_F(GeneralWordsTest, StrictAndLenientThresholds) {
  LoadDictionary("sys_general_dic", {{"ab", "x 1 1"}, {"cd", "x 20 18"}, {"ef", "x 22 15"},
                                     {"gh", "x 14 24"}, {"ij", "x 20 16"}});
  EXPECT_TRUE(IsGeneralChinese("ab"));
  EXPECT_TRUE(IsGeneralChineseStrict("ab"));
  EXPECT_TRUE(IsGeneralChinese("cd"));
  EXPECT_FALSE(IsGeneralChineseStrict("cd"));
  EXPECT_TRUE(IsGeneralChinese("ef"));
  EXPECT_FALSE(IsGeneralChineseStrict("ef"));
  EXPECT_FALSE(IsGeneralChinese("gh"));
  EXPECT_TRUE(IsGeneralChinese("ij"));
  EXPECT_FALSE(IsGeneralChinese("zz"));  // not in the dictionary
  EXPECT_EQ(OpenHandles(), 0u);
  auto lookups = scripted::CallsTo("Dict_Search_Get_Info");
  ASSERT_FALSE(lookups.empty());
  EXPECT_EQ(lookups[0].args[2], "64");
}

TEST_F(GeneralWordsTest, OnlyWordsOfUpToEightBytesAreLookedUp) {
  LoadDictionary("sys_general_dic", {{"12345678", "x 1 1"}, {"123456789", "x 1 1"}});
  EXPECT_TRUE(IsGeneralChinese("12345678"));
  const size_t before = Lookups();
  EXPECT_FALSE(IsGeneralChinese("123456789"));
  EXPECT_FALSE(IsGeneralChineseStrict("123456789"));
  EXPECT_FALSE(IsGeneralChinese(""));
  EXPECT_FALSE(IsGeneralChinese(nullptr));
  EXPECT_EQ(Lookups(), before);
}

TEST_F(GeneralWordsTest, TheConfiguredGeneralDictionaryIsRead) {
  LoadDictionary("sys_general_dic", {{"ab", "x 1 1"}});
  LoadDictionary("OtherGeneral", {{"cd", "x 1 1"}});
  WriteFile("EKVR.ini", "[DictInfo]\nsys_general_dic=OtherGeneral\n");
  EXPECT_FALSE(IsGeneralChinese("ab"));
  EXPECT_TRUE(IsGeneralChinese("cd"));
  scripted::Lexmill().loaded.erase("OtherGeneral");
  EXPECT_FALSE(IsGeneralChinese("cd"));
}

class HighFreStructureTest : public GeneralWordsTest {
 protected:
  void SetUp() override {
    GeneralWordsTest::SetUp();
    LoadDictionary("sys_general_dic", {{"aa", "x 1 16"}, {"bb", "x 20 16"}, {"cc", "x 8 30"},
                                       {"dd", "x 38 20"}, {"ee", "x 2 16 1 3"}, {"ff", "x 20 15"}});
  }
  void Segment(const std::string& word, std::vector<int> ends) {
    scripted::Lexmill().segments[word] = std::move(ends);
  }
};

TEST_F(HighFreStructureTest, TwoPartPatterns) {
  Segment("aabb", {2, 4});
  Segment("ccdd", {2, 4});
  Segment("eedd", {2, 4});
  Segment("aadd", {2, 4});  // 1 with 38 is no pattern
  Segment("aaff", {2, 4});  // the second part is too rare
  Segment("bbaa", {2, 4});  // the parts in the wrong order
  EXPECT_EQ(HighFreStructure("aabb"), kHighFreStructure);
  EXPECT_EQ(HighFreStructure("ccdd"), kHighFreStructure);
  EXPECT_EQ(HighFreStructure("eedd"), kHighFreStructure);
  EXPECT_EQ(HighFreStructure("aadd"), kHighFreNoPattern);
  EXPECT_EQ(HighFreStructure("aaff"), kHighFreNoPattern);
  EXPECT_EQ(HighFreStructure("bbaa"), kHighFreNoPattern);
  EXPECT_EQ(OpenHandles(), 0u);

  auto sect = scripted::CallsTo("QX_Word_Sect");
  ASSERT_FALSE(sect.empty());
  EXPECT_EQ(sect[0].args, (std::vector<std::string>{"aabb", "4", sect[0].args[2], "0", "null",
                                                    "2048", "0", "0", "0"}));
  auto lookups = scripted::CallsTo("Dict_Search_Get_Info");
  ASSERT_GE(lookups.size(), 2u);
  EXPECT_EQ(lookups[0].args[0], "aa");
  EXPECT_EQ(lookups[1].args[0], "bb");
  EXPECT_EQ(lookups[0].args[2], "63");
}

TEST_F(HighFreStructureTest, ResultCodes) {
  Segment("aa", {2});
  Segment("aabbcc", {2, 4, 6});
  Segment("aazz", {2, 4});
  Segment("aabbx", {2, 9});  // the engine points past the word
  EXPECT_EQ(HighFreStructure(nullptr), kHighFreNoWord);
  EXPECT_EQ(HighFreStructure("12345678901234"), kHighFreNoWord);
  EXPECT_EQ(HighFreStructure("aa"), kHighFreNotTwoParts);
  EXPECT_EQ(HighFreStructure("aabbcc"), kHighFreNotTwoParts);
  EXPECT_EQ(HighFreStructure("aabbx"), kHighFreNotTwoParts);
  EXPECT_EQ(HighFreStructure("unscripted"), kHighFreNotSegmented);
  EXPECT_EQ(HighFreStructure("aazz"), kHighFrePartUnknown);
  // A 13-byte word is segmented.
  Segment("aabbbbbbbbbbb", {2, 13});
  EXPECT_EQ(HighFreStructure("aabbbbbbbbbbb"), kHighFrePartUnknown);
  EXPECT_EQ(OpenHandles(), 0u);
  scripted::Lexmill().loaded.clear();
  EXPECT_EQ(HighFreStructure("aabb"), kHighFreNoDictionary);
}

class EnglishStructureTest : public GeneralWordsTest {
 protected:
  bool Test(const std::string& word) {
    ArticleTerm term = scripted::Term(word, 1.0f, 0);
    return IsGeneralStructEnglish(&term);
  }
};

TEST_F(EnglishStructureTest, GeneralStructures) {
  LoadDictionary("EnglishGeneral", {{"big", "1,a,4600"},
                                    {"house", "1,n,4600"},
                                    {"small", "1,a,4599"},
                                    {"two", "1,m,1"},
                                    {"went", "1,n,3;2,v,1"},
                                    {"very", "1,r,50"},
                                    {"much", "1,d,1"},
                                    {"big house", "1,v,1"}});
  EXPECT_TRUE(Test("big house"));
  EXPECT_FALSE(Test("small house"));
  EXPECT_TRUE(Test("two went"));
  EXPECT_FALSE(Test("very much"));
  EXPECT_TRUE(Test("house much"));   // n >= 1 with d >= 1
  EXPECT_TRUE(Test("big much"));     // a >= 1 with d >= 1
  EXPECT_FALSE(Test("big unknown"));
  EXPECT_FALSE(Test("unknown house"));
  // Everything after the first space is the second part.
  EXPECT_TRUE(Test("two big house"));
  EXPECT_FALSE(Test("two big"));
  EXPECT_EQ(OpenHandles(), 0u);
}

TEST_F(EnglishStructureTest, WordsWithoutASplittingSpaceAreNotLookedUp) {
  LoadDictionary("EnglishGeneral", {{"house", "1,n,4600"}});
  EXPECT_FALSE(Test("house"));
  EXPECT_FALSE(Test(" house"));
  EXPECT_FALSE(Test("a"));
  EXPECT_FALSE(IsGeneralStructEnglish(nullptr));
  EXPECT_TRUE(scripted::CallsTo("Dict_Get_Handle").empty());
}

TEST_F(EnglishStructureTest, TheConfiguredDictionaryIsRead) {
  LoadDictionary("EnglishGeneral", {});
  LoadDictionary("MyEnglish", {{"big", "1,a,4600"}, {"house", "1,n,4600"}});
  EXPECT_FALSE(Test("big house"));
  WriteFile("Tarnix.ini", "[DictInfo]\ntarnix_genneral_dict=MyEnglish\n");
  EXPECT_TRUE(Test("big house"));
  auto lookups = scripted::CallsTo("Dict_Search_Get_Info");
  ASSERT_FALSE(lookups.empty());
  EXPECT_EQ(lookups.back().args[2], "255");
}

TEST_F(GeneralWordsTest, GeneralAbstractCandidatesAreErased) {
  LoadDictionary("sys_general_dic", {{"ab", "x 1 1"}, {"cd", "x 20 3"}});
  TermIndexMap abstword{{"ab", 0}, {"cd", 1}, {"ab", 2}, {"ef", 3}, {"123456789", 4}};
  General_Abstword(abstword);
  TermIndexMap expected{{"cd", 1}, {"ef", 3}, {"123456789", 4}};
  EXPECT_EQ(abstword, expected);

  scripted::Lexmill().loaded.clear();
  TermIndexMap untouched{{"ab", 0}};
  General_Abstword(untouched);
  EXPECT_EQ(untouched.size(), 1u);
}

}  // namespace
}  // namespace tarnix
