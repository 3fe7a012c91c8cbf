#include "word_tests.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "test_support.h"

namespace tarnix {
namespace {

using scripted::CallsTo;
using scripted::Lexmill;

// Three GBK characters.
const std::string kZhong = "\xD6\xD0";
const std::string kWen = "\xCE\xC4";
const std::string kJian = "\xBC\xFE";

class WordTestsTest : public tarnix_testing::ScriptedTest {
 protected:
  void LoadDictionary(const std::string& name, scripted::Entries entries) {
    Lexmill().dictionaries[name].entries = std::move(entries);
    Lexmill().loaded.insert(name);
  }
  // Every handle taken has been given back.
  void ExpectHandlesReleased() {
    EXPECT_TRUE(Lexmill().handles.empty());
    EXPECT_FALSE(CallsTo("Dict_Delete_Handle").empty());
  }
};

TEST_F(WordTestsTest, ContraWordReversesCharactersKeepingDoubleByteCharactersWhole) {
  std::string ascii = "abc";
  EXPECT_TRUE(ContraWord(ascii));
  EXPECT_EQ(ascii, "cba");

  const std::string original = kZhong + kWen + kJian;
  std::string gbk = original;
  EXPECT_TRUE(ContraWord(gbk));
  EXPECT_EQ(gbk, kJian + kWen + kZhong);
  EXPECT_TRUE(ContraWord(gbk));
  EXPECT_EQ(gbk, original);

  std::string mixed = "a" + kZhong + "b";
  EXPECT_TRUE(ContraWord(mixed));
  EXPECT_EQ(mixed, "b" + kZhong + "a");

  auto calls = CallsTo("Code_Determine");
  ASSERT_FALSE(calls.empty());
  // text, length, count before the call, then the two zeros.
  EXPECT_EQ(calls[0].args, (std::vector<std::string>{"abc", "3", "-1", "0", "0"}));
}

TEST_F(WordTestsTest, ContraWordLeavesOneCharacterAsItIs) {
  std::string one = "x";
  EXPECT_TRUE(ContraWord(one));
  EXPECT_EQ(one, "x");
  std::string wide = kWen;
  EXPECT_TRUE(ContraWord(wide));
  EXPECT_EQ(wide, kWen);
}

TEST_F(WordTestsTest, ContraWordTakesUpTo127Bytes) {
  std::string longest(126, 'a');
  longest += 'z';
  EXPECT_TRUE(ContraWord(longest));
  EXPECT_EQ(longest, "z" + std::string(126, 'a'));

  std::string too_long(127, 'a');
  too_long += 'z';
  const std::string kept = too_long;
  EXPECT_FALSE(ContraWord(too_long));
  EXPECT_EQ(too_long, kept);
  EXPECT_EQ(CallsTo("Code_Determine").size(), 1u);  // only the 127-byte text

  std::string empty;
  EXPECT_FALSE(ContraWord(empty));
  EXPECT_TRUE(LogMessages().empty());
}

TEST_F(WordTestsTest, ContraWordKeepsTheTextWhenTheEngineCannotCutIt) {
  Lexmill().code_determine_result = false;
  std::string text = "abc";
  EXPECT_FALSE(ContraWord(text));
  EXPECT_EQ(text, "abc");

  // Boundaries that do not cover the text would lose bytes.
  Lexmill().code_determine_result = true;
  Lexmill().characters["abcd"] = {1, 2};
  std::string short_cut = "abcd";
  EXPECT_FALSE(ContraWord(short_cut));
  EXPECT_EQ(short_cut, "abcd");
  Lexmill().characters["abcd"] = {2, 1, 4};
  EXPECT_FALSE(ContraWord(short_cut));
  EXPECT_EQ(short_cut, "abcd");
  Lexmill().characters["abcd"] = {};
  EXPECT_FALSE(ContraWord(short_cut));
  EXPECT_EQ(short_cut, "abcd");

  // Boundaries the engine chooses are followed as given.
  Lexmill().characters["abcd"] = {3, 4};
  EXPECT_TRUE(ContraWord(short_cut));
  EXPECT_EQ(short_cut, "dabc");
}

TEST_F(WordTestsTest, GetSimlarityReadsTheFirstMatchOfThePattern) {
  LoadDictionary("QOVA_SIM_CHN_DICT", {{"XAB", "AB:0.9;B:0.7;"}, {"XB", "B:0.7"},
                                       {"XC", "C:0.25;"}, {"XD", "CD:0.5;"}});
  // "B:" first occurs at the end of the entry for AB.
  EXPECT_DOUBLE_EQ(GetSimlarity("XAB", "B"), 0.9);
  EXPECT_NEAR(GetSimlarity("XAB", "AB"), 0.9, 1e-12);
  EXPECT_NEAR(GetSimlarity("XC", "C"), 0.25, 1e-12);
  // No closing ";", no entry for b, no entry for a.
  EXPECT_EQ(GetSimlarity("XB", "B"), 0.0);
  EXPECT_EQ(GetSimlarity("XD", "E"), 0.0);
  EXPECT_DOUBLE_EQ(GetSimlarity("XD", "D"), 0.5);  // inside the entry for CD
  EXPECT_EQ(GetSimlarity("missing", "B"), 0.0);

  auto searches = CallsTo("Dict_Search_Get_Info");
  ASSERT_EQ(searches.size(), 7u);
  EXPECT_EQ(searches[0].args[0], "XAB");
  EXPECT_EQ(searches[0].args[2], "1024");
  ExpectHandlesReleased();
  EXPECT_TRUE(LogMessages().empty());
}

TEST_F(WordTestsTest, GetSimlarityOfEqualTextsNeedsNoDictionary) {
  EXPECT_EQ(GetSimlarity("AB", "AB"), 1.0);
  EXPECT_EQ(GetSimlarity(nullptr, "AB"), 0.0);
  EXPECT_EQ(GetSimlarity("AB", nullptr), 0.0);
  EXPECT_TRUE(scripted::Calls().empty());
  EXPECT_TRUE(LogMessages().empty());
}

TEST_F(WordTestsTest, GetSimlarityWithoutDictionaryLogsTheDefaultName) {
  WriteFile("Tarnix.ini", "[DictInfo]\ntarnix_sim_dict=OtherSim\n");
  EXPECT_EQ(GetSimlarity("XAB", "AB"), 0.0);
  ASSERT_EQ(CallsTo("Dict_Get_Handle").size(), 1u);
  EXPECT_EQ(CallsTo("Dict_Get_Handle")[0].args,
            (std::vector<std::string>{"OtherSim", ""}));
  EXPECT_EQ(LogMessages(),
            std::vector<std::string>{"GetSimlarity function: can not Getdict QOVA_SIM_CHN_DICT!"});

  // The name is read again at the next call.
  LoadDictionary("OtherSim", {{"XAB", "AB:0.75;"}});
  EXPECT_DOUBLE_EQ(GetSimlarity("XAB", "AB"), 0.75);
  ExpectHandlesReleased();
}

TEST_F(WordTestsTest, GetSimlarityDoesNotLookUpAWordTooLongForItsKey) {
  const std::string a(256, 'a');
  LoadDictionary("QOVA_SIM_CHN_DICT", {{a, "a:0.9;"}, {a.substr(0, 255), "a:0.9;"}});
  EXPECT_EQ(GetSimlarity(a.c_str(), "a"), 0.0);
  EXPECT_TRUE(CallsTo("Dict_Search_Get_Info").empty());
  EXPECT_DOUBLE_EQ(GetSimlarity(a.substr(0, 255).c_str(), "a"), 0.9);
  ExpectHandlesReleased();
}

TEST_F(WordTestsTest, NumStrValueReadsPlainDecimals) {
  // The fraction is folded in from its last digit, one tenth at a time, so
  // "0.6" reads as (0 + 6) x 0.1, just above the double nearest to 0.6: a
  // similarity written 0.6 passes a "greater than 0.6" test.
  EXPECT_EQ(NumStrValue("0.6"), (0.0 + 6) * 0.1);
  EXPECT_GT(NumStrValue("0.6"), 0.6);
  EXPECT_DOUBLE_EQ(NumStrValue("0.85"), 0.85);
  EXPECT_LT(NumStrValue("0.59"), 0.6);
  EXPECT_EQ(NumStrValue("12"), 12.0);
  EXPECT_EQ(NumStrValue(".5"), 0.5);
  EXPECT_EQ(NumStrValue("3."), 3.0);
  EXPECT_EQ(NumStrValue("10.125"), 10.125);
  EXPECT_NEAR(NumStrValue("0." + std::string(30, '3')), 1.0 / 3, 1e-15);
  EXPECT_EQ(NumStrValue(""), 0.0);
  EXPECT_EQ(NumStrValue("."), 0.0);
  // A run of digits far beyond any integer type stays defined: far beyond
  // any double, it is infinity.
  EXPECT_GT(NumStrValue(std::string(300, '9')), 1e299);
  EXPECT_TRUE(std::isinf(NumStrValue(std::string(400, '9'))));
}

TEST_F(WordTestsTest, ByteClassTests) {
  EXPECT_TRUE(IsNumStr("0123456789"));
  EXPECT_TRUE(IsNumStr(""));
  EXPECT_FALSE(IsNumStr("12a"));
  EXPECT_FALSE(IsNumStr("1.5"));
  EXPECT_FALSE(IsNumStr(nullptr));

  EXPECT_TRUE(HaveCapital("neural Network"));
  EXPECT_TRUE(HaveCapital("Z"));
  EXPECT_FALSE(HaveCapital("network"));
  EXPECT_FALSE(HaveCapital(kZhong.c_str()));
  EXPECT_FALSE(HaveCapital(nullptr));
}

TEST_F(WordTestsTest, SameHeadAndSameTailCompareTheShorterLength) {
  EXPECT_TRUE(SameHead("was", "was "));
  EXPECT_TRUE(SameHead("was found", "was "));
  EXPECT_FALSE(SameHead("was ", "was "));
  EXPECT_FALSE(SameHead("wax found", "was "));
  EXPECT_TRUE(SameHead("", "was "));
  EXPECT_FALSE(SameHead(nullptr, "was "));

  EXPECT_TRUE(SameTail("results to", " to"));
  EXPECT_TRUE(SameTail(" to", "go to"));
  EXPECT_FALSE(SameTail("toto", " to"));
  EXPECT_FALSE(SameTail(" to", " to"));
  EXPECT_FALSE(SameTail("results to", nullptr));
}

TEST_F(WordTestsTest, IsGeneralEnglishCatchesPatternsWithoutTheDictionary) {
  for (const char* word : {"is found", "results to", "during", "123", "cat", "it was",
                           "also used", "they have", "were", "to"}) {
    EXPECT_TRUE(IsGeneralEnglish(word)) << word;
  }
  EXPECT_TRUE(CallsTo("Dict_Get_Handle").empty());
  EXPECT_FALSE(IsGeneralEnglish(""));
  EXPECT_FALSE(IsGeneralEnglish(nullptr));
}

TEST_F(WordTestsTest, IsGeneralEnglishAsksTheDictionaryForTheRest) {
  LoadDictionary("EnglishGeneral", {{"cats", ""}, {"During", ""}});
  EXPECT_TRUE(IsGeneralEnglish("cats"));
  EXPECT_TRUE(IsGeneralEnglish("During"));
  EXPECT_FALSE(IsGeneralEnglish("Cat"));  // a capital sends even short words on
  EXPECT_FALSE(IsGeneralEnglish("network"));
  EXPECT_FALSE(IsGeneralEnglish("Is found"));  // the patterns are case-sensitive

  auto searches = CallsTo("Dict_Search_Get_Info");
  ASSERT_EQ(searches.size(), 5u);
  EXPECT_EQ(searches[2].args[0], "Cat");
  EXPECT_EQ(searches[2].args[2], "255");
  ExpectHandlesReleased();
}

TEST_F(WordTestsTest, IsGeneralEnglishWithoutDictionaryIsFalseAndQuiet) {
  WriteFile("Tarnix.ini", "[DictInfo]\ntarnix_genneral_dict=MyGeneral\n");
  LoadDictionary("EnglishGeneral", {{"cats", ""}});
  EXPECT_FALSE(IsGeneralEnglish("cats"));
  ASSERT_EQ(CallsTo("Dict_Get_Handle").size(), 1u);
  EXPECT_EQ(CallsTo("Dict_Get_Handle")[0].args[0], "MyGeneral");
  EXPECT_TRUE(CallsTo("Dict_Search_Get_Info").empty());
  EXPECT_TRUE(LogMessages().empty());
}

}  // namespace
}  // namespace tarnix
