// The default dictionaries as the build makes them from the installed
// Debian packages, used the way Tarnix uses them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "lexmill.h"
#include "test_dicts.h"

namespace {

using lexmill_test::Gbk;

class DefaultDictsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
#if defined(_WIN32)
    _putenv_s("LEXMILL_DATA", LEXMILL_BUILT_DATA);
#else
    setenv("LEXMILL_DATA", LEXMILL_BUILT_DATA, 1);
#endif
  }
  void SetUp() override {
    if (std::string(LEXMILL_BUILT_DATA).empty()) GTEST_SKIP() << "dictionaries not built";
  }
  void TearDown() override { Free_All_Space(); }

  static std::string Info(const char* dict, const std::string& word, int size = 1024) {
    const int h = Dict_Load_New(dict, "");
    EXPECT_GE(h, 0) << dict;
    std::vector<char> info(size, '\0');
    const int found = Dict_Search_Get_Info(word.c_str(), h, info.data(), size);
    Dict_Delete_Handle(h);
    return found == 1 ? std::string(info.data()) : std::string("<missing>");
  }

  // Segments as UTF-8 strings joined by " | ".
  static std::string Cut(const std::string& utf8) {
    const std::string text = Gbk(utf8);
    const int h = Dict_Load_New("QOVA_CLA_CHN_DICT", "");
    std::vector<int> ends(text.size() + 1, 0);
    std::vector<int16_t> tags(text.size() + 1, -1);
    EXPECT_TRUE(QX_Word_Sect(text.c_str(), ends.data(), static_cast<int>(text.size()), h, 1,
                             tags.data(), 1024, 1, 0, 0));
    Dict_Delete_Handle(h);
    std::string joined;
    int begin = 0;
    for (size_t k = 0; k < ends.size() && ends[k] != 0; ++k) {
      joined += (k ? " | " : "") + text.substr(begin, ends[k] - begin);
      begin = ends[k];
    }
    return joined;
  }
};

TEST_F(DefaultDictsTest, SegmentsLikeJiebaWithTheSameWordList) {
  // Expected cuts are those of jieba.lcut(text, HMM=False) on the same words,
  // except that jieba glues a digit run to a letter run ("3D") where the
  // word list does not hold the pair; here they stay two runs.
  EXPECT_EQ(Cut("采用修正的Rodrigues参数(MRP),建立了飞行器姿态控制系统的数学模型；"),
            Gbk("采用 | 修正 | 的 | Rodrigues | 参数 | ( | MRP | ) | , | 建立 | 了 | 飞行器 | "
                "姿态控制 | 系统 | 的 | 数学模型 | ；"));
  EXPECT_EQ(Cut("基于SVM的3D打印质量检测方法研究"),
            Gbk("基于 | SVM | 的 | 3 | D | 打印质量 | 检测 | 方法 | 研究"));
  EXPECT_EQ(Cut("本文提出了一种新的图像分割算法"),
            Gbk("本文 | 提出 | 了 | 一种 | 新 | 的 | 图像 | 分割 | 算法"));
  EXPECT_EQ(Cut("基于Deep Learning的方法"), Gbk("基于 | Deep |   | Learning | 的 | 方法"));
}

TEST_F(DefaultDictsTest, GeneralDictionaryMarksFunctionWordsAndKeepsTerms) {
  // First token the source tag, then code/frequency pairs.
  EXPECT_EQ(Info("sys_general_dic", Gbk("的"), 64), "uj 3 34");
  EXPECT_EQ(Info("sys_general_dic", Gbk("这种"), 64), "r 8 28 3 28");  // demonstrative
  EXPECT_EQ(Info("sys_general_dic", Gbk("个"), 64), "q 20 31 38 31");  // measure word
  EXPECT_EQ(Info("sys_general_dic", Gbk("数学模型"), 64), "n 9 2");
  EXPECT_EQ(Info("sys_general_dic", Gbk("没有这个词语"), 64), "<missing>");
  // Words every discipline uses alike carry the adverb class at 14:
  // general in an abstract, not in a title (whose threshold is 20); the
  // most evenly spread at 20, general in a title too.
  EXPECT_EQ(Info("sys_general_dic", Gbk("系统"), 64), "n 9 26 22 14");
  EXPECT_EQ(Info("sys_general_dic", Gbk("研究"), 64), "vn 15 28 22 20");
  EXPECT_EQ(Info("sys_general_dic", Gbk("神经网络"), 64).find(" 22 "), std::string::npos);
  // So do words abstracts of one field use and titles hardly ever: they say
  // how the work was done, not what it is about.
  EXPECT_EQ(Info("sys_general_dic", Gbk("对照组"), 64), "n 9 7 22 14");
  EXPECT_EQ(Info("sys_general_dic", Gbk("小波变换"), 64).find(" 22 "), std::string::npos);
}

TEST_F(DefaultDictsTest, TraditionalTextIsCutAndLookedUpAsItsSimplifiedForm) {
  // The cuts fall where they fall in the Simplified text; the pieces are
  // the text's own characters.
  EXPECT_EQ(Cut("基於小波變換的無線電引信目標識別研究"),
            Gbk("基於 | 小 | 波 | 變換 | 的 | 無線電 | 引信 | 目標 | 識別 | 研究"));
  EXPECT_EQ(Cut("基于小波变换的无线电引信目标识别研究"),
            Gbk("基于 | 小 | 波 | 变换 | 的 | 无线电 | 引信 | 目标 | 识别 | 研究"));
  EXPECT_EQ(Info("sys_general_dic", Gbk("這種"), 64), Info("sys_general_dic", Gbk("这种"), 64));
  EXPECT_EQ(Info("QOVA_CLA_CHN_DICT", Gbk("無線電"), 64), Info("QOVA_CLA_CHN_DICT", Gbk("无线电"), 64));
  EXPECT_NE(Info("QOVA_CLA_CHN_DICT", Gbk("無線電"), 64), "<missing>");
}

TEST_F(DefaultDictsTest, HighFrequencyStructureSplitsIntoTwoParts) {
  // 其上 (pronoun + locality word) is no entry of its own: it falls into two
  // parts whose codes 2 and 38 make the pronoun pattern of the general tests.
  const std::string text = Gbk("其上");
  const int h = Dict_Load_New("sys_general_dic", "");
  int ends[14] = {0};
  ASSERT_TRUE(QX_Word_Sect(text.c_str(), ends, static_cast<int>(text.size()), h, 0, nullptr, 2048,
                           0, 0, 0));
  Dict_Delete_Handle(h);
  EXPECT_EQ(ends[0], 2);
  EXPECT_EQ(ends[1], 4);
  EXPECT_EQ(ends[2], 0);
  EXPECT_EQ(Info("sys_general_dic", Gbk("其"), 63), "r 2 30 3 30");
  EXPECT_EQ(Info("sys_general_dic", Gbk("上"), 63), "f 38 33");
}

TEST_F(DefaultDictsTest, EnglishGeneralHoldsCommonWordsOnly) {
  const std::string the = Info("EnglishGeneral", "the", 255);
  EXPECT_EQ(the.rfind("the,r,", 0), 0u) << the;
  EXPECT_NE(Info("EnglishGeneral", "results", 255), "<missing>");
  EXPECT_EQ(Info("EnglishGeneral", "Lyapunov", 255), "<missing>");
  EXPECT_EQ(Info("EnglishGeneral", "eigenvalue", 255), "<missing>");
}

TEST_F(DefaultDictsTest, SimilarWordsAreListedWithTheirSimilarity) {
  const std::string info = Info("QOVA_SIM_CHN_DICT", Gbk("计算机"));
  EXPECT_NE(info.find(Gbk("电脑") + ":0."), std::string::npos) << info;
  EXPECT_EQ(info.back(), ';');
}

}  // namespace
