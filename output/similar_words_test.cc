#include "similar_words.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "test_dictionaries.h"
#include "test_support.h"

namespace tarnix {
namespace {

using tarnix_testing::Keyword;
using tarnix_testing::LoadDictionary;

class SimilarWordDelTest : public tarnix_testing::ScriptedTest {
 protected:
  void Similar(const scripted::Entries& entries) {
    LoadDictionary("QOVA_SIM_CHN_DICT", entries);
  }
  // Keywords k0, k1, ... weighing count, count - 1, ...
  void Series(int count) {
    keywords_.clear();
    for (int i = 0; i < count; ++i) {
      keywords_.push_back(Keyword("k" + std::to_string(i), static_cast<double>(count - i)));
    }
  }
  bool Run() {
    count_ = static_cast<int32_t>(keywords_.size());
    return SimilarWordDel(keywords_.data(), &count_);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (int32_t i = 0; i < count_; ++i) texts.push_back(keywords_[i].keyword_text);
    return texts;
  }
  double WeightOf(const std::string& text) const {
    for (const KeywordEntry& k : keywords_) {
      if (text == k.keyword_text) return k.weight;
    }
    return -1.0;
  }

  std::vector<KeywordEntry> keywords_;
  int32_t count_ = 0;
};

TEST_F(SimilarWordDelTest, TheLighterOfASimilarPairGoes) {
  Similar({{"A", "B:0.75;"}});
  keywords_ = {Keyword("A", 5.0), Keyword("B", 3.0)};
  ASSERT_TRUE(Run());
  EXPECT_EQ(count_, 1);
  EXPECT_EQ(WeightOf("B"), 0.0);
  EXPECT_EQ(WeightOf("A"), 5.0);
  auto lookups = scripted::CallsTo("Dict_Search_Get_Info");
  ASSERT_EQ(lookups.size(), 1u);
  EXPECT_EQ(lookups[0].args[0], "A");
  EXPECT_EQ(lookups[0].args[2], "1024");
  EXPECT_TRUE(scripted::Lexmill().handles.empty());
}

TEST_F(SimilarWordDelTest, SimilarityMustExceedPointSix) {
  for (const auto& [similarity, removed] : std::vector<std::pair<std::string, bool>>{
           {"0.59", false}, {"0.61", true}, {"0.5999", false}, {"1", true}}) {
    Similar({{"A", "B:" + similarity + ";"}});
    keywords_ = {Keyword("A", 5.0), Keyword("B", 3.0)};
    ASSERT_TRUE(Run());
    EXPECT_EQ(count_, removed ? 1 : 2) << similarity;
  }
}

// The reader folds the fraction digits in from the right, so "0.6" reads
// as 0.6000000000000001 and counts as above the limit.
TEST_F(SimilarWordDelTest, PointSixAsWrittenIsAboveTheLimit) {
  Similar({{"A", "B:0.6;"}});
  keywords_ = {Keyword("A", 5.0), Keyword("B", 3.0)};
  ASSERT_TRUE(Run());
  EXPECT_EQ(count_, 1);
}

TEST_F(SimilarWordDelTest, WhatTheEarlierEntryListsDecides) {
  // The pattern may match the end of a longer entry.
  Similar({{"A", "XB:0.9;"}});
  keywords_ = {Keyword("A", 5.0), Keyword("B", 3.0)};
  ASSERT_TRUE(Run());
  EXPECT_EQ(count_, 1);

  // Only the earlier keyword's entry is read.
  Similar({{"B", "A:0.9;"}});
  keywords_ = {Keyword("A", 5.0), Keyword("B", 3.0)};
  ASSERT_TRUE(Run());
  EXPECT_EQ(count_, 2);

  // No closing ";": no similarity.
  Similar({{"A", "B:0.9"}});
  ASSERT_TRUE(Run());
  EXPECT_EQ(count_, 2);
}

TEST_F(SimilarWordDelTest, TiesRemoveTheLaterAndALighterEarlierGoesItself) {
  Similar({{"A", "B:0.9;C:0.9;"}});
  keywords_ = {Keyword("A", 5.0), Keyword("B", 5.0), Keyword("C", 1.0)};
  ASSERT_TRUE(Run());
  EXPECT_EQ(Texts(), (std::vector<std::string>{"A"}));

  // An unsorted buffer: the earlier keyword is the lighter one, so it goes
  // and its comparisons end there.
  keywords_ = {Keyword("A", 3.0), Keyword("B", 5.0), Keyword("C", 1.0)};
  ASSERT_TRUE(Run());
  EXPECT_EQ(Texts(), (std::vector<std::string>{"B", "C"}));
  EXPECT_EQ(WeightOf("A"), 0.0);
}

TEST_F(SimilarWordDelTest, OnlyTheFirstEightAreCompared) {
  Similar({{"k0", "k9:0.9;"}});
  Series(12);
  ASSERT_TRUE(Run());
  EXPECT_EQ(count_, 12);
  // i from 0 to 6, each with the keywords after it up to slot 7: each
  // looked up once for all of them.
  std::vector<std::string> looked_up;
  for (const auto& call : scripted::CallsTo("Dict_Search_Get_Info")) looked_up.push_back(call.args[0]);
  EXPECT_EQ(looked_up, (std::vector<std::string>{"k0", "k1", "k2", "k3", "k4", "k5", "k6"}));
}

TEST_F(SimilarWordDelTest, EachRemovalWidensTheWindow) {
  Similar({{"k0", "k1:0.9;k8:0.9;"}});
  Series(12);
  ASSERT_TRUE(Run());
  EXPECT_EQ(count_, 10);
  EXPECT_EQ(WeightOf("k1"), 0.0);
  EXPECT_EQ(WeightOf("k8"), 0.0);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"k0", "k2", "k3", "k4", "k5", "k6", "k7", "k9",
                                               "k10", "k11"}));

  // A keyword already at 0.0 is skipped and does not widen the window.
  Series(9);
  keywords_[1].weight = 0.0;
  ASSERT_TRUE(Run());
  EXPECT_EQ(WeightOf("k8"), 1.0);
}

TEST_F(SimilarWordDelTest, TheWindowNeverPassesTheCount) {
  Similar({{"k0", "k1:0.9;k2:0.9;"}});
  Series(3);
  ASSERT_TRUE(Run());
  EXPECT_EQ(Texts(), (std::vector<std::string>{"k0"}));
  for (const auto& call : scripted::CallsTo("Dict_Search_Get_Info")) EXPECT_NE(call.args[0], "k3");
}

TEST_F(SimilarWordDelTest, TheDictionaryMustBeLoaded) {
  keywords_ = {Keyword("A", 5.0)};
  EXPECT_FALSE(Run());
  WriteFile("Tarnix.ini", "[DictInfo]\ntarnix_sim_dict=MySimilar\n");
  LoadDictionary("QOVA_SIM_CHN_DICT", {});
  EXPECT_FALSE(Run());
  EXPECT_EQ(LogMessages(),
            (std::vector<std::string>{"SimilarWordDel function: can not Getdict QOVA_SIM_CHN_DICT!",
                                      "SimilarWordDel function: can not Getdict QOVA_SIM_CHN_DICT!"}));
  LoadDictionary("MySimilar", {});
  EXPECT_TRUE(Run());
}

TEST_F(SimilarWordDelTest, EmptyAndBadArguments) {
  int32_t count = 0;
  EXPECT_TRUE(SimilarWordDel(nullptr, &count));
  EXPECT_TRUE(scripted::Calls().empty());
  EXPECT_FALSE(SimilarWordDel(nullptr, nullptr));
  count = 1;
  EXPECT_FALSE(SimilarWordDel(nullptr, &count));
  keywords_ = {Keyword("A", 5.0)};
  count = -1;
  EXPECT_FALSE(SimilarWordDel(keywords_.data(), &count));
  EXPECT_EQ(count, -1);
  EXPECT_TRUE(LogMessages().empty());
}

}  // namespace
}  // namespace tarnix
