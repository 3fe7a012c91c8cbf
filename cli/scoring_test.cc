// The match form and the per-document scores, worked out by hand.
#include "scoring.h"

#include <gtest/gtest.h>

#include "text.h"

namespace tarnix {
namespace cli {
namespace {

TEST(MatchFormTest, NfkcLowerCaseAndTrimming) {
  MatchForm form;
  // Full-width letters and digits become ASCII; the ideographic space is a
  // blank that is trimmed.
  EXPECT_EQ(form.Of("\xE3\x80\x80\xEF\xBC\xA7\xEF\xBC\xB0\xEF\xBC\xB3\xEF\xBC\x92 \xE5\xAE\x9A\xE4\xBD\x8D ", false),
            "gps2 \xE5\xAE\x9A\xE4\xBD\x8D");  // "　ＧＰＳ２ 定位 " -> "gps2 定位"
  EXPECT_EQ(form.Of("  Neural Networks ", false), "neural networks");
}

TEST(MatchFormTest, EnglishWordsArePorterStemmed) {
  MatchForm form;
  EXPECT_EQ(form.Of("Neural  Networks", true), "neural network");
  EXPECT_EQ(form.Of("relational databases", true), "relat databas");
  EXPECT_EQ(form.Of("generalization", true), form.Of("generalizations", true));
  // Chinese keywords are never stemmed.
  EXPECT_EQ(form.Of("Networks", false), "networks");
}

TEST(ScoreDocumentTest, PrecisionDividesByKEvenForShortLists) {
  MatchForm form;
  // 2 of 3 predictions match, 4 distinct references (one given twice).
  const Scores s = ScoreDocument({"a", "x", "B"}, {"a", "b", "c", "d", "A "}, false, &form);
  EXPECT_DOUBLE_EQ(s.precision[0], 2.0 / 5);
  EXPECT_DOUBLE_EQ(s.recall[0], 2.0 / 4);
  EXPECT_DOUBLE_EQ(s.f1[0], 2 * 0.4 * 0.5 / 0.9);
  EXPECT_DOUBLE_EQ(s.precision[1], 2.0 / 10);
  EXPECT_DOUBLE_EQ(s.recall[1], 2.0 / 4);
}

TEST(ScoreDocumentTest, RepeatedMatchCountsOnceAndCutoffApplies) {
  MatchForm form;
  // "models" and "model" stem alike: one match, not two; "graph" is the
  // sixth prediction, inside the first ten only.
  const Scores s = ScoreDocument({"models", "model", "p", "q", "r", "graph"},
                                 {"model", "graphs"}, true, &form);
  EXPECT_DOUBLE_EQ(s.precision[0], 1.0 / 5);
  EXPECT_DOUBLE_EQ(s.recall[0], 1.0 / 2);
  EXPECT_DOUBLE_EQ(s.precision[1], 2.0 / 10);
  EXPECT_DOUBLE_EQ(s.recall[1], 1.0);
  EXPECT_DOUBLE_EQ(s.f1[1], 2 * 0.2 * 1.0 / 1.2);
}

TEST(ScoreDocumentTest, NoMatchGivesZeroes) {
  MatchForm form;
  const Scores s = ScoreDocument({}, {"a"}, false, &form);
  EXPECT_EQ(s.f1[0], 0.0);
  ScoreTotals t;
  t.Add(s);
  t.Add(ScoreDocument({"a"}, {"a"}, false, &form));
  EXPECT_DOUBLE_EQ(t.Mean().recall[0], 0.5);
  EXPECT_DOUBLE_EQ(t.Mean().precision[0], 0.1);
}

TEST(TextTest, PositionsAndWidths) {
  const std::string s = "ab\n\xE4\xB8\xAD\xF0\x9F\x98\x80";  // "ab\n中😀"
  EXPECT_EQ(PositionText(s, 6), "line 2, column 2");
  EXPECT_EQ(CodePointText(s, 6), "U+1F600");
  EXPECT_EQ(DisplayWidth("a\xE4\xB8\xAD"), 3u);
  EXPECT_EQ(FindInvalidUtf8("ok\xE4\xB8"), 2u);
  EXPECT_EQ(FindInvalidUtf8(s), std::string::npos);
}

}  // namespace
}  // namespace cli
}  // namespace tarnix
