#include "article_terms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ekvr {
namespace {

TEST(SplitKeywords, SplitsAtAsciiAndFullWidthSeparators) {
  // ；(A3BB) 、(A1A2) and a full-width blank (A1A1) around a keyword.
  const auto k = SplitKeywords(" a ;b\xA3\xBB" "c\xA1\xA2\xA1\xA1" "d\xA1\xA1,a");
  EXPECT_EQ(k, (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(LooksChinese, SymbolsAndGreekLettersDoNotMakeAnArticleChinese) {
  ArticleText a;
  // "α ± β ≤ γ §" in GBK (rows A6, A1, A8): an English text dense in symbols.
  a.field[kPosTitle] = "Bounds \xA6\xC1 \xA1\xC0 \xA6\xC2 \xA1\xDC \xA6\xC3 \xA1\xEC on x";
  EXPECT_FALSE(LooksChinese(a));
  a.field[kPosTitle] = "\xBB\xF9\xD3\xDA SVM \xB5\xC4\xCD\xBC\xCF\xF1\xB7\xD6\xC0\xE0";  // 基于 SVM 的图像分类
  EXPECT_TRUE(LooksChinese(a));
  a.field[kPosTitle].clear();
  a.field[kPosBody] = "\xD6\xD0\xCE\xC4";
  EXPECT_TRUE(LooksChinese(a));
}

}  // namespace
}  // namespace ekvr
