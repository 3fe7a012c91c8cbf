// Tarnix_Initial and Tarnix_FreeDict through their exports.
#include <string>
#include <vector>

#include "tarnix/tarnix.h"
#include "test_support.h"

namespace {

using scripted::CallNames;
using scripted::CallsTo;
using scripted::Extend;
using scripted::Lexmill;

class LifecycleTest : public tarnix_testing::ScriptedTest {
 protected:
  std::vector<std::string> LoadedNames() const {
    std::vector<std::string> names;
    for (const auto& c : CallsTo("Dict_Load_New")) names.push_back(c.args[0]);
    return names;
  }
};

TEST_F(LifecycleTest, ChineseWithoutSimilarWordsLoadsNoDictionary) {
  EXPECT_EQ(Tarnix_Initial(1, false), 0);
  EXPECT_EQ(CallNames(), (std::vector<std::string>{"EKVR_SetPath", "EKVR_Word_Init"}));
  EXPECT_EQ(CallsTo("EKVR_Word_Init")[0].args, (std::vector<std::string>{"1", "1"}));
  EXPECT_TRUE(LogMessages().empty());
}

TEST_F(LifecycleTest, EnglishLoadsTheGeneralDictionaryAndGivesTheHandleBack) {
  Lexmill().dictionaries["EnglishGeneral"] = {};
  Lexmill().dictionaries["QOVA_SIM_CHN_DICT"] = {};
  EXPECT_EQ(Tarnix_Initial(2, true), 0);
  EXPECT_EQ(LoadedNames(), (std::vector<std::string>{"EnglishGeneral", "QOVA_SIM_CHN_DICT"}));
  EXPECT_EQ(CallsTo("Dict_Load_New")[0].args[1], "");
  EXPECT_EQ(CallsTo("Dict_Delete_Handle").size(), 2u);
  EXPECT_TRUE(Lexmill().handles.empty());
  EXPECT_EQ(Lexmill().loaded.size(), 2u);
}

TEST_F(LifecycleTest, EachFailureHasItsCodeAndMessage) {
  Extend().set_path = 0;
  EXPECT_EQ(Tarnix_Initial(1, true), 1);
  EXPECT_EQ(CallNames(), (std::vector<std::string>{"EKVR_SetPath"}));

  scripted::Reset();
  Extend().word_init = 0;
  EXPECT_EQ(Tarnix_Initial(1, true), 2);

  scripted::Reset();
  Extend().word_init = -7;  // anything but 0 is success
  EXPECT_EQ(Tarnix_Initial(1, true), 3);
  EXPECT_EQ(LoadedNames(), (std::vector<std::string>{"QOVA_SIM_CHN_DICT"}));

  scripted::Reset();
  Lexmill().dictionaries["QOVA_SIM_CHN_DICT"] = {};
  EXPECT_EQ(Tarnix_Initial(2, true), 4);
  EXPECT_EQ(LoadedNames(), (std::vector<std::string>{"EnglishGeneral"}));

  EXPECT_EQ(LogMessages(), (std::vector<std::string>{
                               "EKVR_SetPath failed!", "EKVR_Word_Init failed!",
                               "QOVA_SIM_CHN_DICT load failed!", "EnglishGeneral_Dict load failed!"}));
}

TEST_F(LifecycleTest, ConfiguredNamesAreLoadedAndTheMessageStaysTheSame) {
  WriteFile("Tarnix.ini", "[DictInfo]\ntarnix_sim_dict=MySim\ntarnix_genneral_dict=MyEnglish\n");
  Lexmill().dictionaries["MyEnglish"] = {};
  EXPECT_EQ(Tarnix_Initial(2, true), 3);
  EXPECT_EQ(LoadedNames(), (std::vector<std::string>{"MyEnglish", "MySim"}));
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{"QOVA_SIM_CHN_DICT load failed!"}));
}

TEST_F(LifecycleTest, FreeDictUnloadsTheFixedListInOrder) {
  WriteFile("Tarnix.ini", "[DictInfo]\ntarnix_sim_dict=MySim\ntarnix_genneral_dict=MyEnglish\n");
  for (const char* name : {"MySim", "MyEnglish", "EnglishGeneral", "sys_general_dic", "classinfo"}) {
    Lexmill().dictionaries[name] = {};
    Dict_Load_New(name, "");
  }
  Lexmill().handles.clear();
  scripted::Calls().clear();
  Lexmill().free_all_space_result = 42;

  EXPECT_EQ(Tarnix_FreeDict(), 42);
  std::vector<std::string> asked;
  for (const auto& c : CallsTo("Dict_Get_Handle")) asked.push_back(c.args[0]);
  EXPECT_EQ(asked, (std::vector<std::string>{
                       "sys_general_dic", "wordcut_dic", "QOVA_CLA_CHN_DICT", "180Dict_chi4_YX",
                       "General_Dict", "Class_Dict", "Weight_Dict", "MySim", "sys_dynamicprg_dic",
                       "classinfo", "English_Dict", "English_Dict_New", "EnglishGeneral"}));
  EXPECT_EQ(Lexmill().unloaded,
            (std::vector<std::string>{"sys_general_dic", "MySim", "classinfo", "EnglishGeneral"}));
  EXPECT_EQ(CallNames().front(), "EKVR_FreeDict");
  EXPECT_EQ(CallNames().back(), "Free_All_Space");
  EXPECT_EQ(CallsTo("Dict_Unload_New").size(), 4u);
}

}  // namespace
