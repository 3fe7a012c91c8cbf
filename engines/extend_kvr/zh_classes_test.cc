#include "zh_classes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "class_scheme.h"
#include "classifier.h"

namespace ekvr {
namespace {

TEST(LeadingClasses, TheGroupReachingSixtyPercentAsTarnixReadsIt) {
  using V = std::vector<std::string>;
  EXPECT_EQ(LeadingClasses({{"TP", 0.5f}, {"TN", 0.2f}, {"O", 0.2f}, {"R", 0.1f}}), (V{"TP", "TN"}));
  EXPECT_EQ(LeadingClasses({{"TP", 0.9f}, {"TN", 0.1f}}), V{"TP"});
  EXPECT_EQ(LeadingClasses({{"TP", 0.25f}, {"TN", 0.25f}, {"O", 0.25f}, {"R", 0.25f}}), (V{"TP", "TN", "O"}));
  EXPECT_EQ(LeadingClasses({}), V{""});  // no class: the empty code is the article's
  // Tarnix reads at most 100 classes; their sum decides.
  std::vector<ClassCandidate> many;
  for (int i = 0; i < 150; ++i) many.push_back({"C" + std::to_string(i), 1.0f});
  EXPECT_EQ(LeadingClasses(many).size(), 60u);
  EXPECT_EQ(ClassStepFactor("TN", {"TP", "TN"}), 2.0);
  EXPECT_EQ(ClassStepFactor("", {"TP", "TN"}), 0.5);
}

// The classes as a map of codes adds them up, best first; the plain form
// of what Classify does with the merge worked out beforehand.
std::vector<ClassCandidate> MergedByMap(const Resources& res, const std::vector<double>& post) {
  std::map<std::string, double> merged;
  for (size_t c = 0; c < post.size(); ++c) {
    const std::string& code = res.classifier->class_code(c);
    if (res.class_mode == 0) {
      const Discipline* d = res.scheme->FindCode(code);
      if (d != nullptr) merged[d->library.front()] += post[c];
    } else {
      merged[code] += post[c];
    }
  }
  std::vector<ClassCandidate> out;
  for (const auto& [code, score] : merged) out.push_back({code, static_cast<float>(score)});
  std::stable_sort(out.begin(), out.end(), [](const ClassCandidate& a, const ClassCandidate& b) { return a.score > b.score; });
  return out;
}

TEST(Classify, TheMergedClassesAreThoseOfAMapOfCodes) {
  // Disciplines out of code order; two share the library class TP3, one
  // has no entry in the scheme, and equal evidence makes equal scores.
  Classifier classifier;
  ClassScheme scheme;
  std::string error;
  ASSERT_TRUE(classifier.Parse("alpha 0.1\n"
                               "class 09.03 10 soil\n"
                               "class 08.12 10 cs\n"
                               "class 99.99 10 none\n"
                               "class 08.11 10 ce\n"
                               "class 06 10 hist\n"
                               "w0\t0:8 1:2\nw1\t1:5 3:5\nw2\t2:9\nw3\t3:4 4:4\nw4\t0:3 2:3 4:3\nw5\t1:1\n",
                               &error))
      << error;
  ASSERT_TRUE(scheme.Parse("08.12\tcs\teng\tTP3\n08.11\tce\teng\tTP3,TP39\n09.03\tsoil\tagr\tS1\n06\thist\thist\tK\n",
                           &error))
      << error;
  std::mt19937 random(7);
  for (int mode : {0, 1}) {
    Resources res;
    res.classifier = &classifier;
    res.scheme = &scheme;
    res.class_mode = mode;
    const ClassMerge merge = MergeClasses(res);
    for (int round = 0; round < 200; ++round) {
      std::vector<const WordClassStats*> features;
      for (int w = 0; w < 6; ++w) {
        for (int n = static_cast<int>(random() % 3); n > 0; --n) features.push_back(classifier.Find("w" + std::to_string(w)));
      }
      if (random() % 5 == 0) features.push_back(nullptr);
      const std::vector<ClassCandidate> want = MergedByMap(res, classifier.Posterior(features));
      for (const ClassMerge* given : {&merge, static_cast<const ClassMerge*>(nullptr)}) {
        res.merge = given;
        Analysis out;
        Classify(res, features, &out);
        ASSERT_EQ(out.classes.size(), want.size()) << "mode " << mode << ", round " << round;
        for (size_t i = 0; i < want.size(); ++i) {
          EXPECT_EQ(out.classes[i].code, want[i].code) << "mode " << mode << ", round " << round;
          EXPECT_EQ(out.classes[i].score, want[i].score) << "mode " << mode << ", round " << round;
        }
      }
    }
  }
}

}  // namespace
}  // namespace ekvr
