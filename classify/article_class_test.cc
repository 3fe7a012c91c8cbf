#include "article_class.h"

#include <string>

#include "test_support.h"

namespace tarnix {
namespace {

using scripted::Extend;

TEST(ClassMatchDepthTest, CharacterModeCountsSharedCharactersBeforeTheFirstDot) {
  EXPECT_EQ(ClassMatchDepth("TP391.1", "TP391.4", 0), 5);
  EXPECT_EQ(ClassMatchDepth("TP391", "TP391.1", 0), 5);
  EXPECT_EQ(ClassMatchDepth("TP31", "TP39", 0), 3);
  EXPECT_EQ(ClassMatchDepth("A", "B", 0), 0);
  EXPECT_EQ(ClassMatchDepth(".A", ".A", 0), 0);
}

TEST(ClassMatchDepthTest, DottedModeCountsWholeLevels) {
  EXPECT_EQ(ClassMatchDepth("TP391.1", "TP391.4", 1), 1);
  EXPECT_EQ(ClassMatchDepth("TP391.1", "TP391.1", 1), 2);
  EXPECT_EQ(ClassMatchDepth("TP391", "TP391.1", 1), 1);
  EXPECT_EQ(ClassMatchDepth("TP391.1", "TP391", 1), 1);
  EXPECT_EQ(ClassMatchDepth("08.12.03", "08.12.03", 1), 3);
  EXPECT_EQ(ClassMatchDepth("08.12.03", "08.12.04", 1), 2);
  EXPECT_EQ(ClassMatchDepth("TP31", "TP39", 1), 0);
  EXPECT_EQ(ClassMatchDepth("TP3", "TP391", 1), 0);
}

TEST(ClassMatchDepthTest, MissingEmptyOverlongCodesAndOtherModesNeverAgree) {
  const std::string code99(99, 'A'), code100(100, 'A');
  EXPECT_EQ(ClassMatchDepth(code99.c_str(), code99.c_str(), 0), 99);
  EXPECT_EQ(ClassMatchDepth(code100.c_str(), code100.c_str(), 0), 0);
  EXPECT_EQ(ClassMatchDepth(code100.c_str(), "A", 1), 0);
  EXPECT_EQ(ClassMatchDepth(nullptr, "A", 0), 0);
  EXPECT_EQ(ClassMatchDepth("", "", 1), 0);
  EXPECT_EQ(ClassMatchDepth("TP391", "TP391", 2), 0);
  EXPECT_EQ(ClassMatchDepth("TP391", "TP391", -1), 0);
}

class GetAutoClassTest : public tarnix_testing::ScriptedTest {
 protected:
  // Runs GetAutoClass with a fresh buffer and map; returns the article class.
  std::string Assign(const char* class_name, int mode) {
    article_class_[0] = '\0';
    map_.clear();
    ok_ = GetAutoClass(map_, article_class_, class_name, mode);
    return article_class_;
  }
  char article_class_[kArticleClassSize] = {};
  ClassScoreMap map_;
  bool ok_ = false;
};

TEST_F(GetAutoClassTest, MapHoldsTheLeadingCandidatesThatReachSixtyPercent) {
  Extend().classes = {{"TP391", 0.5f}, {"TP311", 0.3f}, {"O212", 0.2f}};
  Assign("", 0);
  ASSERT_TRUE(ok_);
  ASSERT_EQ(map_.size(), 2u);
  EXPECT_DOUBLE_EQ(map_.at("TP391"), 0.5f);
  EXPECT_DOUBLE_EQ(map_.at("TP311"), 0.3f);

  Extend().classes = {{"A", 0.0f}, {"B", 0.0f}, {"C", 0.0f}};
  Assign("", 0);
  EXPECT_EQ(map_.size(), 1u);
  EXPECT_EQ(map_.count("A"), 1u);

  // A code proposed twice keeps its first score.
  Extend().classes = {{"A", 0.1f}, {"A", 0.2f}, {"B", 0.7f}};
  Assign("", 0);
  EXPECT_EQ(map_.size(), 2u);
  EXPECT_DOUBLE_EQ(map_.at("A"), 0.1f);
}

TEST_F(GetAutoClassTest, ReadsNoMoreCandidatesThanItAskedFor) {
  for (int i = 0; i < 100; ++i) Extend().classes.push_back({"C" + std::to_string(i), 1.0f});
  Extend().reported_class_count = 5000;
  EXPECT_EQ(Assign("", 0), "C0");
  EXPECT_EQ(map_.size(), 60u);  // 60 of 100 equal scores reach 60 %
  EXPECT_EQ(scripted::CallsTo("GetTxtClassifyTemp")[0].args[0], "100");

  Extend().reported_class_count = -3;
  EXPECT_EQ(Assign("", 0), "");
  EXPECT_TRUE(map_.empty());
}

TEST_F(GetAutoClassTest, CharacterModeKeepsADetailedCallerClass) {
  Extend().classes = {{"O212", 0.9f}};
  EXPECT_EQ(Assign("TP391.1", 0), "TP391.1");
  EXPECT_EQ(Assign("TP3", 0), "O212");  // three levels give way to the engine
  Extend().classify = 0;
  EXPECT_EQ(Assign("TP3", 0), "TP3");   // unless the engine could not classify
  EXPECT_EQ(Assign("", 0), "");
  EXPECT_EQ(map_.count("O212"), 1u);    // candidates count whatever the result
}

TEST_F(GetAutoClassTest, DottedModeStandardisesAndNeedsFourLevels) {
  Extend().classes = {{"08.12", 0.9f}};
  Extend().formal = {{"08.12.03", "08.12.03"}, {"08.12.03.01", "08.12.03.01"}};
  EXPECT_EQ(Assign("08.12.03", 1), "08.12");
  EXPECT_EQ(Assign("08.12.03.01", 1), "08.12.03.01");
  Extend().classify = 0;
  EXPECT_EQ(Assign("08.12.03", 1), "08.12.03");
  EXPECT_EQ(Assign("zz", 1), "");  // nothing recognised, nothing classified
}

TEST_F(GetAutoClassTest, OtherModesIgnoreTheCallerClass) {
  Extend().classes = {{"O212", 0.9f}};
  EXPECT_EQ(Assign("TP391.1", 7), "O212");
  EXPECT_TRUE(scripted::CallsTo("GetFormalizationClass").empty());
  Extend().classify = 2;
  EXPECT_EQ(Assign("TP391.1", 7), "");
}

TEST_F(GetAutoClassTest, OverlongCodesAreCutToTheBuffer) {
  const std::string long_name(150, 'T');
  EXPECT_EQ(Assign(long_name.c_str(), 0), std::string(99, 'T'));
  // A candidate filling its 128-byte buffer without a NUL.
  Extend().classes = {{std::string(128, 'C'), 1.0f}};
  EXPECT_EQ(Assign("", 0), std::string(99, 'C'));
  ASSERT_EQ(map_.size(), 1u);
  EXPECT_EQ(map_.begin()->first, std::string(127, 'C'));
}

TEST_F(GetAutoClassTest, NullArgumentsFailWithTheirMessage) {
  ClassScoreMap map;
  EXPECT_FALSE(GetAutoClass(map, nullptr, "", 0));
  char buffer[kArticleClassSize] = {};
  EXPECT_FALSE(GetAutoClass(map, buffer, nullptr, 0));
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{"GetAutoClass Wrong!", "GetAutoClass Wrong!"}));
  EXPECT_TRUE(scripted::Calls().empty());
}

class GetStandClassTest : public tarnix_testing::ScriptedTest {};

TEST_F(GetStandClassTest, TheLongestRecognisedPrefixWins) {
  Extend().formal = {{"TP391.1", "TP391.1"}, {"TP3", "TP3"}};
  char out[kArticleClassSize] = {};
  EXPECT_EQ(GetStandClass("TP391.1x", out), 1);
  EXPECT_STREQ(out, "TP391.1");
  auto calls = scripted::CallsTo("GetFormalizationClass");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].args[0], "TP391.1x");
  EXPECT_EQ(calls[1].args[0], "TP391.1");
}

TEST_F(GetStandClassTest, ReturnsTheEngineAnswerForTheOneBytePrefix) {
  Extend().formal_miss = 5;
  char out[kArticleClassSize] = {};
  EXPECT_EQ(GetStandClass("ABC", out), 5);
  EXPECT_EQ(scripted::CallsTo("GetFormalizationClass").size(), 3u);
  EXPECT_EQ(scripted::CallsTo("GetFormalizationClass").back().args[0], "A");
}

TEST_F(GetStandClassTest, RejectsNullEmptyAndOverlongNames) {
  char out[kArticleClassSize] = {};
  EXPECT_EQ(GetStandClass(nullptr, out), 2);
  EXPECT_EQ(GetStandClass("A", nullptr), 2);
  EXPECT_EQ(GetStandClass("", out), 0);
  EXPECT_EQ(GetStandClass(std::string(80, 'A').c_str(), out), 0);
  EXPECT_TRUE(scripted::Calls().empty());
  EXPECT_EQ(GetStandClass(std::string(79, 'A').c_str(), out), 0);
  EXPECT_EQ(scripted::CallsTo("GetFormalizationClass").size(), 79u);
}

}  // namespace
}  // namespace tarnix
