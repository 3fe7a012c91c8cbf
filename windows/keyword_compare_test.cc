#include "keyword_compare.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnix_windows {
namespace {

const char kReference[] =
    "initial\t1\t0\n"
    "article\tzh.txt\t0\t2\n"
    "1\t3\t0.5\t0.625\t7809\tword\tsecond\tR917\n"
    "2\t1\t0.30000001192092896\t0.375\t4685\t\\x09tab\t\tR9\n"
    "freedict\t1\n";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

TEST(KeywordCompareTest, EqualOutputsAgreeAndWeightsMayDifferByRounding) {
  CompareResult same = CompareHostOutputs(kReference, kReference, 0);
  EXPECT_TRUE(same.same);
  EXPECT_EQ(same.keyword_lines, 2);
  EXPECT_EQ(same.max_relative, 0.0);

  // A float32 weight printed after a different rounding path.
  const std::string rounded = Replace(kReference, "0.30000001192092896", "0.30000004");
  CompareResult close = CompareHostOutputs(kReference, rounded, 1e-6);
  EXPECT_TRUE(close.same);
  EXPECT_GT(close.max_relative, 5e-8);
  EXPECT_LT(close.max_relative, 2e-7);
  EXPECT_FALSE(CompareHostOutputs(kReference, rounded, 1e-8).same);
}

TEST(KeywordCompareTest, TextsFrequenciesOrderAndCountsMustBeExact) {
  const std::string changed[] = {
      Replace(kReference, "\tword\t", "\tWord\t"),         // keyword text
      Replace(kReference, "\tsecond\t", "\tsecond \t"),    // second text
      Replace(kReference, "1\t3\t0.5", "1\t4\t0.5"),       // frequency
      Replace(kReference, "R917", "R91"),                  // class code
      Replace(kReference, "zh.txt\t0\t2", "zh.txt\t0\t3"), // count
      Replace(kReference, "freedict\t1", "freedict\t0"),   // life-cycle result
      Replace(kReference, "0.625\t7809", "0.625\t7810"),   // Word_Normal_Ten beyond rounding
  };
  for (const std::string& actual : changed) {
    CompareResult r = CompareHostOutputs(kReference, actual, 1e-6);
    EXPECT_FALSE(r.same) << actual;
    EXPECT_EQ(r.faults.size(), 1u) << actual;
  }
  // The same two keywords in the other order.
  const std::string reordered =
      "initial\t1\t0\n"
      "article\tzh.txt\t0\t2\n"
      "1\t1\t0.30000001192092896\t0.375\t4685\t\\x09tab\t\tR9\n"
      "2\t3\t0.5\t0.625\t7809\tword\tsecond\tR917\n"
      "freedict\t1\n";
  EXPECT_FALSE(CompareHostOutputs(kReference, reordered, 1e-6).same);
}

TEST(KeywordCompareTest, MissingExtraAndMalformedLinesAreFaults) {
  const std::string shorter = Replace(kReference, "freedict\t1\n", "");
  CompareResult missing = CompareHostOutputs(kReference, shorter, 1e-6);
  EXPECT_FALSE(missing.same);
  ASSERT_EQ(missing.faults.size(), 2u);  // the changed last line, the missing one
  EXPECT_EQ(missing.faults[0].rfind("line 5: ", 0), 0u);
  EXPECT_NE(missing.faults[1].find("missing line"), std::string::npos);
  EXPECT_FALSE(CompareHostOutputs(shorter, kReference, 1e-6).same);
  EXPECT_FALSE(CompareHostOutputs(kReference, Replace(kReference, "0.625", "nan"), 1e-6).same);
  EXPECT_FALSE(CompareHostOutputs(kReference, Replace(kReference, "0.625", "0.625x"), 1e-6).same);
  // A keyword line that lost a column is compared as a whole line.
  EXPECT_FALSE(CompareHostOutputs(kReference, Replace(kReference, "\tR917", ""), 1e-6).same);
  EXPECT_TRUE(CompareHostOutputs("", "", 1e-6).same);
  EXPECT_EQ(CompareHostOutputs("", "", 1e-6).keyword_lines, 0);
}

}  // namespace
}  // namespace tarnix_windows
