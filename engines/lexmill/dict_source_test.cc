#include "dict_source.h"

#include <gtest/gtest.h>

namespace lexmill {
namespace {

TEST(DictSourceTest, ParsesAllFourColumns) {
  SourceEntry e;
  std::string error;
  ASSERT_EQ(ParseSourceLine("word\t12\t9\tn 9 26", &e, &error), LineResult::kEntry);
  EXPECT_EQ(e.word, "word");
  EXPECT_EQ(e.freq, 12u);
  EXPECT_EQ(e.code, 9);
  EXPECT_EQ(e.info, "n 9 26");
}

TEST(DictSourceTest, InformationTextIsOptionalAndKeepsTabs) {
  SourceEntry e;
  std::string error;
  ASSERT_EQ(ParseSourceLine("w\t1\t0\r", &e, &error), LineResult::kEntry);
  EXPECT_EQ(e.info, "");
  ASSERT_EQ(ParseSourceLine("w\t1\t0\ta\tb", &e, &error), LineResult::kEntry);
  EXPECT_EQ(e.info, "a\tb");
}

TEST(DictSourceTest, SkipsCommentsAndBlankLines) {
  SourceEntry e;
  std::string error;
  EXPECT_EQ(ParseSourceLine("# comment\tx\t1", &e, &error), LineResult::kSkip);
  EXPECT_EQ(ParseSourceLine("", &e, &error), LineResult::kSkip);
  EXPECT_EQ(ParseSourceLine("\r", &e, &error), LineResult::kSkip);
}

TEST(DictSourceTest, RejectsMalformedLines) {
  SourceEntry e;
  std::string error;
  for (const char* line : {"word only", "w\t12", "w\t-1\t0", "w\t1x\t0", "w\t\t0", "w\t1\t40000",
                           "w\t99999999999\t0", "\t1\t0\tinfo"}) {
    error.clear();
    EXPECT_EQ(ParseSourceLine(line, &e, &error), LineResult::kError) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
}

}  // namespace
}  // namespace lexmill
