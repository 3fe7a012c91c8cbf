// Whole articles through Tarnix_Direct with the scripted engines: from the
// engines' term tables to the keyword list a host receives, and the later
// steps that make an article fail.
//
// The expected lists were worked out by hand from the article below; the
// comments beside each article give the intermediate weights so that a
// failing field can be traced to the stage that changed it.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tarnix/tarnix.h"
#include "direct_test_support.h"

namespace {

using scripted::CallsTo;
using scripted::Extend;
using scripted::Lexmill;
using scripted::Term;
using tarnix_testing::kArticleLine;

// GBK words of the Chinese articles.
constexpr char kImageClassification[] = "\xCD\xBC\xCF\xF1\xB7\xD6\xC0\xE0";  // 图像分类
constexpr char kImageRecognition[] = "\xCD\xBC\xCF\xF1\xCA\xB6\xB1\xF0";     // 图像识别
constexpr char kImage[] = "\xCD\xBC\xCF\xF1";                                // 图像
constexpr char kFeature[] = "\xCC\xD8\xD5\xF7";                              // 特征
constexpr char kFeatureExtraction[] = "\xCC\xD8\xD5\xF7\xCC\xE1\xC8\xA1";    // 特征提取
constexpr char kNetwork[] = "\xCD\xF8\xC2\xE7";                              // 网络
constexpr char kWebPage[] = "\xCD\xF8\xD2\xB3";                              // 网页
constexpr char kNeuralNetwork[] = "\xC9\xF1\xBE\xAD\xCD\xF8\xC2\xE7";        // 神经网络
constexpr char kAlgorithm[] = "\xCB\xE3\xB7\xA8";                            // 算法
constexpr char kResearch[] = "\xD1\xD0\xBE\xBF";                             // 研究
constexpr char kMethod[] = "\xB7\xBD\xB7\xA8";                               // 方法
constexpr char kProcessingResult[] = "\xB4\xA6\xC0\xED\xBD\xE1\xB9\xFB";     // 处理结果
constexpr char kProcessing[] = "\xB4\xA6\xC0\xED";                           // 处理
constexpr char kResult[] = "\xBD\xE1\xB9\xFB";                               // 结果
constexpr char kDeepConvNetwork[] =
    "\xC9\xEE\xB6\xC8\xBE\xED\xBB\xFD\xC9\xF1\xBE\xAD\xCD\xF8\xC2\xE7";  // 深度卷积神经网络
constexpr char kDeepLearning[] = "\xC9\xEE\xB6\xC8\xD1\xA7\xCF\xB0";      // 深度学习
constexpr char kThisPaper[] = "\xB1\xBE\xCE\xC4";                          // 本文
constexpr char kConvNetworkModel[] =
    "\xBE\xED\xBB\xFD\xC9\xF1\xBE\xAD\xCD\xF8\xC2\xE7\xC4\xA3\xD0\xCD";  // 卷积神经网络模型
constexpr char kModel[] = "\xC4\xA3\xD0\xCD";                              // 模型
constexpr char kData[] = "\xCA\xFD\xBE\xDD";                               // 数据
constexpr char kBasedOn[] = "\xBB\xF9\xD3\xDA";                            // 基于
constexpr char kOf[] = "\xB5\xC4";                                         // 的
constexpr char kClassification[] = "\xB7\xD6\xC0\xE0";                     // 分类

constexpr char kGeneralDict[] = "sys_general_dic";
constexpr char kSimilarDict[] = "QOVA_SIM_CHN_DICT";
constexpr char kSegmentDict[] = "QOVA_CLA_CHN_DICT";
constexpr char kEnglishGeneralDict[] = "EnglishGeneral";

using tarnix_testing::Article;

// One keyword as the host should receive it.
struct Expected {
  std::string text;
  std::string second;
  std::string class_code;
  int frequency;
  double weight;
};

// A dictionary the host's earlier calls left loaded.
void Loaded(const std::string& name, const scripted::Entries& entries = {}) {
  Lexmill().dictionaries[name].entries = entries;
  Lexmill().loaded.insert(name);
}

class WholeArticleTest : public tarnix_testing::DirectCallTest {
 protected:

  void ExpectKeywords(const std::vector<Expected>& expected) {
    ASSERT_EQ(size_, static_cast<int>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
      const KeywordEntry& k = buffer_[i];
      const Expected& e = expected[i];
      SCOPED_TRACE("keyword " + std::to_string(i) + " (" + e.second + ")");
      EXPECT_EQ(std::string(k.keyword_text), e.text);
      EXPECT_EQ(std::string(k.second_text), e.second);
      EXPECT_EQ(std::string(k.class_code), e.class_code);
      EXPECT_EQ(k.frequency, e.frequency);
      EXPECT_DOUBLE_EQ(k.weight, e.weight);
    }
  }

  // The words looked up with information buffers of `size` bytes, in order.
  static std::vector<std::string> LookupsOfSize(int size) {
    std::vector<std::string> words;
    for (const auto& c : CallsTo("Dict_Search_Get_Info")) {
      if (c.args[2] == std::to_string(size)) words.push_back(c.args[0]);
    }
    return words;
  }
};

// ---------------------------------------------------------------------------
// A Chinese article. The caller's class TP391.1 has five levels and is kept
// although the engine's best class is TP18; the class map holds TP18 and
// TP391.4 (0.5 + 0.3 reach 60% of 1.0), and TP391.1 joins it in the class
// adjustment. Depths against TP391.1: TP391.x 5, TP39 4, TP18 2, TN911 1,
// O157 and the empty code 0.

std::string ChineseTitle() {
  return std::string(kBasedOn) + "Deep Learning" + kOf + kImage + kClassification + kMethod;
}

void ScriptChineseArticle() {
  Extend().classes = {{"TP18", 0.5f}, {"TP391.4", 0.3f}, {"TN911", 0.2f}};
  Extend().full_text = {
      // 0 and 1 fold into 0: 9 * 4 + 24 = 60, and 0 becomes a title term.
      Term(kImageClassification, 1.5f, 3, "TP391.9", "image classification", 5),
      Term(kImageClassification, 1.0f, 1, "TP391.9", "image classification", 1),
      // 15 is absorbed into 6 although heavier (similarity 0.7): 6 + 4 * 15.
      Term(kFeature, 5.0f, 2, "TP18", "feature", 4),
      Term(kFeatureExtraction, 1.0f, 2, "TP391.4", "feature extraction", 3),
      // Reversed, 络网 meets 络网经神: 6 + 2 * 2 = 10 for 神经网络; 网页
      // stands between them in reading order.
      Term(kNetwork, 1.0f, 2, "TN911", "network", 6),
      Term(kWebPage, 3.0f, 5, "O157", "web page", 2),
      Term(kNeuralNetwork, 2.0f, 2, "TP18", "neural network", 2),
      // The deeper class survives the heavier one.
      Term(kAlgorithm, 2.0f, 2, "TP18", "algorithm", 3),
      Term(kAlgorithm, 9.0f, 2, "O157", "algorithm", 8),
      Term(kResearch, 6.0f, 2, "", "research", 9),           // general word
      Term(kMethod, 1.0f, 1, "TP39", "method", 1),          // title: 1 * 5 * 4
      Term(kProcessingResult, 5.0f, 2, "TN911", "", 2),     // two-part structure
      Term(kDeepConvNetwork, 4.0f, 3, "TN911", "", 1),      // 16 bytes
      Term(kImageRecognition, 2.0f, 2, "TP391.4", "image recognition", 2),
  };
  Extend().abstract_terms = {
      // Lighter than its neighbour 图像分类 (60): re-keyed to it, 70.
      Term(kImage, 10.0f, 0, "X", "", 2),
      // Weight 0: takes the fill-in weight.
      Term(kDeepLearning, 0.0f, 0, "X", "deep learning", 4),
      Term(kDeepLearning, 100.0f, 2, "X", "", 1),  // author keyword
      Term(kThisPaper, 30.0f, 0, "X", "this paper", 7),    // general word
      Term(kConvNetworkModel, 40.0f, 0, "X", "", 1),      // 16 bytes
      // Reversed, 络网 heads 络网经神: takes 神经网络's 10, keeps its texts.
      Term(kNetwork, 50.0f, 0, "X", "net", 3),
  };
  Loaded(kGeneralDict, {{kResearch, "x 20 17"},
                        {kMethod, "x 20 18"},
                        {kThisPaper, "x 14 30"},
                        {kProcessing, "x 1 20"},
                        {kResult, "x 20 30"}});
  Lexmill().segments[kProcessingResult] = {4, 8};
  Loaded(kSimilarDict, {{kFeatureExtraction, std::string(kFeature) + ":0.7;"},
                        {kImageClassification, std::string(kImageRecognition) + ":0.8;"}});
  Loaded(kSegmentDict);
  Lexmill().segments[ChineseTitle()] = {4, 8, 9, 17, 19, 23, 27, 31};
}

Article ChineseArticle() {
  Article a;
  a.title = ChineseTitle();
  return a;
}

// PrintKeyWord ranks 特征提取 66, 方法 20, 图像识别 12, 处理结果 10, 算法 6,
// 研究 6, 网页 3; five abstract entries give the fill-in (12 + 10) / 2 = 11;
// 本文 is purged, so the block is slots 4-7. Deep Learning weighs 0.8 * 60.
// The class adjustment doubles TP18, TP391.4 and TP391.1; 图像识别 (24) is
// then removed as similar to 图像分类 (35).
const std::vector<Expected>& ChineseKeywords() {
  static const std::vector<Expected> k = {
      {kFeatureExtraction, "feature extraction", "TP391.4", 3, 132.0},
      {kNetwork, "net", "TP391.1", 6, 120.0},
      {"Deep Learning", "", "TP391.1", 50, 96.0},
      {kImageClassification, "image classification", "TP391.9", 5, 35.0},
      {kDeepLearning, "deep learning", "TP391.1", 5, 22.0},
      {kAlgorithm, "algorithm", "TP18", 3, 12.0},
      {kMethod, "method", "TP39", 1, 10.0},
      {kWebPage, "web page", "O157", 0, 1.5},
  };
  return k;
}

TEST_F(WholeArticleTest, ChineseArticleGivesTheWeightedKeywordList) {
  ScriptChineseArticle();
  ASSERT_EQ(Run(ChineseArticle()), TARNIX_OK);
  ExpectKeywords(ChineseKeywords());
  // The removed similar keyword is only moved behind the count.
  EXPECT_EQ(std::string(buffer_[8].keyword_text), kImageRecognition);
  EXPECT_EQ(buffer_[8].weight, 0.0);
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{kArticleLine + ChineseTitle()}));
}

TEST_F(WholeArticleTest, ChineseArticleAsksTheEnginesWhatItNeeds) {
  ScriptChineseArticle();
  ASSERT_EQ(Run(ChineseArticle()), TARNIX_OK);

  // The title is cut once for its English terms; each ranked candidate is
  // tried as a two-part structure, heaviest first.
  std::vector<std::string> cut;
  for (const auto& c : CallsTo("QX_Word_Sect")) cut.push_back(c.args[0]);
  EXPECT_EQ(cut, (std::vector<std::string>{ChineseTitle(), kFeatureExtraction, kMethod,
                                           kImageRecognition, kProcessingResult, kAlgorithm,
                                           kResearch, kWebPage}));
  EXPECT_EQ(LookupsOfSize(63), (std::vector<std::string>{kProcessing, kResult}));
  // The abstract purge, then the walk (the two-part structure is dropped
  // before its general-word look-up).
  EXPECT_EQ(LookupsOfSize(64),
            (std::vector<std::string>{kThisPaper, kDeepLearning, kImageClassification, kNetwork,
                                      kFeatureExtraction, kMethod, kImageRecognition, kAlgorithm,
                                      kResearch, kWebPage}));
  // One similarity during merging (the only contained neighbours of the
  // forward passes); then keyword i's entry once for all its pairs of the
  // window, which widens from 8 to 9 when 图像识别 goes.
  EXPECT_EQ(LookupsOfSize(1024),
            (std::vector<std::string>{kFeatureExtraction, kFeatureExtraction, kNetwork, "Deep Learning",
                                      kImageClassification, kImageRecognition, kDeepLearning, kAlgorithm,
                                      kMethod}));
  // The general dictionary was loaded already.
  EXPECT_TRUE(CallsTo("Dict_Load_New").empty());
  EXPECT_TRUE(Lexmill().handles.empty()) << "every handle is given back";
}

TEST_F(WholeArticleTest, FirstArticleLoadsTheGeneralDictionaryAfterTheAbstractPurge) {
  ScriptChineseArticle();
  Lexmill().loaded.erase(kGeneralDict);
  ASSERT_EQ(Run(ChineseArticle()), TARNIX_OK);
  // Without the dictionary the purge keeps 本文 (block slots 3-7, weight
  // 30, doubled); the walk then has the dictionary and still drops the
  // general word and the two-part structure.
  std::vector<Expected> expected = ChineseKeywords();
  expected.insert(expected.begin() + 3, {kThisPaper, "this paper", "TP391.1", 7, 60.0});
  ExpectKeywords(expected);
  ASSERT_EQ(CallsTo("Dict_Load_New").size(), 1u);
  EXPECT_EQ(CallsTo("Dict_Load_New")[0].args[0], kGeneralDict);
}

TEST_F(WholeArticleTest, ChineseKeywordListNormalises) {
  ScriptChineseArticle();
  ASSERT_EQ(Run(ChineseArticle()), TARNIX_OK);
  const auto& expected = ChineseKeywords();
  std::vector<KeywordEntry> list = buffer_;
  int n = size_;
  ASSERT_EQ(Word_Normal(list.data(), &n), 0);
  ASSERT_EQ(n, 8);
  for (int i = 0; i < n; ++i) {
    EXPECT_DOUBLE_EQ(list[i].weight, expected[i].weight / 428.5) << i;
    EXPECT_EQ(std::string(list[i].keyword_text), expected[i].text) << "order kept";
  }
  list = buffer_;
  ASSERT_EQ(Word_Normal_Ten(list.data(), &n), 0);
  // 10000 / sqrt(42995.25) = 48.2269...; each product truncated.
  const double ten[] = {6365, 5787, 4629, 1687, 1060, 578, 482, 72};
  for (int i = 0; i < n; ++i) EXPECT_EQ(list[i].weight, ten[i]) << i;
  EXPECT_EQ(std::string(list[0].second_text), "feature extraction");
}

TEST_F(WholeArticleTest, ChineseArticleInDottedClassScheme) {
  // Mode 1: the caller's code is standardised to its longest known prefix
  // and, with four levels, kept over the engine's class; depths count whole
  // levels, so 08.1 shares one level and 09.12 none.
  Extend().classes = {{"08.12.05", 0.7f}, {"08.12.03.01", 0.3f}};
  Extend().formal = {{"08.12.03.01", "08.12.03.01"}};
  Extend().full_text = {
      Term(kNetwork, 1.0f, 2, "08.12.03.01"), Term(kModel, 1.0f, 2, "08.12.03.07"),
      Term(kAlgorithm, 1.0f, 2, "08.12"),     Term(kMethod, 1.0f, 2, "08.1"),
      Term(kData, 1.0f, 2, "09.12"),
  };
  Loaded(kGeneralDict);
  Loaded(kSimilarDict);
  Article a;
  a.title = std::string(kNetwork) + kModel;
  a.class_name = "08.12.03.01x";
  a.class_mode = 1;
  ASSERT_EQ(Run(a), TARNIX_OK);
  std::vector<std::string> asked;
  for (const auto& c : CallsTo("GetFormalizationClass")) asked.push_back(c.args[0]);
  EXPECT_EQ(asked, (std::vector<std::string>{"08.12.03.01x", "08.12.03.01"}));
  // Weights 5, 4, 3, 2, 1; only the article's own class is doubled.
  ExpectKeywords({{kNetwork, "", "08.12.03.01", 1, 10.0},
                  {kModel, "", "08.12.03.07", 1, 2.0},
                  {kAlgorithm, "", "08.12", 1, 1.5},
                  {kMethod, "", "08.1", 1, 1.0},
                  {kData, "", "09.12", 1, 0.5}});
}

// ---------------------------------------------------------------------------
// An English article: candidates are keyed by the engine's second text
// until the root-only merge, keywords show the second text first. No
// similar-word dictionary is loaded, and none is needed.

void ScriptEnglishArticle() {
  Extend().classes = {{"TP18", 0.5f}, {"TP391.4", 0.3f}, {"TN911", 0.2f}};
  Extend().full_text = {
      // 0 and 2 share their second text: 2 * 4 + 16 = 24, then 0 takes
      // "network model" (6) in the forward root-only pass: 30.
      Term("network", 1.0f, 2, "TN911", "network", 4),
      Term("network model", 3.0f, 2, "TN911", "network model", 2),
      Term("Network", 2.0f, 1, "TN911", "network", 1),
      // Reversed, "ledom" meets "ledom atad": 24 + 4 * 6 = 48.
      Term("data model", 2.0f, 2, "TP18", "data model", 3),
      Term("mobiles", 1.0f, 2, "O157", "mobile", 1),
      Term("model", 4.0f, 2, "TP391.4", "model", 5),
      // By word, the deeper "SVM classifier" takes the heavier "SVM":
      // 6 + 4 * 15 = 66.
      Term("SVM", 5.0f, 2, "TP18", "support vector machine", 2),
      Term("SVM classifier", 1.0f, 2, "TP391.4", "svm classifier", 3),
      // Equal depths: the heavier "learning" is general, so it goes into
      // "learning rate": 6.
      Term("learning", 4.0f, 2, "", "learn", 6),
      Term("learning rate", 2.0f, 2, "", "rate of learning", 1),
      Term("results", 3.0f, 2, "TP18", "result", 2),                     // general word
      Term("high performance", 2.0f, 2, "TP18", "high performance", 1),  // general structure
  };
  Extend().abstract_terms = {
      Term("model", 5.0f, 0, "X", "", 2),           // equals a full-text term: 53
      Term("SVM", 10.0f, 0, "X", "SVM", 3),         // heads "SVM classifier": 76
      Term("feature", 0.0f, 0, "X", "feature", 4),  // fill-in weight
      Term("rate", 20.0f, 0, "X", "rate", 1),       // ends "learning rate": 26
  };
  Loaded(kEnglishGeneralDict, {{"learning", "learning,n,900;"},
                               {"results", "results,n,3000;"},
                               {"high", "high,a,5000;"},
                               {"performance", "performance,n,4700;"}});
  // Loadable, but not yet loaded: the keyword output loads it.
  Lexmill().dictionaries[kGeneralDict] = {};
}

Article EnglishArticle() {
  Article a;
  a.title = "SVM models for mobile networks";
  a.type = 2;
  return a;
}

TEST_F(WholeArticleTest, EnglishArticleGivesTheWeightedKeywordList) {
  ScriptEnglishArticle();
  ASSERT_EQ(Run(EnglishArticle()), TARNIX_OK);
  // The walk keeps "network" 30 and "mobiles" 1; four abstract entries put
  // the fill-in at half the fourth-ranked weight (1, there is no fifth),
  // and the block moves down to slots 2-5. Keyword texts are looked up as
  // written, so "mobile" finds no record with that word.
  ExpectKeywords({{"SVM", "SVM", "TP391.1", 2, 152.0},
                  {"model", "model", "TP391.4", 5, 106.0},
                  {"rate", "rate", "TP391.1", 1, 52.0},
                  {"network", "network", "TN911", 4, 15.0},
                  {"feature", "feature", "TP391.1", 4, 1.0},
                  {"mobile", "mobiles", "O157", 0, 0.5}});
  // The block's old slots beyond the moved entries are cleared.
  EXPECT_EQ(buffer_[6].keyword_text[0], '\0');
  EXPECT_EQ(buffer_[7].weight, 0.0);
  // Only the root-only merge asks for a similarity (network / network
  // model); no English terms are taken from the title.
  EXPECT_EQ(LogMessages(),
            (std::vector<std::string>{std::string(kArticleLine) + EnglishArticle().title,
                                      "GetSimlarity function: can not Getdict QOVA_SIM_CHN_DICT!"}));
  EXPECT_TRUE(CallsTo("IsEnglishLetter").empty());
  EXPECT_EQ(LookupsOfSize(255),
            (std::vector<std::string>{"learning", "network", "results", "high performance",
                                      "high", "performance", "mobiles"}));
  EXPECT_EQ(LookupsOfSize(64), (std::vector<std::string>{"network", "result", "mobile"}));
  ASSERT_EQ(CallsTo("Dict_Load_New").size(), 1u);
  EXPECT_EQ(CallsTo("Dict_Load_New")[0].args[0], kGeneralDict);
}

TEST_F(WholeArticleTest, EnglishKeywordListNormalises) {
  ScriptEnglishArticle();
  ASSERT_EQ(Run(EnglishArticle()), TARNIX_OK);
  int n = size_;
  ASSERT_EQ(Word_Normal(buffer_.data(), &n), 0);
  const double weights[] = {152, 106, 52, 15, 1, 0.5};
  for (int i = 0; i < n; ++i) EXPECT_DOUBLE_EQ(buffer_[i].weight, weights[i] / 326.5) << i;
  for (int i = 0; i < n; ++i) buffer_[i].weight = weights[i];
  ASSERT_EQ(Word_Normal_Ten(buffer_.data(), &n), 0);
  // 10000 / sqrt(37270.25) = 51.7986...
  const double ten[] = {7873, 5490, 2693, 776, 51, 25};
  for (int i = 0; i < n; ++i) EXPECT_EQ(buffer_[i].weight, ten[i]) << i;
}

// ---------------------------------------------------------------------------
// Later steps that fail a whole article.

TEST_F(WholeArticleTest, NoGeneralDictionaryFailsTheKeywordOutput) {
  for (bool english : {false, true}) {
    for (bool offered : {false, true}) {
      scripted::Reset();
      english ? ScriptEnglishArticle() : ScriptChineseArticle();
      Lexmill().dictionaries.erase(kGeneralDict);
      Lexmill().loaded.erase(kGeneralDict);
      if (offered) Lexmill().dictionaries[kGeneralDict].loadable = false;
      Article a = english ? EnglishArticle() : ChineseArticle();
      std::remove("Tarnix_Log.log");
      EXPECT_EQ(Run(a), TARNIX_FAILED);
      EXPECT_EQ(size_, 0);
      auto log = LogMessages();
      ASSERT_GE(log.size(), 3u);
      EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
                (std::vector<std::string>{"step20. sys_general_dic load failed!",
                                          "step9. PrintKeyWord failed!", a.title}))
          << "english " << english << " offered " << offered;
      EXPECT_TRUE(CallsTo("QX_Word_Sect").size() <= 1u) << "no candidate was tested";
    }
  }
}

TEST_F(WholeArticleTest, ChineseArticleNeedsTheSimilarWordDictionary) {
  ScriptChineseArticle();
  Lexmill().loaded.erase(kSimilarDict);
  EXPECT_EQ(Run(ChineseArticle()), TARNIX_FAILED);
  EXPECT_EQ(size_, 0);
  auto log = LogMessages();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()),
            (std::vector<std::string>{"SimilarWordDel function: can not Getdict QOVA_SIM_CHN_DICT!",
                                      "SimilarWordDel Wrong!"}));
  // Merging went on without similarities: its one question was logged.
  EXPECT_EQ(std::count(log.begin(), log.end(),
                       "GetSimlarity function: can not Getdict QOVA_SIM_CHN_DICT!"),
            1);
}

}  // namespace
