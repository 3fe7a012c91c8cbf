#include "config.h"

#include "profile.h"
#include "test_support.h"

namespace tarnix {
namespace {

class ConfigTest : public tarnix_testing::ScriptedTest {};

TEST_F(ConfigTest, DefaultsWithoutConfigurationFiles) {
  EXPECT_EQ(SimilarDictName(), "QOVA_SIM_CHN_DICT");
  EXPECT_EQ(EnglishGeneralDictName(), "EnglishGeneral");
  EXPECT_EQ(ClassifyChnDictName(), "QOVA_CLA_CHN_DICT");
  EXPECT_EQ(SysGeneralDictName(), "sys_general_dic");
}

TEST_F(ConfigTest, EachKeyComesFromItsOwnFile) {
  WriteFile("Tarnix.ini",
            "[DictInfo]\ntarnix_sim_dict=Sim\ntarnix_genneral_dict=Gen\n"
            "classify_chn_dict=Cla\nsys_general_dic=NotHere\n");
  WriteFile("EKVR.ini", "[DictInfo]\nsys_general_dic=SysGen\ntarnix_sim_dict=NotHere\n");
  EXPECT_EQ(SimilarDictName(), "Sim");
  EXPECT_EQ(EnglishGeneralDictName(), "Gen");
  EXPECT_EQ(ClassifyChnDictName(), "Cla");
  EXPECT_EQ(SysGeneralDictName(), "SysGen");
}

TEST_F(ConfigTest, NamesHaveAtMost127Characters) {
  WriteFile("Tarnix.ini", "[DictInfo]\ntarnix_sim_dict=" + std::string(200, 'n') + "\n");
  EXPECT_EQ(SimilarDictName(), std::string(127, 'n'));
}

// Within one article a name is read once: an edit made meanwhile shows at
// the next article, and at once outside an article.
TEST_F(ConfigTest, AnEditShowsAtTheNextArticle) {
  WriteFile("Tarnix.ini", "[DictInfo]\ntarnix_sim_dict=First\n");
  WriteFile("EKVR.ini", "[DictInfo]\nsys_general_dic=GenFirst\n");
  {
    ProfileCheckScope article;
    EXPECT_EQ(SimilarDictName(), "First");
    EXPECT_EQ(SysGeneralDictName(), "GenFirst");
    WriteFile("Tarnix.ini", "[DictInfo]\ntarnix_sim_dict=Second\n");
    WriteFile("EKVR.ini", "[DictInfo]\nsys_general_dic=GenSecond\n");
    EXPECT_EQ(SimilarDictName(), "First");
    EXPECT_EQ(SysGeneralDictName(), "GenFirst");
  }
  {
    ProfileCheckScope next_article;
    EXPECT_EQ(SimilarDictName(), "Second");
    EXPECT_EQ(SysGeneralDictName(), "GenSecond");
  }
  WriteFile("Tarnix.ini", "[DictInfo]\ntarnix_sim_dict=Third\n");
  EXPECT_EQ(SimilarDictName(), "Third");
}

}  // namespace
}  // namespace tarnix
