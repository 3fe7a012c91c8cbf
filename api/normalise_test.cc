// Word_Normal and Word_Normal_Ten through their exports.
#include <cmath>
#include <cstring>
#include <vector>

#include "tarnix/tarnix.h"
#include "test_support.h"

namespace {

class NormaliseTest : public tarnix_testing::ScriptedTest {
 protected:
  std::vector<KeywordEntry> List(const std::vector<double>& weights) {
    std::vector<KeywordEntry> list(weights.size());
    for (size_t i = 0; i < weights.size(); ++i) {
      std::memset(&list[i], 0, sizeof list[i]);
      std::strcpy(list[i].keyword_text, "k");
      list[i].frequency = static_cast<int32_t>(i);
      list[i].weight = weights[i];
    }
    return list;
  }
  static std::vector<double> Weights(const std::vector<KeywordEntry>& list) {
    std::vector<double> w;
    for (const auto& e : list) w.push_back(e.weight);
    return w;
  }
};

TEST_F(NormaliseTest, SumToOne) {
  auto list = List({3, 4});
  int n = 2;
  EXPECT_EQ(Word_Normal(list.data(), &n), 0);
  EXPECT_DOUBLE_EQ(list[0].weight, 3.0 / 7.0);
  EXPECT_DOUBLE_EQ(list[1].weight, 4.0 / 7.0);
  EXPECT_EQ(n, 2);
  EXPECT_STREQ(list[1].keyword_text, "k");
  EXPECT_EQ(list[1].frequency, 1);

  auto single = List({2.5});
  n = 1;
  EXPECT_EQ(Word_Normal(single.data(), &n), 0);
  EXPECT_EQ(single[0].weight, 1.0);
}

TEST_F(NormaliseTest, TenThousandTruncatesTowardZero) {
  auto list = List({3, 4});
  int n = 2;
  EXPECT_EQ(Word_Normal_Ten(list.data(), &n), 0);
  EXPECT_EQ(Weights(list), (std::vector<double>{6000, 8000}));

  list = List({1, 1, 1});
  n = 3;
  Word_Normal_Ten(list.data(), &n);
  EXPECT_EQ(Weights(list), (std::vector<double>{5773, 5773, 5773}));

  list = List({-1, -1, -1});
  Word_Normal_Ten(list.data(), &n);
  EXPECT_EQ(Weights(list), (std::vector<double>{-5773, -5773, -5773}));

  list = List({0.25});
  n = 1;
  Word_Normal_Ten(list.data(), &n);
  EXPECT_EQ(list[0].weight, 10000.0);
}

TEST_F(NormaliseTest, OnlyTheCountedEntriesChange) {
  auto list = List({3, 4, 100});
  int n = 2;
  Word_Normal_Ten(list.data(), &n);
  EXPECT_EQ(Weights(list), (std::vector<double>{6000, 8000, 100}));
}

TEST_F(NormaliseTest, EmptyAndRejectedLists) {
  int zero = 0;
  EXPECT_EQ(Word_Normal(nullptr, &zero), 0);
  EXPECT_EQ(Word_Normal_Ten(nullptr, &zero), 0);
  EXPECT_TRUE(LogMessages().empty());

  auto list = List({1});
  int negative = -1;
  EXPECT_EQ(Word_Normal(list.data(), &negative), 1);
  EXPECT_EQ(Word_Normal_Ten(list.data(), &negative), 1);
  int two = 2;
  EXPECT_EQ(Word_Normal(nullptr, &two), 1);
  EXPECT_EQ(Word_Normal_Ten(list.data(), nullptr), 1);
  EXPECT_EQ(LogMessages(), std::vector<std::string>(
                               4, "word_buffer wrong or *buffer_size smaller than zero!"));
}

TEST_F(NormaliseTest, ListsWithoutProportionsStayAsTheyAre) {
  auto zeros = List({0, 0});
  int n = 2;
  EXPECT_EQ(Word_Normal_Ten(zeros.data(), &n), 0);
  EXPECT_EQ(Weights(zeros), (std::vector<double>{0, 0}));
  auto cancelling = List({1, -1});
  EXPECT_EQ(Word_Normal(cancelling.data(), &n), 0);
  EXPECT_EQ(Weights(cancelling), (std::vector<double>{1, -1}));
  auto nan = List({std::nan(""), 1});
  EXPECT_EQ(Word_Normal_Ten(nan.data(), &n), 0);  // no undefined conversion
}

}  // namespace
