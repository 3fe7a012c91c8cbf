#include "english_terms.h"

#include <gtest/gtest.h>

#include <cstring>

#include "candidates_test_support.h"
#include "test_support.h"

namespace {

using candidates_testing::Tables;
using scripted::Lexmill;
using scripted::Term;
using Pieces = std::vector<std::string>;

// GBK texts of the titles.
constexpr char kJiYu[] = "\xBB\xF9\xD3\xDA";    // 基于
constexpr char kDe[] = "\xB5\xC4";              // 的
constexpr char kFangFa[] = "\xB7\xBD\xB7\xA8";  // 方法
constexpr char kHe[] = "\xBA\xCD";              // 和
constexpr char kDaYin[] = "\xB4\xF2\xD3\xA1";   // 打印
constexpr char kHao[] = "\xBA\xC5";             // 号

class EnglishTermsTest : public tarnix_testing::ScriptedTest {
 protected:
  void SetUp() override {
    ScriptedTest::SetUp();
    LoadDictionary("QOVA_CLA_CHN_DICT");
    for (int32_t i = 0; i < tarnix::kInfoMap1Capacity; ++i) {
      tarnix::InitArticleTerm(abstract_.terms[i], 100.0f);
    }
    full_.Set(0, Term("t1", 12.5f, 1));
    full_.Set(1, Term("t2", 3.0f, 1));
    full_.Set(2, Term("body", 40.0f, 0));
  }

  static void LoadDictionary(const std::string& name) {
    Lexmill().dictionaries[name];
    Lexmill().loaded.insert(name);
  }

  // Scripts the segmentation of the title made of pieces; returns the title.
  static std::string Segmented(const Pieces& pieces) {
    std::string title;
    std::vector<int> ends;
    for (const std::string& p : pieces) {
      title += p;
      ends.push_back(static_cast<int>(title.size()));
    }
    Lexmill().segments[title] = ends;
    return title;
  }

  static Pieces Terms(const std::string& title, bool expect_success = true) {
    Pieces terms{"left over"};
    EXPECT_EQ(tarnix::GetEngLishWord(terms, title.c_str()), expect_success) << title;
    return terms;
  }

  bool Add(const std::string& title, const char* article_class = "TP391") {
    return tarnix::AddEngLishWord(full_.info_map(), 3, abstract_.info_map(), &m_, title.c_str(),
                                  article_class);
  }

  Tables full_{3};
  Tables abstract_{tarnix::kInfoMap1Capacity, 100.0f};
  int32_t m_ = 0;
};

TEST_F(EnglishTermsTest, SingleTermBecomesAnAbstractCandidate) {
  const std::string title = Segmented({kJiYu, "SVM", kDe, kFangFa});
  m_ = 2;
  ASSERT_TRUE(Add(title));
  ASSERT_EQ(m_, 3);
  const ArticleTerm& added = abstract_.terms[2];
  EXPECT_STREQ(added.word, "SVM");
  EXPECT_STREQ(added.class_code, "TP391");
  EXPECT_EQ(added.position, 0);
  EXPECT_EQ(added.frequency, 50);
  EXPECT_FLOAT_EQ(added.weight, 10.0f);  // 0.8 of the heaviest title term
  EXPECT_STREQ(added.second_word, "");
  EXPECT_EQ(added.reserved2, -1);
  // The dictionary handle was given back.
  EXPECT_TRUE(Lexmill().handles.empty());
  EXPECT_EQ(scripted::CallsTo("Dict_Get_Handle")[0].args[0], "QOVA_CLA_CHN_DICT");
}

TEST_F(EnglishTermsTest, BlankSeparatedWordsJoinIntoOneTerm) {
  EXPECT_EQ(Terms(Segmented({kJiYu, "Deep", " ", "Learning", kDe, kFangFa})),
            Pieces{"Deep Learning"});
  EXPECT_EQ(Terms(Segmented({"Deep", " ", "Neural", " ", "Networks", kHe, "LSTM"})),
            (Pieces{"Deep Neural Networks", "LSTM"}));
  // Letters run on into numbers: a version stays with its name.
  EXPECT_EQ(Terms(Segmented({"YOLO", "v", "5", kFangFa})), Pieces{"YOLOv5"});
}

TEST_F(EnglishTermsTest, NumberLedPiecesAreDropped) {
  const std::string title = Segmented({"3", "D", kDaYin});
  EXPECT_EQ(Terms(title), Pieces{});
  ASSERT_TRUE(Add(title));
  EXPECT_EQ(m_, 0);
  // A number-led pair does not join the words around it.
  EXPECT_EQ(Terms(Segmented({"GPU", kHe, "2", "D", " ", "CNN"})), (Pieces{"GPU", "CNN"}));
  // After English words, though, numbers belong to the run.
  EXPECT_EQ(Terms(Segmented({"GPU", " ", "2", "D", " ", "CNN"})), Pieces{"GPU 2D CNN"});
}

TEST_F(EnglishTermsTest, PunctuationSeparatesTerms) {
  // "(" and longer punctuation stand between terms; other one-byte
  // punctuation is only dropped at the end.
  EXPECT_EQ(Terms(Segmented({"Model", "(", "ABC", ")", kFangFa})), (Pieces{"Model", "ABC"}));
  EXPECT_EQ(Terms(Segmented({"RNN", "--", "GRU"})), (Pieces{"RNN", "GRU"}));
  EXPECT_EQ(Terms(Segmented({"RNN", "-", "GRU"})), Pieces{"RNN-GRU"});
}

TEST_F(EnglishTermsTest, TitlesWithoutUsableEnglishAddNothing) {
  const std::string chinese = Segmented({kJiYu, kFangFa});
  ASSERT_TRUE(Add(chinese));
  EXPECT_TRUE(scripted::CallsTo("QX_Word_Sect").empty());

  const std::string letter = Segmented({kJiYu, "C", kFangFa});
  EXPECT_EQ(Terms(letter), Pieces{});
  ASSERT_TRUE(Add(letter));

  // Only a number leads: no English at all.
  EXPECT_EQ(Terms(Segmented({"5", kHao}), false), Pieces{});
  EXPECT_EQ(m_, 0);
}

TEST_F(EnglishTermsTest, AFullTableTakesNoMore) {
  const std::string title = Segmented({"CNN", kHe, "LSTM"});
  m_ = tarnix::kInfoMap1Capacity;
  ASSERT_TRUE(Add(title));
  EXPECT_EQ(m_, tarnix::kInfoMap1Capacity);

  m_ = tarnix::kInfoMap1Capacity - 1;
  ASSERT_TRUE(Add(title));
  EXPECT_EQ(m_, tarnix::kInfoMap1Capacity);
  EXPECT_STREQ(abstract_.terms[tarnix::kInfoMap1Capacity - 1].word, "CNN");
}

TEST_F(EnglishTermsTest, WeightFollowsTheHeaviestTitleTerm) {
  const std::string title = Segmented({"SVM", kFangFa});
  Tables none(1);
  none.Set(0, Term("body", 40.0f, 0));
  ASSERT_TRUE(tarnix::AddEngLishWord(none.info_map(), 1, abstract_.info_map(), &m_,
                                     title.c_str(), "TP"));
  ASSERT_EQ(m_, 1);
  EXPECT_FLOAT_EQ(abstract_.terms[0].weight, 0.0f);
}

TEST_F(EnglishTermsTest, LimitsOnTitleAndClass) {
  const std::string title = Segmented({"SVM", kFangFa});
  EXPECT_TRUE(Add(title, std::string(50, 'C').c_str()));
  EXPECT_TRUE(Add(std::string(512, 'A')));
  EXPECT_TRUE(Add(""));
  EXPECT_EQ(m_, 0);
  EXPECT_TRUE(scripted::CallsTo("QX_Word_Sect").empty());
  EXPECT_TRUE(Add(title, std::string(49, 'C').c_str()));
  EXPECT_EQ(m_, 1);

  Pieces terms;
  EXPECT_FALSE(tarnix::GetEngLishWord(terms, nullptr));
  EXPECT_FALSE(tarnix::GetEngLishWord(terms, std::string(1025, 'A').c_str()));
  EXPECT_FALSE(tarnix::AddEngLishWord(nullptr, 0, abstract_.info_map(), &m_, "A", "C"));
  ArticleTerm* abstract = abstract_.info_map();
  EXPECT_FALSE(tarnix::AddEngLishWord(full_.info_map(), 3, abstract, nullptr, "A", "C"));
  int32_t negative = -1;
  EXPECT_FALSE(tarnix::AddEngLishWord(full_.info_map(), 3, abstract, &negative, "A", "C"));
}

TEST_F(EnglishTermsTest, EngineFailuresLeaveTheTableAlone) {
  const std::string title = Segmented({"SVM", kFangFa});
  Lexmill().loaded.clear();
  ASSERT_TRUE(Add(title));
  LoadDictionary("MyClassify");
  WriteFile("Tarnix.ini", "[DictInfo]\nclassify_chn_dict=MyClassify\n");
  ASSERT_TRUE(Add("SVM2"));  // loaded, but the engine cannot segment it
  EXPECT_EQ(m_, 0);
  EXPECT_EQ(LogMessages(),
            (std::vector<std::string>{"DictGet failled in GetEngLishWord",
                                      "Segment this line failed in GetEngLishWord"}));
  EXPECT_EQ(scripted::CallsTo("Dict_Get_Handle").back().args[0], "MyClassify");
  EXPECT_TRUE(Lexmill().handles.empty());
}

TEST_F(EnglishTermsTest, LongTermsAreCutAtACharacterBoundary) {
  // 98 letters and "3号": the double-byte character straddles the field's
  // last byte, so the term keeps 99 bytes.
  const std::string letters(98, 'A');
  const std::string title = Segmented({letters, std::string("3") + kHao});
  ASSERT_TRUE(Add(title));
  ASSERT_EQ(m_, 1);
  EXPECT_EQ(std::string(abstract_.terms[0].word), letters + "3");

  // Without the engine's character boundaries the text is read as GBK.
  Lexmill().code_determine_result = false;
  ASSERT_TRUE(Add(title));
  ASSERT_EQ(m_, 2);
  EXPECT_EQ(std::string(abstract_.terms[1].word), letters + "3");

  // A term of exactly 100 bytes fits whole.
  const std::string hundred = Segmented({std::string(97, 'B'), std::string("3") + kHao});
  ASSERT_TRUE(Add(hundred));
  ASSERT_EQ(m_, 3);
  EXPECT_EQ(std::string(abstract_.terms[2].word), std::string(97, 'B') + "3" + kHao);
}

}  // namespace
