#include "tree_ensemble.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

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

TEST(TreeEnsemble, ManyCandidatesAtOnceScoreAsOneByOne) {
  TermModel m(3);
  std::string error;
  ASSERT_TRUE(m.Parse(kTwoTrees, &error)) << error;
  // Four candidates, three features each, side by side: the shallow trees
  // take the complete layout here.
  const float f[12] = {0.0f, 0.0f, 0.0f, 0.5f, 2.0f, -1.0f, 0.6f, 0.0f, -0.5f, 0.0f, 3.0f, -7.0f};
  double many[4];
  m.LogitMany(f, 4, 3, many);
  const double want[4] = {21.25, 11.25, 24.25, 12.25};
  for (int i = 0; i < 4; ++i) {
    EXPECT_DOUBLE_EQ(many[i], want[i]) << i;
    EXPECT_DOUBLE_EQ(m.Logit(f + 3 * i), want[i]) << i;
  }
}

// A tree node as a test writes it into a model's text.
struct WrittenNode {
  int feature;
  double threshold;
  int left, right;  // -1 for a leaf
  double value;
};

void AppendTree(const std::vector<WrittenNode>& nodes, std::string* text) {
  char line[160];
  *text += "tree\n";
  for (const WrittenNode& w : nodes) {
    if (w.left < 0) {
      std::snprintf(line, sizeof line, "leaf %.17g\n", w.value);
    } else {
      std::snprintf(line, sizeof line, "split %d %.17g %d %d\n", w.feature, w.threshold, w.left, w.right);
    }
    *text += line;
  }
}

// The score of the trees as written, walked one by one and added in order.
double WalkTrees(const std::vector<std::vector<WrittenNode>>& trees, double baseline, const float* row) {
  double sum = baseline;
  for (const auto& nodes : trees) {
    int at = 0;
    while (nodes[at].left >= 0) {
      at = static_cast<double>(row[nodes[at].feature]) <= nodes[at].threshold ? nodes[at].left : nodes[at].right;
    }
    sum += nodes[at].value;
  }
  return sum;
}

// A random tree in preorder whose paths hold at most max_depth splits, a
// node below that a leaf one time in leaf_odds; values, features and
// thresholds drawn by the given functions as the walk meets them.
template <typename Leaf, typename Feature, typename Threshold>
std::vector<WrittenNode> GrowTree(std::mt19937& random, int max_depth, unsigned leaf_odds, Leaf leaf, Feature feature,
                                  Threshold threshold) {
  std::vector<WrittenNode> nodes;
  std::function<int(int)> grow = [&](int level) {
    const int self = static_cast<int>(nodes.size());
    nodes.push_back({});
    if (level == max_depth || random() % leaf_odds == 0) {
      nodes[self] = {-1, 0.0, -1, -1, leaf()};
      return self;
    }
    const int f = feature();
    const double t = threshold();
    const int left = grow(level + 1);
    const int right = grow(level + 1);
    nodes[self] = {f, t, left, right, 0.0};
    return self;
  };
  grow(0);
  return nodes;
}

// Random trees, shallow (the complete layout) and deep (the walk): scores
// of a batch equal those of single calls, and both equal a plain walk of
// the trees as written.
TEST(TreeEnsemble, BatchesOfRandomTreesScoreAsWritten) {
  std::mt19937 random(11);
  // Depths that take each way of scoring: split tests by column, complete
  // walks, walks that stop at their leaf.
  for (int depth : {2, 3, 5, 9}) {
    std::vector<std::vector<WrittenNode>> trees;
    std::string text = "features 5\nlambda 1\nbaseline 0.5\n";
    for (int t = 0; t < 20; ++t) {
      std::vector<WrittenNode> nodes = GrowTree(
          random, depth, 4, [&] { return static_cast<double>(random() % 1000) / 7.0; },
          [&] { return static_cast<int>(random() % 5); },
          [&] { return static_cast<double>(random() % 2001) / 1000.0 - 1.0 + 1e-9; });
      AppendTree(nodes, &text);
      trees.push_back(std::move(nodes));
    }
    TermModel m(5);
    std::string error;
    ASSERT_TRUE(m.Parse(text, &error)) << error;
    std::uniform_real_distribution<float> value(-1.2f, 1.2f);
    // Two full blocks of 64 and a part of one, and last blocks of other
    // sizes, whose lanes are scored 16 at a time.
    for (const int candidates : {150, 2, 16, 17, 64, 97}) {
      std::vector<float> f(candidates * 5);
      for (float& v : f) v = value(random);
      std::vector<double> many(candidates);
      m.LogitMany(f.data(), candidates, 5, many.data());
      for (int c = 0; c < candidates; ++c) {
        const double want = WalkTrees(trees, 0.5, &f[c * 5]);
        EXPECT_DOUBLE_EQ(many[c], want) << "depth " << depth << ", candidate " << c;
        EXPECT_DOUBLE_EQ(m.Logit(&f[c * 5]), want) << "depth " << depth << ", candidate " << c;
      }
    }
  }
}

// Shallow trees that share tests, as trained trees do: thresholds from a
// short list, features that sit exactly on them, NaN and infinities. A
// batch must give every candidate the very double a plain walk adds up
// (the same leaves in the same order), whatever the block, the number of
// trees (a model too large for the scorer's stack) or the row width.
TEST(TreeEnsemble, SharedTestsScoreBitForBitAsAPlainWalk) {
  std::mt19937 random(23);
  const float kThresholds[] = {-1.0f, -0.25f, 0.0f, 0.125f, 0.5f, 0.75f, 3.0f};
  const float kOdd[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                        -std::numeric_limits<float>::infinity(), -0.0f};
  struct Case {
    int features, trees;
  };
  for (const Case& size : {Case{6, 30}, Case{70, 40}, Case{9, 700}}) {
    std::vector<std::vector<WrittenNode>> trees;
    std::string text = "features " + std::to_string(size.features) + "\nlambda 1\nbaseline -3.0470656740891511\n";
    for (int t = 0; t < size.trees; ++t) {
      std::vector<WrittenNode> nodes = GrowTree(
          random, 3, 5, [&] { return std::ldexp(static_cast<double>(random()), -34) - 0.1; },
          [&] { return static_cast<int>(random() % size.features); },
          [&] { return static_cast<double>(kThresholds[random() % 7]); });
      AppendTree(nodes, &text);
      trees.push_back(std::move(nodes));
    }
    TermModel m(size.features);
    std::string error;
    ASSERT_TRUE(m.Parse(text, &error)) << error;
    for (const int candidates : {64, 3, 31, 129}) {
      std::vector<float> f(static_cast<size_t>(candidates) * size.features);
      for (float& v : f) {
        const unsigned pick = random() % 10;
        v = pick < 5 ? kThresholds[random() % 7]
                     : pick < 6 ? kOdd[random() % 4] : static_cast<float>(random() % 801) / 200.0f - 2.0f;
      }
      std::vector<double> many(candidates);
      m.LogitMany(f.data(), candidates, size.features, many.data());
      for (int c = 0; c < candidates; ++c) {
        const float* row = &f[static_cast<size_t>(c) * size.features];
        const double want = WalkTrees(trees, -3.0470656740891511, row);
        ASSERT_EQ(std::memcmp(&many[c], &want, sizeof want), 0)
            << size.trees << " trees, candidate " << c << " of " << candidates << ": " << many[c] << " vs " << want;
      }
    }
  }
}

TEST(TreeEnsemble, AThresholdAFloatCannotHoldDecidesAsTheExactValue) {
  // 0.1f is 0.100000001490116...: above the threshold 0.1, equal to the
  // second one.
  const std::string head = "features 1\nlambda 1\nbaseline 0\ntree\n";
  TermModel m(1), n(1);
  std::string error;
  ASSERT_TRUE(m.Parse(head + "split 0 0.1 1 2\nleaf 1\nleaf 2\n", &error)) << error;
  ASSERT_TRUE(n.Parse(head + "split 0 0.10000000149011612 1 2\nleaf 1\nleaf 2\n", &error)) << error;
  const float f[2] = {0.1f, 0.1f};
  double out[2];
  EXPECT_EQ(m.Logit(f), 2.0);
  m.LogitMany(f, 2, 1, out);
  EXPECT_EQ(out[0], 2.0);
  EXPECT_EQ(n.Logit(f), 1.0);
  n.LogitMany(f, 2, 1, out);
  EXPECT_EQ(out[1], 1.0);
}

TEST(TreeEnsemble, RejectsTreesThatCouldMisreadOrNeverEnd) {
  const std::string head = "features 3\nlambda 1\nbaseline 0\n";
  // Every split sending both ways to the next: 2^40 paths through 41 nodes.
  std::string graph = "tree\n";
  for (int i = 0; i < 40; ++i) graph += "split 0 1 " + std::to_string(i + 1) + " " + std::to_string(i + 1) + "\n";
  graph += "leaf 1\n";
  const std::string bad[] = {
      graph,
      "tree\nsplit 0 1 1 3\nsplit 1 1 2 3\nleaf 1\nleaf 2\n",  // node 3 the child of two splits
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
  for (const std::string& trees : bad) {
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
