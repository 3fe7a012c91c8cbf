#include "term_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace ekvr {
namespace {

std::string Model(int features, const std::string& lambda, double title_weight) {
  std::string text = "# a comment\nfeatures " + std::to_string(features) + "\n";
  if (!lambda.empty()) text += "lambda " + lambda + "\n";
  text += "weights";
  for (int i = 0; i < features; ++i) {
    text += " " + std::to_string(i == kFBias ? -1.0 : i == kFInTitle ? title_weight : 0.0);
  }
  return text + "\n";
}

TEST(TermModel, ScoresTheWeightedSumOfTheFeatures) {
  TermModel m;
  std::string error;
  ASSERT_TRUE(m.Parse(Model(kTermFeatures, "8", 2.5), &error)) << error;
  EXPECT_EQ(m.lambda(), 8.0);
  float f[kTermFeatures] = {};
  f[kFBias] = 1.0f;
  EXPECT_DOUBLE_EQ(m.Logit(f), -1.0);
  f[kFInTitle] = 1.0f;
  EXPECT_DOUBLE_EQ(m.Logit(f), 1.5);
}

TEST(BlockScorer, ScoresEveryCandidateOnceInOrderAcrossBlocks) {
  TermModel m;
  std::string error;
  ASSERT_TRUE(m.Parse(Model(kTermFeatures, "1", 2.5), &error)) << error;
  // 150 candidates under indices of their own: two full blocks and a
  // part, the part scored only when asked.
  BlockScorer scorer(m, kTermFeatures);
  std::vector<std::pair<size_t, double>> got;
  auto take = [&got](size_t index, double logit) { got.emplace_back(index, logit); };
  for (size_t i = 0; i < 150; ++i) {
    float* f = scorer.Slot(1000 + i);
    std::fill(f, f + kTermFeatures, 0.0f);
    f[kFBias] = 1.0f;
    f[kFInTitle] = static_cast<float>(i % 3);
    if (scorer.full()) scorer.Score(take);
  }
  EXPECT_EQ(got.size(), 2 * BlockScorer::kBlock);
  scorer.Score(take);
  scorer.Score(take);  // nothing left: no candidate twice
  ASSERT_EQ(got.size(), 150u);
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].first, 1000 + i);
    EXPECT_DOUBLE_EQ(got[i].second, -1.0 + 2.5 * static_cast<double>(i % 3)) << i;
  }
}

TEST(TermModel, RejectsModelsThatDoNotFitTheFeatures) {
  TermModel m;
  std::string error;
  EXPECT_FALSE(m.Parse(Model(kTermFeatures - 1, "8", 1.0), &error));  // an older feature set
  EXPECT_FALSE(m.Parse(Model(kTermFeatures, "", 1.0), &error));       // no lambda
  EXPECT_FALSE(m.Parse(Model(kTermFeatures, "0", 1.0), &error));
  EXPECT_FALSE(m.Parse(Model(kTermFeatures, "nan", 1.0), &error));
  EXPECT_FALSE(m.Parse(Model(kTermFeatures, "8", 1.0) + "weights 1\n", &error));  // too many
  EXPECT_FALSE(m.Parse("features 55\nlambda 8\nweights 1 x\n", &error));
  EXPECT_FALSE(m.Parse("", &error));
  EXPECT_NE(error.find("term model"), std::string::npos);
  // A failed parse leaves no usable weights behind.
  float f[kTermFeatures] = {};
  f[kFBias] = 1.0f;
  EXPECT_EQ(m.Logit(f), 0.0);
}

TEST(TermModel, TheCommittedModelLoads) {
  TermModel m;
  std::string error;
  ASSERT_TRUE(m.Load(std::string(EKVR_SOURCE_DATA) + "/term_model.txt", &error)) << error;
  // Being in the title makes a candidate more likely a keyword.
  float plain[kTermFeatures] = {}, title[kTermFeatures] = {};
  plain[kFBias] = title[kFBias] = 1.0f;
  title[kFInTitle] = title[kFTextInTitle] = 1.0f;
  EXPECT_GT(m.Logit(title), m.Logit(plain));
}

// Terms are ranked by their logits and ties keep their order, so the
// logit must be the weighted sum taken in feature order, bit for bit, and
// not a regrouping of it that rounds differently.
TEST(TermModel, TheLogitIsTheSumInFeatureOrderBitForBit) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> weight(-9.0, 9.0);
  std::uniform_real_distribution<float> value(0.0f, 1.0f);
  std::vector<double> w(kTermFeatures);
  std::string text = "features " + std::to_string(kTermFeatures) + "\nlambda 4\nweights";
  char number[64];
  for (double& x : w) {
    x = weight(random);
    std::snprintf(number, sizeof number, " %.17g", x);
    text += number;
  }
  TermModel m;
  std::string error;
  ASSERT_TRUE(m.Parse(text + "\n", &error)) << error;
  for (int round = 0; round < 200; ++round) {
    float f[kTermFeatures];
    for (float& x : f) x = random() % 3 == 0 ? value(random) : 0.0f;
    volatile double expected = 0.0;  // one rounding after each addition
    for (int i = 0; i < kTermFeatures; ++i) expected = expected + w[i] * static_cast<double>(f[i]);
    EXPECT_EQ(m.Logit(f), expected) << "round " << round;
  }
}

TEST(TermModel, Log1pCountIsTheFloatExpressionBitForBit) {
  // Inside the table, across its edges and beyond it, with and without halves.
  for (int whole : {0, 1, 2, 3, 17, 100, 255, 256, 510, 511, 512, 513, 1023, 1024, 5000, 1 << 20}) {
    for (int half : {0, 1, 2, 3, 9, 511, 512, 1000}) {
      const float expected = std::log1p(static_cast<float>(whole) + 0.5f * static_cast<float>(half));
      const float got = Log1pCount(whole, half);
      EXPECT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << whole << " + " << half << " / 2";
    }
    const float plain = std::log1p(static_cast<float>(whole));
    const float got = Log1pCount(whole);
    EXPECT_EQ(std::memcmp(&got, &plain, sizeof got), 0) << whole;
  }
  for (int m = 0; m < 1100; ++m) {
    EXPECT_EQ(Log1pCount(m / 2, m % 2), std::log1p(static_cast<float>(m / 2) + 0.5f * static_cast<float>(m % 2)));
  }
}

}  // namespace
}  // namespace ekvr
