#include "english_root_only.h"

#include <gtest/gtest.h>

#include "candidates_test_support.h"
#include "test_support.h"

namespace {

using candidates_testing::Entries;
using candidates_testing::EntriesOf;
using candidates_testing::Tables;
using scripted::Lexmill;
using scripted::Term;

struct Candidate {
  std::string key;  // second_word
  float weight;
  int depth = 0;
  std::string word = "";  // defaults to the key
};

class RootFileWordOnlyTest : public tarnix_testing::ScriptedTest {
 protected:
  void SetUp() override {
    ScriptedTest::SetUp();
    Lexmill().dictionaries["QOVA_SIM_CHN_DICT"];
    Lexmill().loaded.insert("QOVA_SIM_CHN_DICT");
  }

  // Fills the table and the English map the way the class filter leaves
  // them, one record per candidate in the given order, and runs the stage.
  bool Run(const std::vector<Candidate>& candidates) {
    for (size_t i = 0; i < candidates.size(); ++i) {
      const Candidate& c = candidates[i];
      t_.Set(i, Term(c.word.empty() ? c.key : c.word, c.weight, 0, "TP", c.key), c.depth);
      english_.emplace(c.key, static_cast<int32_t>(i));
    }
    return tarnix::RootFileWordOnly(english_, fileword_, t_.info_map(), t_.info_map_class());
  }

  float Weight(int i) const { return t_.terms[i].weight; }

  Tables t_{8};
  tarnix::TermIndexMap english_;
  tarnix::TermIndexMap fileword_;
};

TEST_F(RootFileWordOnlyTest, ContainedKeyGoesToTheHeavierNeighbour) {
  ASSERT_TRUE(Run({{"network", 1.0f}, {"network model", 3.0f, 0, "Network Model"}}));
  EXPECT_FLOAT_EQ(Weight(1), 4.0f);
  EXPECT_FLOAT_EQ(Weight(0), 1.0f);  // the absorbed record keeps its weight
  EXPECT_EQ(EntriesOf(english_), (Entries{{"network model", 1}}));
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{"Network Model", 1}}));
  // The longer text is looked up for its similarity to the shorter.
  EXPECT_EQ(scripted::CallsTo("Dict_Search_Get_Info").at(0).args[0], "network model");
}

TEST_F(RootFileWordOnlyTest, AHeavierKeeperGoesOnToItsNewSuccessor) {
  ASSERT_TRUE(Run({{"network", 5.0f}, {"network model", 3.0f}, {"networks", 1.0f}}));
  EXPECT_FLOAT_EQ(Weight(0), 9.0f);
  EXPECT_FLOAT_EQ(Weight(1), 3.0f);
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{"network", 0}}));
}

TEST_F(RootFileWordOnlyTest, DeeperKeeperScalesWhatItAbsorbs) {
  ASSERT_TRUE(Run({{"net", 1.0f, 0}, {"neta", 3.0f, 2}}));
  EXPECT_FLOAT_EQ(Weight(1), 3.0f + 3 * 1.0f);
  // A shallower keeper adds plainly.
  t_ = Tables(8);
  english_.clear();
  fileword_.clear();
  ASSERT_TRUE(Run({{"net", 5.0f, 0}, {"neta", 3.0f, 2}}));
  EXPECT_FLOAT_EQ(Weight(0), 8.0f);
}

TEST_F(RootFileWordOnlyTest, SimilarShortKeyGoesToItsSuccessorWhateverItWeighs) {
  Lexmill().dictionaries["QOVA_SIM_CHN_DICT"].entries = {
      {"models", "modal:0.2;model:0.9;"},
      {"graphics", "graph:0.59;"},
      {"learnings", "learning:0.9;"}};
  ASSERT_TRUE(Run({{"model", 9.0f},
                   {"models", 1.0f},
                   {"graph", 9.0f},  // similarity not above 0.6: by weight
                   {"graphics", 1.0f},
                   {"learning", 9.0f},  // similar, but 8 bytes long: by weight
                   {"learnings", 1.0f}}));
  EXPECT_FLOAT_EQ(Weight(1), 10.0f);
  EXPECT_FLOAT_EQ(Weight(0), 9.0f);
  EXPECT_FLOAT_EQ(Weight(2), 10.0f);
  EXPECT_FLOAT_EQ(Weight(4), 10.0f);
  EXPECT_EQ(EntriesOf(english_), (Entries{{"graph", 2}, {"learning", 4}, {"models", 1}}));
}

TEST_F(RootFileWordOnlyTest, OnlyNeighboursMeetForwardAndReversed) {
  // network and social network are not neighbours in key order, but their
  // reversed keys are.
  ASSERT_TRUE(Run({{"network", 1.0f}, {"neural net", 2.0f}, {"social network", 3.0f}}));
  EXPECT_FLOAT_EQ(Weight(2), 4.0f);
  EXPECT_FLOAT_EQ(Weight(1), 2.0f);
  EXPECT_EQ(EntriesOf(english_), (Entries{{"neural net", 1}, {"social network", 2}}));
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{"neural net", 1}, {"social network", 2}}));
}

TEST_F(RootFileWordOnlyTest, TailsMergeOnTheReversedKeys) {
  ASSERT_TRUE(Run({{"data model", 2.0f}, {"mobile", 1.0f}, {"model", 1.0f}}));
  EXPECT_FLOAT_EQ(Weight(0), 3.0f);
  EXPECT_FLOAT_EQ(Weight(1), 1.0f);
  EXPECT_EQ(EntriesOf(english_), (Entries{{"data model", 0}, {"mobile", 1}}));

  // The heavier tail keeps the longer text's weight.
  t_ = Tables(8);
  english_.clear();
  fileword_.clear();
  ASSERT_TRUE(Run({{"data model", 2.0f}, {"model", 5.0f}}));
  EXPECT_FLOAT_EQ(Weight(1), 7.0f);
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{"model", 1}}));
}

TEST_F(RootFileWordOnlyTest, FilewordIsKeyedByWord) {
  ASSERT_TRUE(Run({{"chart", 1.0f, 0, "Graphs"}, {"graph", 1.0f, 0, "Graphs"}}));
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{"Graphs", 0}, {"Graphs", 1}}));
  EXPECT_TRUE(LogMessages().empty());
}

TEST_F(RootFileWordOnlyTest, EmptyAndMissingInput) {
  EXPECT_TRUE(Run({}));
  EXPECT_TRUE(fileword_.empty());
  EXPECT_EQ(LogMessages(),
            std::vector<std::string>{"RootFileWordOnly function: fileword and abstword is empty!"});
  english_.emplace("x", 0);
  EXPECT_FALSE(tarnix::RootFileWordOnly(english_, fileword_, nullptr, t_.info_map_class()));
  EXPECT_FALSE(tarnix::RootFileWordOnly(english_, fileword_, t_.info_map(), nullptr));
  english_.emplace("xy", 20000);
  EXPECT_FALSE(tarnix::RootFileWordOnly(english_, fileword_, t_.info_map(), t_.info_map_class()));
  EXPECT_EQ(LogMessages().back(), "RootFileWordOnly Error!");
}

}  // namespace
