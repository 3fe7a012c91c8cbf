#include "zh_classes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
}  // namespace ekvr
