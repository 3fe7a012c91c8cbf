#include "idf_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "en_terms.h"
#include "gbk_chars.h"
#include "table_file.h"

namespace ekvr {
namespace {

std::string SourceFile(const char* name) { return std::string(EKVR_SOURCE_DATA) + "/" + name; }

TEST(IdfTable, ReadsWordsAndPairsBesideCommentsBlanksAndTabs) {
  IdfTable t;
  std::string error;
  ASSERT_TRUE(t.Parse("# GENERATED\n# documents 10\nthe 0.1\r\nsupport vector 6.5\nkernel\t4.25\n\nzeta 9\n",
                      &error))
      << error;
  EXPECT_EQ(t.size(), 4u);
  EXPECT_FLOAT_EQ(t.Get("the"), 0.1f);
  // The number follows the last blank, so a pair's words stay one key.
  EXPECT_FLOAT_EQ(t.Get("support vector"), 6.5f);
  EXPECT_FALSE(t.Has("support"));
  EXPECT_FLOAT_EQ(t.Get("kernel"), 4.25f);
  EXPECT_FLOAT_EQ(t.median(), 6.5f);
  bool listed = true;
  EXPECT_FLOAT_EQ(t.Get("unheard", &listed), 6.5f);
  EXPECT_FALSE(listed);
  EXPECT_FLOAT_EQ(t.Get("zeta", &listed), 9.0f);
  EXPECT_TRUE(listed);
}

TEST(IdfTable, RejectsMalformedLinesAndEmptyTables) {
  IdfTable t;
  std::string error;
  for (const char* text : {"ok 1\nword\n", "ok 1\n 2.5\n", "ok 1\nword 1.5x\n", "ok 1\nword -1\n",
                           "ok 1\nword 1e9\n", "ok 1\nword nan\n", "ok 1\nword \n"}) {
    error.clear();
    EXPECT_FALSE(t.Parse(text, &error)) << text;
    EXPECT_NE(error.find("line 2"), std::string::npos) << text << ": " << error;
  }
  EXPECT_FALSE(t.Parse("# documents 0\n\n", &error));
  EXPECT_NE(error.find("empty"), std::string::npos);
  EXPECT_FALSE(t.Load(SourceFile("no_such_table.txt"), &error));
}

class CommittedEnglishTables : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(words_.Load(SourceFile("en_idf.txt"), &error)) << error;
    ASSERT_TRUE(pairs_.Load(SourceFile("en_bigram_df.txt"), &error)) << error;
  }
  // How much more often the pair stands together than its words would meet
  // in one document by chance (log scale, both tables on the same count).
  float Association(const std::string& first, const std::string& last) const {
    return words_.Get(first) + words_.Get(last) - pairs_.Get(first + " " + last);
  }
  IdfTable words_, pairs_;
};

TEST_F(CommittedEnglishTables, RankGeneralWordsBelowTechnicalOnes) {
  for (const char* w : {"the", "of", "and", "a"}) EXPECT_LT(words_.Get(w), 0.5f) << w;
  for (const char* w : {"method", "result", "paper", "study"}) {
    EXPECT_TRUE(words_.Has(w)) << w;
    EXPECT_LT(words_.Get(w), 3.5f) << w;
  }
  for (const char* w : {"eigenvalue", "ontology", "backpropagation", "phylogeny"}) {
    EXPECT_TRUE(words_.Has(w)) << w;
    EXPECT_GT(words_.Get(w), 5.0f) << w;
    EXPECT_GT(words_.Get(w), words_.Get("method") + 2.0f) << w;
  }
  // A word no source knows counts as a typical listed one, which in a table
  // of this size is a rare word.
  EXPECT_FALSE(words_.Has("kubernetes"));
  EXPECT_GT(words_.Get("kubernetes"), 7.0f);
}

// The tables are generated in Python; a change to Singular that the
// generator does not mirror leaves keys the engine never looks up.
TEST_F(CommittedEnglishTables, AreKeyedAsTheEngineKeysWords) {
  for (const char* plural : {"networks", "studies", "classes", "analyses", "matrices", "series", "species",
                             "processes", "approaches", "boxes"}) {
    EXPECT_TRUE(words_.Has(Singular(plural))) << plural << " -> " << Singular(plural);
  }
  // A pair is keyed as a phrase: its last word singular.
  EXPECT_TRUE(pairs_.Has("support " + Singular("vectors")));
  EXPECT_TRUE(pairs_.Has("neural " + Singular("networks")));
  for (const char* name : {"en_idf.txt", "en_bigram_df.txt"}) {
    std::string text;
    ASSERT_TRUE(ReadWholeFile(SourceFile(name), &text)) << name;
    std::vector<std::string> wrong;
    for (std::string_view line : SplitView(text, '\n')) {
      if (line.empty() || line.front() == '#') continue;
      const std::string_view key = line.substr(0, line.find_last_of(' '));
      const size_t blank = key.find_last_of(' ');
      const std::string_view last = blank == std::string_view::npos ? key : key.substr(blank + 1);
      if (LowerAscii(key) != key || Singular(last) != last) wrong.emplace_back(key);
    }
    EXPECT_TRUE(wrong.empty()) << name << ": " << wrong.size() << " keys the engine would not look up, as "
                               << wrong.front();
  }
}

TEST_F(CommittedEnglishTables, TellSetPhrasesFromChancePairs) {
  const float set_phrases[] = {Association("support", "vector"), Association("neural", "network"),
                               Association("machine", "learning"), Association("data", "mining")};
  const float chance_pairs[] = {Association("new", "method"), Association("good", "result"),
                                Association("different", "way"), Association("new", "approach")};
  for (float s : set_phrases) {
    for (float c : chance_pairs) EXPECT_GT(s, c + 1.5f);
  }
}

}  // namespace
}  // namespace ekvr
