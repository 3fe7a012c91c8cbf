// The engine through its exported functions, with the real segmentation
// engine and the data folder of the build, on real articles.
#include <gtest/gtest.h>

#include <cctype>

#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/gbk_script.h"
#include "common/text.h"
#include "extend_kvr.h"

namespace {

struct Fixture {
  std::vector<std::string> lines;  // title, abstract or text, keywords, class
};

Fixture ReadFixture(const char* name) {
  std::ifstream in(std::string(EKVR_TESTDATA) + "/" + name, std::ios::binary);
  Fixture f;
  for (std::string line; std::getline(in, line);) f.lines.push_back(line);
  f.lines.resize(4);
  return f;
}

char g_null[] = "NULL";

class EngineApi : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(EKVR_SetPath(), 1);
    ASSERT_NE(EKVR_Word_Init(1, 1), 0);
  }
  void TearDown() override { EKVR_FreeDict(); }

  void Load(const Fixture& f, const std::string& body = "", int class_mode = 1) {
    ASSERT_EQ(EKVR_Init_File2(f.lines[0].c_str(), f.lines[2].c_str(), f.lines[1].c_str(), "",
                              body.c_str(), g_null), 1);
    ASSERT_EQ(SetCHIThreshold(200.0f), 1);
    ASSERT_EQ(EKVR_CalculateTxtValue(0, class_mode), 1);
  }

  std::vector<std::string> Classes(int* result, std::vector<float>* scores_out = nullptr) {
    std::vector<std::vector<char>> buffers(100, std::vector<char>(128, '\0'));
    std::vector<char*> pointers;
    for (auto& b : buffers) pointers.push_back(b.data());
    float scores[100] = {};
    int count = 100;
    *result = GetTxtClassifyTemp(pointers.data(), scores, &count, 0);
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) {
      out.emplace_back(buffers[i].data());
      if (scores_out != nullptr) scores_out->push_back(scores[i]);
      if (i > 0) {
        EXPECT_LE(scores[i], scores[i - 1]);
      }
    }
    return out;
  }
  // What Tarnix's class step multiplies a term's weight by: 2 for the
  // classes that make up 60 % of the article's class scores, 0.5 else.
  std::function<double(const std::string&)> ClassStep() {
    int r = 0;
    std::vector<float> scores;
    const std::vector<std::string> classes = Classes(&r, &scores);
    float total = 0.0f, run = 0.0f;
    for (float v : scores) total += v;
    std::set<std::string> leading;
    for (size_t i = 0; i < classes.size(); ++i) {
      leading.insert(classes[i]);
      run += scores[i];
      if (run >= 0.6f * total) break;
    }
    if (classes.empty()) leading.insert("");
    return [leading](const std::string& code) { return leading.count(code) != 0 ? 2.0 : 0.5; };
  }

  std::vector<ArticleTerm> Terms(int kind, int capacity) {
    std::vector<ArticleTerm> table(static_cast<size_t>(capacity) + 1);
    std::memset(table.data(), 0x5A, table.size() * sizeof(ArticleTerm));
    int count = capacity;
    EXPECT_EQ(EKVR_GetArticleInfo(table.data(), &count, kind), 1);
    EXPECT_LE(count, capacity);
    EXPECT_EQ(static_cast<unsigned char>(table[static_cast<size_t>(capacity)].word[0]), 0x5A);
    table.resize(static_cast<size_t>(count));
    return table;
  }
};

TEST_F(EngineApi, ChineseArticleGivesTitleTermsKeywordsAndItsDiscipline) {
  const Fixture f = ReadFixture("zh_0.txt");
  Load(f);
  int r = 0;
  const auto classes = Classes(&r);
  EXPECT_EQ(r, 1);
  ASSERT_GE(classes.size(), 3u);
  EXPECT_EQ(classes[0], f.lines[3]);

  const auto full = Terms(1, 10000);
  ASSERT_FALSE(full.empty());
  bool title_term = false, classed = false;
  for (const ArticleTerm& t : full) {
    EXPECT_GE(t.position, 0);
    EXPECT_LE(t.position, 2);
    EXPECT_GT(t.frequency, 0);
    EXPECT_GT(t.weight, 0.0f);
    const std::string word = tarnix::FieldText(t.word);
    if (t.position == 1) {
      EXPECT_NE(f.lines[0].find(word), std::string::npos) << word;
      title_term = true;
    }
    if (t.class_code[0] != '\0') classed = true;
  }
  EXPECT_TRUE(title_term);
  EXPECT_TRUE(classed);

  // Author keywords lead the abstract list, in their order.
  const auto abstract = Terms(2, 50);
  ASSERT_GE(abstract.size(), 4u);
  EXPECT_EQ(std::string(abstract[0].word) + ";" + abstract[1].word + ";" + abstract[2].word,
            f.lines[2]);
  EXPECT_EQ(abstract[0].position, 2);
  EXPECT_EQ(abstract[3].position, 0);
}

TEST_F(EngineApi, LibraryClassModeAnswersInLibraryClasses) {
  Load(ReadFixture("zh_0.txt"), "", 0);
  int r = 0;
  const auto classes = Classes(&r);
  ASSERT_FALSE(classes.empty());
  EXPECT_EQ(classes[0], "TP3");
  for (const ArticleTerm& t : Terms(1, 10000)) {
    if (t.class_code[0] != '\0') {
      EXPECT_EQ(std::strchr(t.class_code, '.'), nullptr) << t.class_code;
    }
  }
}

TEST_F(EngineApi, CapacitiesAreNeverExceeded) {
  const Fixture f = ReadFixture("zh_1.txt");
  Load(f);
  EXPECT_EQ(Terms(1, 3).size(), 3u);
  EXPECT_EQ(Terms(2, 2).size(), 2u);
  EXPECT_TRUE(Terms(1, 0).empty());
  int count = 5;
  EXPECT_EQ(EKVR_GetArticleInfo(nullptr, &count, 1), 0);
  EXPECT_EQ(count, 0);
  std::vector<ArticleTerm> table(5);
  count = 5;
  EXPECT_EQ(EKVR_GetArticleInfo(table.data(), &count, 3), 0);
}

TEST_F(EngineApi, LongArticleStaysWithinTheTables) {
  const Fixture f = ReadFixture("zh_1.txt");
  std::string body;
  while (body.size() + f.lines[1].size() + 1 < 0x80000 - 1) body += f.lines[1] + "\n";
  while (body.size() < 0x80000 - 1) body += 'x';
  Load(f, body);
  const auto full = Terms(1, 10000);
  EXPECT_GT(full.size(), 10u);
  bool body_term = false;
  for (const ArticleTerm& t : full) body_term |= t.position == 3;
  EXPECT_TRUE(body_term);
  // Only the best full-text records go to Tarnix, whatever room it offers;
  // and without author keywords only the best ten abstract terms.
  EXPECT_LE(full.size(), 200u);
  for (size_t i = 1; i < full.size(); ++i) EXPECT_GE(full[i - 1].weight, full[i].weight);
  EXPECT_LE(Terms(2, 50).size(), 50u);
  Fixture bare = f;
  bare.lines[2].clear();
  Load(bare, body);
  const auto abstract = Terms(2, 50);
  EXPECT_GT(abstract.size(), 0u);
  EXPECT_LE(abstract.size(), 10u);
  body += 'x';  // one byte over the limit
  EXPECT_EQ(EKVR_Init_File2("t", "", "", "", body.c_str(), g_null), 0);
  int count = 10;
  std::vector<ArticleTerm> table(10);
  EXPECT_EQ(EKVR_GetArticleInfo(table.data(), &count, 1), 0);  // no current article
}

TEST_F(EngineApi, AuthorKeywordsOutweighEveryOtherTerm) {
  const Fixture f = ReadFixture("zh_0.txt");
  Load(f);
  const auto full = Terms(1, 10000);
  ASSERT_GT(full.size(), 3u);
  std::set<std::string> keywords;
  for (const ArticleTerm& t : Terms(2, 50)) {
    if (t.position == 2) keywords.insert(t.word);
  }
  ASSERT_EQ(keywords.size(), 3u);  // Java虚拟机;嵌入式Java芯片;即时编译器
  // Summed over the fields a term occurs in, as the host sees them after
  // Tarnix's class step; the keywords' own words (Java, 芯片) do not count
  // as keywords.
  const auto step = ClassStep();
  std::map<std::string, double> total;
  for (const ArticleTerm& t : full) {
    EXPECT_TRUE(std::isfinite(t.weight) && t.weight > 0.0f) << t.word;
    total[t.word] += t.weight * step(t.class_code);
  }
  double lightest_keyword = 1e300, heaviest_other = 0.0;
  for (const auto& [word, weight] : total) {
    if (keywords.count(word) != 0) {
      lightest_keyword = std::min(lightest_keyword, weight);
    } else {
      heaviest_other = std::max(heaviest_other, weight);
    }
  }
  EXPECT_GT(lightest_keyword, heaviest_other);
}

// A Traditional article is analysed as its Simplified copy: the same
// terms and weights, written in the article's own characters.
TEST_F(EngineApi, ATraditionalArticleGetsTheSimplifiedTermsInItsOwnCharacters) {
  Load(ReadFixture("zh_0.txt"));
  const auto simple = Terms(1, 10000);
  const auto simple_kind2 = Terms(2, 50);
  const Fixture f = ReadFixture("zh_0_traditional.txt");
  Load(f);
  const auto traditional = Terms(1, 10000);
  const auto traditional_kind2 = Terms(2, 50);
  ASSERT_EQ(traditional.size(), simple.size());
  ASSERT_EQ(traditional_kind2.size(), simple_kind2.size());
  const std::string text = f.lines[0] + f.lines[1] + f.lines[2];
  size_t changed = 0;
  for (size_t i = 0; i < simple.size(); ++i) {
    std::string word = traditional[i].word;
    EXPECT_NE(text.find(word), std::string::npos) << i;  // cut from the article itself
    changed += word != simple[i].word;
    tarnix::SimplifyGbk(&word);
    EXPECT_EQ(word, simple[i].word) << i;
    EXPECT_EQ(traditional[i].weight, simple[i].weight) << i;
    EXPECT_EQ(traditional[i].position, simple[i].position) << i;
  }
  EXPECT_GT(changed, simple.size() / 4);
  for (size_t i = 0; i < simple_kind2.size(); ++i) {
    std::string word = traditional_kind2[i].word;
    tarnix::SimplifyGbk(&word);
    EXPECT_EQ(word, simple_kind2[i].word) << i;
  }
  // The next Simplified article is not touched.
  Load(ReadFixture("zh_0.txt"));
  const auto again = Terms(1, 10000);
  ASSERT_EQ(again.size(), simple.size());
  for (size_t i = 0; i < again.size(); ++i) EXPECT_STREQ(again[i].word, simple[i].word);
}

TEST_F(EngineApi, EmptyArticleHasNoTermsAndNoClasses) {
  ASSERT_EQ(EKVR_Init_File2("", "", "", "", "", g_null), 1);
  ASSERT_EQ(EKVR_CalculateTxtValue(0, 1), 1);
  int r = 1;
  EXPECT_TRUE(Classes(&r).empty());
  EXPECT_NE(r, 1);
  EXPECT_TRUE(Terms(1, 100).empty());
  EXPECT_TRUE(Terms(2, 50).empty());
}

TEST_F(EngineApi, RejectsWhatItCannotUse) {
  EXPECT_EQ(EKVR_Word_Init(1, 3), 0);
  EXPECT_EQ(SetCHIThreshold(std::nanf("")), 0);
  EXPECT_EQ(SetCHIThreshold(-1.0f), 0);
  EXPECT_EQ(EKVR_Init_File2(nullptr, "", "", "", "", g_null), 0);
  EXPECT_EQ(EKVR_CalculateTxtValue(0, 1), 0);  // no article
  char out[100];
  EXPECT_EQ(GetFormalizationClass("081203", out), 1);
  EXPECT_STREQ(out, "08.12.03");
  EXPECT_EQ(GetFormalizationClass("0812", out), 1);
  EXPECT_STREQ(out, "08.12");
  EXPECT_EQ(GetFormalizationClass("TP391", out), 0);
  EXPECT_EQ(GetFormalizationClass(nullptr, out), 0);
}

TEST(EngineApiEnglish, EnglishTermsAreTextsOfTheArticleWithTheirWholeFrequency) {
  ASSERT_EQ(EKVR_SetPath(), 1);
  ASSERT_NE(EKVR_Word_Init(1, 2), 0);
  const Fixture f = ReadFixture("en_0.txt");
  ASSERT_EQ(EKVR_Init_File2(f.lines[0].c_str(), f.lines[2].c_str(), f.lines[1].c_str(), "", "",
                            g_null), 1);
  ASSERT_EQ(EKVR_CalculateTxtValue(0, 1), 1);
  char buffer[128] = "";
  char* classes[1] = {buffer};
  float score = 0.0f;
  int count = 1;
  EXPECT_NE(GetTxtClassifyTemp(classes, &score, &count, 0), 1);
  EXPECT_EQ(count, 0);
  std::vector<ArticleTerm> table(10000);
  count = 10000;
  ASSERT_EQ(EKVR_GetArticleInfo(table.data(), &count, 1), 1);
  ASSERT_GT(count, 0);
  // The article's own text, its author keywords included.
  std::string article = f.lines[0] + "\n" + f.lines[1] + "\n" + f.lines[2];
  for (char& c : article) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  bool indexing = false;
  for (int i = 0; i < count; ++i) {
    const std::string word = tarnix::FieldText(table[i].word);
    const std::string second = tarnix::FieldText(table[i].second_word);
    // One record per term: the text shown is the text counted, it occurs
    // in the article (case aside) as often as the frequency says, and
    // weights are on the fixed scale.
    EXPECT_EQ(word, second);
    std::string lower = second;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(article.find(lower), std::string::npos) << second;
    EXPECT_GE(table[i].frequency, 1) << second;
    EXPECT_GT(table[i].weight, 0.0f);
    EXPECT_LE(table[i].weight, 100.0f);
    if (i > 0) {
      EXPECT_GE(table[i - 1].weight, table[i].weight);
    }
    indexing |= second == "latent semantic indexing" && table[i].position == 1;
  }
  EXPECT_TRUE(indexing);
  EKVR_FreeDict();
}

}  // namespace
