#include "keyword_buffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "test_dictionaries.h"
#include "test_support.h"

namespace tarnix {
namespace {

using tarnix_testing::Keyword;
using tarnix_testing::LoadDictionary;

constexpr char kJunk[] = "junk";

class PrintKeyWordTest : public tarnix_testing::ScriptedTest {
 protected:
  void SetUp() override {
    ScriptedTest::SetUp();
    LoadDictionary("sys_general_dic", {{"gen", "x 1 1"}, {"gen2", "x 1 1"}, {"tword", "x 20 18"},
                                       {"tword2", "x 20 18"}, {"aa", "x 1 16"}, {"bb", "x 20 16"}});
    full_.reserve(1000);
    abstract_.reserve(50);
    buffer_.assign(800, Keyword(kJunk, -7.0, "J", 42));
  }

  void Full(const std::string& text, float weight, int position = 0,
            const std::string& class_code = "", const std::string& second = "",
            const std::string& word = "") {
    fileword_.emplace(text, static_cast<int32_t>(full_.size()));
    full_.push_back(scripted::Term(word.empty() ? text : word, weight, position, class_code, second));
  }
  // Full-text candidates f00, f01, ... weighing first, first - 1, ...
  void FullSeries(int count, float first = 100.0f) {
    for (int i = 0; i < count; ++i) {
      char name[8];
      std::snprintf(name, sizeof name, "f%02d", i);
      Full(name, first - static_cast<float>(i));
    }
  }
  void Abstract(const std::string& text, float weight, const std::string& second = "") {
    abstword_.emplace(text, static_cast<int32_t>(abstract_.size()));
    abstract_.push_back(scripted::Term(text, weight, 0, "ART", second));
  }

  bool Run(int type = 1, bool floor_weights = false, int32_t capacity = 800) {
    count_ = capacity;
    return PrintKeyWord(fileword_, abstword_, full_.data(), static_cast<int32_t>(full_.size()),
                        abstract_.data(), static_cast<int32_t>(abstract_.size()), buffer_.data(),
                        &count_, type, floor_weights);
  }

  std::string Text(int slot) const { return buffer_[slot].keyword_text; }
  double Weight(int slot) const { return buffer_[slot].weight; }
  std::vector<std::string> Texts(int from, int to) const {
    std::vector<std::string> texts;
    for (int s = from; s <= to; ++s) texts.push_back(Text(s));
    return texts;
  }

  std::vector<ArticleTerm> full_;
  std::vector<ArticleTerm> abstract_;
  TermIndexMap fileword_;
  TermIndexMap abstword_;
  std::vector<KeywordEntry> buffer_;
  int32_t count_ = 0;
};

TEST_F(PrintKeyWordTest, ThreeAbstractsWithTwentySurvivors) {
  FullSeries(20);
  Full("gen", 99.5f);  // general: dropped without taking a slot
  Abstract("a2", 0.0f);
  Abstract("a0", 0.0f);
  Abstract("a1", 0.0f);
  ASSERT_TRUE(Run());
  EXPECT_EQ(count_, 23);
  EXPECT_EQ(Texts(0, 4), (std::vector<std::string>{"f00", "f01", "f02", "f03", "f04"}));
  EXPECT_EQ(Texts(5, 7), (std::vector<std::string>{"a0", "a1", "a2"}));
  EXPECT_EQ(Text(8), "f05");
  EXPECT_EQ(Text(22), "f19");
  EXPECT_EQ(Weight(8), 95.0);
  EXPECT_EQ(Text(23), kJunk);
  // Elements 4 and 5 of the ranking, with "gen" among them.
  EXPECT_EQ(Weight(5), (97.0 + 96.0) / 2);
  EXPECT_STREQ(buffer_[5].class_code, "ART");
  EXPECT_EQ(buffer_[0].frequency, 42);  // frequencies are not written here
}

TEST_F(PrintKeyWordTest, ThreeAbstractsWithFiveSurvivors) {
  FullSeries(5);
  Abstract("a0", 1.0f);
  Abstract("a1", 1.0f);
  Abstract("a2", 1.0f);
  ASSERT_TRUE(Run());
  EXPECT_EQ(count_, 8);
  EXPECT_EQ(Texts(4, 7), (std::vector<std::string>{"f04", "a0", "a1", "a2"}));
}

TEST_F(PrintKeyWordTest, ThreeAbstractsWithTwoSurvivorsPullTheBlockDown) {
  Full("gen", 150.0f);
  FullSeries(2);
  Abstract("a0", 1.0f);
  Abstract("a1", 2.0f);
  Abstract("a2", 3.0f);
  ASSERT_TRUE(Run());
  EXPECT_EQ(count_, 5);
  EXPECT_EQ(Texts(0, 4), (std::vector<std::string>{"f00", "f01", "a0", "a1", "a2"}));
  EXPECT_EQ(Weight(4), 3.0);
  EXPECT_STREQ(buffer_[2].class_code, "ART");
  EXPECT_EQ(buffer_[2].frequency, 42);  // moved with the slot
  for (int s = 5; s <= 7; ++s) {
    EXPECT_EQ(Text(s), "") << s;
    EXPECT_STREQ(buffer_[s].class_code, "") << s;
    EXPECT_EQ(Weight(s), 0.0) << s;
    EXPECT_EQ(buffer_[s].frequency, 0) << s;
  }
  EXPECT_EQ(Text(8), kJunk);
}

TEST_F(PrintKeyWordTest, MoreThanSixAbstractsStartAtSlotTwo) {
  FullSeries(20, 100.75f);
  for (int i = 0; i < 10; ++i) Abstract("a" + std::to_string(i), 0.0f);
  ASSERT_TRUE(Run());
  EXPECT_EQ(count_, 30);
  EXPECT_EQ(Texts(0, 2), (std::vector<std::string>{"f00", "f01", "a0"}));
  EXPECT_EQ(Text(11), "a9");
  EXPECT_EQ(Text(12), "f02");
  // The integer parts of 99.75 and 98.75.
  EXPECT_EQ(Weight(2), 98.5);
}

TEST_F(PrintKeyWordTest, FillInWeightCountsAbstractsBeforeThePurge) {
  FullSeries(10);
  Abstract("a0", 0.0f);
  Abstract("a1", 0.0f);
  Abstract("gen", 0.0f);
  Abstract("gen2", 0.0f);
  ASSERT_TRUE(Run());
  EXPECT_EQ(abstword_.size(), 2u);
  EXPECT_EQ(abstword_.count("gen"), 0u);
  EXPECT_EQ(count_, 12);
  EXPECT_EQ(Texts(5, 8), (std::vector<std::string>{"f05", "a0", "a1", "f06"}));
  EXPECT_EQ(Weight(6), (97.0 + 96.0) / 2);  // elements 3 and 4, as for four
}

TEST_F(PrintKeyWordTest, OneAbstractUsesTheSeventhAndEighthWeights) {
  FullSeries(7, 70.0f);
  Abstract("a0", 0.0f);
  ASSERT_TRUE(Run());
  EXPECT_EQ(Text(7), "a0");
  EXPECT_EQ(Weight(7), 64.0 / 2);  // no eighth candidate
  EXPECT_EQ(count_, 8);

  Full("f07", 63.0f);
  ASSERT_TRUE(Run());
  EXPECT_EQ(Weight(7), (64.0 + 63.0) / 2);
  EXPECT_EQ(Text(8), "f07");
}

TEST_F(PrintKeyWordTest, FloorWeights) {
  for (float w : {100.0f, 90.0f, 80.0f, 50.0f, 40.0f, 31.0f, 20.0f}) Full("w" + std::to_string(w), w);
  Abstract("a0", 0.0f);
  Abstract("a1", 120.0f);
  Abstract("a2", 10.0f);
  ASSERT_TRUE(Run(1, false));
  EXPECT_EQ(Weight(5), 35.5);
  EXPECT_EQ(Weight(6), 120.0);
  EXPECT_EQ(Weight(7), 10.0);
  ASSERT_TRUE(Run(1, true));
  EXPECT_EQ(Weight(5), 35.5);
  EXPECT_EQ(Weight(6), 120.0);
  EXPECT_EQ(Weight(7), 35.5);
}

TEST_F(PrintKeyWordTest, NoAbstractsFillFromSlotZero) {
  Full("b", 2.0f);
  Full("a", 2.0f);
  Full("c", 3.0f);
  Full("n", std::nanf(""));
  ASSERT_TRUE(Run());
  EXPECT_EQ(count_, 4);
  // Equal weights in text order; a NaN weight is ranked last.
  EXPECT_EQ(Texts(0, 3), (std::vector<std::string>{"c", "a", "b", "n"}));
}

TEST_F(PrintKeyWordTest, TitleTermsTakeTheStrictTest) {
  Full("tword", 5.0f, 1);
  Full("tword2", 4.0f, 0);
  Full("aabb", 3.0f, 1);
  Full("keep", 2.0f, 0);
  scripted::Lexmill().segments["aabb"] = {2, 4};
  ASSERT_TRUE(Run());
  EXPECT_EQ(count_, 2);
  EXPECT_EQ(Texts(0, 1), (std::vector<std::string>{"tword", "keep"}));
}

TEST_F(PrintKeyWordTest, DuplicateTextsUseTheFirstRecord) {
  Full("dup", 5.0f, 0, "C1", "first");
  Full("dup", 9.0f, 0, "C2", "second");
  Full("both", 1.0f);
  Abstract("both", 50.0f);
  ASSERT_TRUE(Run());
  EXPECT_EQ(count_, 4);
  EXPECT_EQ(Texts(0, 3), (std::vector<std::string>{"dup", "dup", "both", "both"}));
  EXPECT_EQ(Weight(0), 9.0);
  EXPECT_EQ(Weight(1), 5.0);
  EXPECT_STREQ(buffer_[0].class_code, "C1");
  EXPECT_STREQ(buffer_[0].second_text, "first");
  EXPECT_STREQ(buffer_[1].second_text, "first");
  // A text in both maps takes a walk slot and a block slot.
  EXPECT_EQ(Weight(2), 1.0);
  EXPECT_EQ(Weight(3), 50.0);
}

TEST_F(PrintKeyWordTest, EnglishTextsAndTests) {
  LoadDictionary("EnglishGeneral", {{"big", "1,a,4600"}, {"house", "1,n,4600"}});
  Full("k1", 9.0f, 0, "C", "deep learning", "Deep Learning");
  Full("k2", 8.0f, 0, "C", "result", "is found");
  Full("k3", 7.0f, 0, "C", "house", "big house");
  Full("k4", 6.0f, 0, "C", "gen", "Gene Pool");
  Full("k5", 5.0f, 0, "C", "tword", "Title Word");
  Abstract("gen", 0.0f, "general abstract");
  ASSERT_TRUE(Run(2));
  EXPECT_EQ(abstword_.size(), 1u);  // no purge for English
  EXPECT_EQ(count_, 2);
  EXPECT_EQ(Text(0), "deep learning");
  EXPECT_STREQ(buffer_[0].second_text, "k1");
  // The block moved down behind the one survivor.
  EXPECT_EQ(Text(1), "general abstract");
  EXPECT_STREQ(buffer_[1].second_text, "gen");
  EXPECT_EQ(Text(7), "");
  EXPECT_EQ(Text(2), kJunk);
}

TEST_F(PrintKeyWordTest, TheGeneralDictionaryIsLoadedWhenMissing) {
  scripted::Lexmill().loaded.clear();
  Full("gen", 9.0f);
  Full("keep", 8.0f);
  Abstract("gen", 0.0f);
  ASSERT_TRUE(Run());
  // The purge ran before the load; the walk after it.
  EXPECT_EQ(abstword_.size(), 1u);
  EXPECT_EQ(count_, 2);
  EXPECT_EQ(Texts(0, 1), (std::vector<std::string>{"keep", "gen"}));
  auto loads = scripted::CallsTo("Dict_Load_New");
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_EQ(loads[0].args, (std::vector<std::string>{"sys_general_dic", ""}));
  EXPECT_TRUE(scripted::Lexmill().handles.empty());

  scripted::Lexmill().loaded.clear();
  scripted::Lexmill().dictionaries["sys_general_dic"].loadable = false;
  EXPECT_FALSE(Run());
  EXPECT_EQ(LogMessages().back(), "step20. sys_general_dic load failed!");
}

TEST_F(PrintKeyWordTest, AFullBufferEndsAtItsCapacity) {
  FullSeries(801, 1000.0f);
  ASSERT_TRUE(Run());
  EXPECT_EQ(count_, 800);
  EXPECT_EQ(Text(799), "f799");
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{"PrintKeyWord word_buffer size is smaller!"}));
}

TEST_F(PrintKeyWordTest, ABlockThatDoesNotFitIsNotPlaced) {
  FullSeries(6);
  Abstract("a0", 1.0f);
  Abstract("a1", 1.0f);
  buffer_.assign(5, Keyword(kJunk, -7.0, "J", 42));
  ASSERT_TRUE(Run(1, false, 5));
  EXPECT_EQ(count_, 5);
  EXPECT_EQ(Texts(0, 4), (std::vector<std::string>{"f00", "f01", "f02", "f03", "f04"}));

  // Likewise for a negative capacity, which then fails.
  buffer_.assign(800, Keyword(kJunk, -7.0, "J", 42));
  EXPECT_FALSE(Run(1, false, -1));
  EXPECT_EQ(Text(6), kJunk);
  EXPECT_EQ(LogMessages().back(), "*buffer_size is smaller than zero!");
}

TEST_F(PrintKeyWordTest, BadArgumentsFailSilently) {
  Full("a", 1.0f);
  Abstract("b", 1.0f);
  int32_t count = 800;
  EXPECT_FALSE(PrintKeyWord(fileword_, abstword_, full_.data(), 0, abstract_.data(), 1,
                            buffer_.data(), &count, 1, false));
  EXPECT_FALSE(PrintKeyWord(fileword_, abstword_, full_.data(), 1, abstract_.data(), 0,
                            buffer_.data(), &count, 1, false));
  EXPECT_FALSE(PrintKeyWord(fileword_, abstword_, nullptr, 1, abstract_.data(), 1,
                            buffer_.data(), &count, 1, false));
  EXPECT_FALSE(PrintKeyWord(fileword_, abstword_, full_.data(), 1, nullptr, 1, buffer_.data(),
                            &count, 1, false));
  EXPECT_FALSE(PrintKeyWord(fileword_, abstword_, full_.data(), 1, abstract_.data(), 1, nullptr,
                            &count, 1, false));
  EXPECT_FALSE(PrintKeyWord(fileword_, abstword_, full_.data(), 1, abstract_.data(), 1,
                            buffer_.data(), nullptr, 1, false));
  EXPECT_FALSE(PrintKeyWord(fileword_, abstword_, full_.data(), 1, abstract_.data(), 1,
                            buffer_.data(), &count, 3, false));
  // An index outside its table.
  fileword_.emplace("z", 5);
  EXPECT_FALSE(PrintKeyWord(fileword_, abstword_, full_.data(), 2, abstract_.data(), 1,
                            buffer_.data(), &count, 1, false));
  EXPECT_EQ(count, 800);
  EXPECT_EQ(Text(0), kJunk);
  EXPECT_TRUE(LogMessages().empty());
}

}  // namespace
}  // namespace tarnix
