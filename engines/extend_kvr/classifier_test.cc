#include "classifier.h"

#include <gtest/gtest.h>

namespace ekvr {
namespace {

// Two classes of 10 documents: "kernel" only in class 0, "soil" only in
// class 1, "method" evenly in both.
const char kModel[] =
    "# test model\n"
    "alpha 0.1\n"
    "class 08.12 10 cs\n"
    "class 09.03 10 soil\n"
    "kernel\t0:8\n"
    "method\t0:5 1:5\n"
    "soil\t1:9\n";

TEST(Classifier, PosteriorFavoursTheClassOfTheWords) {
  Classifier c;
  std::string error;
  ASSERT_TRUE(c.Parse(kModel, &error)) << error;
  ASSERT_EQ(c.class_count(), 2u);
  const auto p = c.Posterior({"kernel", "method", "unknown"});
  ASSERT_EQ(p.size(), 2u);
  EXPECT_GT(p[0], 0.9);
  EXPECT_NEAR(p[0] + p[1], 1.0, 1e-9);
  EXPECT_GT(c.Posterior({"soil"})[1], 0.9);
  EXPECT_TRUE(c.Posterior({"unknown"}).empty());
}

TEST(Classifier, PosteriorFromLookedUpWordsIsTheSame) {
  Classifier c;
  std::string error;
  ASSERT_TRUE(c.Parse(kModel, &error)) << error;
  const std::vector<std::string> words = {"method", "soil", "unknown", "kernel"};
  std::vector<const WordClassStats*> stats;
  for (const std::string& w : words) stats.push_back(c.Find(w));
  EXPECT_EQ(stats[2], nullptr);
  EXPECT_EQ(c.Posterior(stats), c.Posterior(words));
  EXPECT_TRUE(c.Posterior(std::vector<const WordClassStats*>{nullptr}).empty());
}

TEST(Classifier, TheFirstLineOfARepeatedWordHolds) {
  Classifier c;
  std::string error;
  ASSERT_TRUE(c.Parse(std::string(kModel) + "kernel\t1:9\n", &error)) << error;
  ASSERT_NE(c.Find("kernel"), nullptr);
  EXPECT_EQ(c.Find("kernel")->best_class, 0);
}

TEST(Classifier, AssociationIsTheChiSquareOfTheBestClass) {
  Classifier c;
  std::string error;
  ASSERT_TRUE(c.Parse(kModel, &error));
  const WordClassStats* kernel = c.Find("kernel");
  ASSERT_NE(kernel, nullptr);
  EXPECT_EQ(kernel->best_class, 0);
  EXPECT_NEAR(kernel->chi2, ChiSquare(8, 0, 2, 10), 1e-3);
  // Spread evenly: no positive association with either class.
  EXPECT_EQ(c.Find("method")->best_class, -1);
  EXPECT_EQ(c.Find("absent"), nullptr);
}

TEST(Classifier, MalformedModelIsAnError) {
  Classifier c;
  std::string error;
  EXPECT_FALSE(c.Parse("class 08.12 10 cs\nword\t3:1\n", &error));  // class index out of range
  EXPECT_FALSE(c.Parse("class 08.12 ten cs\nword\t0:1\n", &error));
  EXPECT_FALSE(c.Parse("alpha -1\nclass 08.12 10 cs\nword\t0:1\n", &error));
  EXPECT_FALSE(c.Parse("class 08.12 10 cs\n", &error));  // no words
  EXPECT_FALSE(c.Load("/nonexistent/classifier.model", &error));
}

}  // namespace
}  // namespace ekvr
