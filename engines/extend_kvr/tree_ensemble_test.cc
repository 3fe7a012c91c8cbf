#include "tree_ensemble.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "en_features.h"
#include "term_model.h"

namespace ekvr {
namespace {

// Two trees over three features:
//   tree 1: f0 <= 0.5 ? (f1 <= 2 ? 1.0 : 2.0) : 4.0
//   tree 2: f2 <= -1 ? 10.0 : 20.0
const char kTwoTrees[] =
    "# comment\n"
    "features 3\n"
    "lambda 1\n"
    "baseline 0.25\n"
    "tree\n"
    "split 0 0.5 1 4\n"
    "split 1 2 2 3\n"
    "leaf 1\n"
    "leaf 2\n"
    "leaf 4\n"
    "tree\n"
    "split 2 -1 1 2\n"
    "leaf 10\n"
    "leaf 20\n";

TEST(TreeEnsemble, ScoresTheBaselinePlusOneLeafOfEveryTree) {
  TermModel m(3);
  std::string error;
  ASSERT_TRUE(m.Parse(kTwoTrees, &error)) << error;
  const float a[3] = {0.0f, 0.0f, 0.0f};
  const float b[3] = {0.5f, 2.0f, -1.0f};  // on every threshold: the left branch
  const float c[3] = {0.6f, 0.0f, -0.5f};
  const float d[3] = {0.0f, 3.0f, -7.0f};
  EXPECT_DOUBLE_EQ(m.Logit(a), 0.25 + 1.0 + 20.0);
  EXPECT_DOUBLE_EQ(m.Logit(b), 0.25 + 1.0 + 10.0);
  EXPECT_DOUBLE_EQ(m.Logit(c), 0.25 + 4.0 + 20.0);
  EXPECT_DOUBLE_EQ(m.Logit(d), 0.25 + 2.0 + 10.0);
}

TEST(TreeEnsemble, RejectsTreesThatCouldMisreadOrNeverEnd) {
  const std::string head = "features 3\nlambda 1\nbaseline 0\n";
  const char* const bad[] = {
      "tree\nsplit 0 1 0 1\nleaf 1\n",           // a child that is the node itself: a loop
      "tree\nleaf 1\ntree\nsplit 0 1 1 5\nleaf 1\n",  // a child outside its tree
      "tree\nsplit 3 1 1 2\nleaf 1\nleaf 2\n",   // no such feature
      "tree\nsplit -1 1 1 2\nleaf 1\nleaf 2\n",
      "tree\nsplit 0 nan 1 2\nleaf 1\nleaf 2\n",
      "tree\nleaf inf\n",
      "tree\n",                                  // an empty tree
      "leaf 1\n",                                // a node before any tree
      "tree\nleaf 1 2\n",
      "tree\nleaf 1\nweights 0 0 0\n",           // trees and weights at once
  };
  for (const char* trees : bad) {
    TermModel m(3);
    std::string error;
    EXPECT_FALSE(m.Parse(head + trees, &error)) << trees;
    EXPECT_NE(error.find("term model"), std::string::npos) << trees;
    const float f[3] = {0.0f, 0.0f, 0.0f};
    EXPECT_EQ(m.Logit(f), 0.0) << trees;  // nothing usable is left behind
  }
  TermModel m(3);
  std::string error;
  EXPECT_FALSE(m.Parse("features 3\nlambda 1\ntree\nleaf 1\n", &error));  // no baseline
  EXPECT_TRUE(m.Parse(head + "tree\nleaf 1\n", &error)) << error;       // a stump is a tree
}

TEST(TreeEnsemble, TheCommittedEnglishModelLoadsAndPrefersKnownKeyphrases) {
  TermModel m(kEnglishFeatures);
  std::string error;
  ASSERT_TRUE(m.Load(std::string(EKVR_SOURCE_DATA) + "/" + kEnglishModelFile, &error)) << error;
  // A two-word phrase of an abstract seen three times; then the same
  // phrase also in the title and often a keyphrase in training.
  float plain[kEnglishFeatures] = {};
  plain[kEBias] = 1.0f;
  plain[kELogFreq] = plain[kELogFreqAbstract] = 1.386f;
  plain[kEInAbstract] = 1.0f;
  plain[kEWords2] = 1.0f;
  plain[kEMeanIdf] = plain[kEMinIdf] = plain[kEHeadIdf] = 0.6f;
  plain[kELogDocWords] = 0.5f;
  float known[kEnglishFeatures];
  std::copy(plain, plain + kEnglishFeatures, known);
  KeyphraseFeatures(0, 30, plain);
  KeyphraseFeatures(20, 30, known);
  known[kEInTitle] = 1.0f;
  EXPECT_GT(m.Logit(known), m.Logit(plain) + 1.0);
}

}  // namespace
}  // namespace ekvr
