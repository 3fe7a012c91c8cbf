// Tarnix_Direct through its export, with the scripted engines: the input
// test, the order of the engine calls and the failure of every step.
#include <string>
#include <vector>

#include "tarnix/tarnix.h"
#include "direct_test_support.h"

namespace {

using scripted::CallNames;
using scripted::CallsTo;
using scripted::Extend;
using tarnix_testing::kArticleLine;
using tarnix_testing::kNoTitle;

using tarnix_testing::Article;

// The dictionaries a Chinese keyword list needs, empty: the general-word
// dictionary (loadable) and the similar-word one (loaded, as the host's
// Tarnix_Initial would have done).
void ScriptDictionaries() {
  scripted::Lexmill().dictionaries["sys_general_dic"] = {};
  scripted::Lexmill().dictionaries["QOVA_SIM_CHN_DICT"] = {};
  Dict_Delete_Handle(Dict_Load_New("QOVA_SIM_CHN_DICT", ""));
  scripted::Calls().clear();
}

class DirectTest : public tarnix_testing::DirectCallTest {
 protected:
  void SetUp() override {
    DirectCallTest::SetUp();
    ScriptDictionaries();
  }
};

TEST_F(DirectTest, EachNullArgumentFailsTheInputTestBeforeAnyEngineCall) {
  const char* messages[] = {"TarnixInputTest title is null!",    "TarnixInputTest abstract is null!",
                            "TarnixInputTest keyword is null!",  "TarnixInputTest file is null!",
                            "TarnixInputTest magazine is null!", "TarnixInputTest class_name is null!",
                            "TarnixInputTest word_buffer is null!"};
  KeywordEntry buffer[1];
  for (int missing = 0; missing < 7; ++missing) {
    const char* texts[6] = {"t", "a", "k", "f", "m", "c"};
    if (missing < 6) texts[missing] = nullptr;
    int size = 800;
    int r = Tarnix_Direct(texts[0], texts[1], texts[2], texts[3], texts[4], texts[5],
                          missing == 6 ? nullptr : buffer, &size, 1, 0, 0);
    EXPECT_EQ(r, TARNIX_FAILED);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(LastMessages(2), (std::vector<std::string>{messages[missing],
                                                         "step1. TarnixInputTest failed!"}));
  }
  EXPECT_EQ(Tarnix_Direct("t", "a", "k", "f", "m", "c", buffer, nullptr, 1, 0, 0), TARNIX_FAILED);
  EXPECT_EQ(LastMessages(2), (std::vector<std::string>{"TarnixInputTest buffer_size is null!",
                                                       "step1. TarnixInputTest failed!"}));
  EXPECT_TRUE(scripted::Calls().empty());
}

TEST_F(DirectTest, EmptyTextsOnlyWarnAndTheArticleGoesToTheEngine) {
  Article a;
  a.title = a.abstract = a.keyword = a.file = a.magazine = a.class_name = "";
  EXPECT_EQ(Run(a), TARNIX_OK);
  auto messages = LogMessages();
  messages.resize(7);
  EXPECT_EQ(messages, (std::vector<std::string>{
                               std::string(kArticleLine) + kNoTitle,
                               "TarnixInputTest . <1>input file length  is 0!",
                               "TarnixInputTest . <2>input title length is 0!",
                               "TarnixInputTest . <3>input abstract length is 0!",
                               "TarnixInputTest . <4>input keyword length is 0!",
                               "TarnixInputTest . <5>input magzine length is 0!",
                               "TarnixInputTest . <6>input class_name length is 0!"}));
  EXPECT_EQ(CallsTo("EKVR_Init_File2").size(), 1u);
}

TEST_F(DirectTest, TheArticleLineNamesTheTitle) {
  Article a;
  a.title = "\xD6\xD0\xCE\xC4";
  Run(a);
  EXPECT_EQ(LogMessages().at(0), std::string(kArticleLine) + a.title);
}

TEST_F(DirectTest, TextsMayHaveOneByteLessThanTheirLimit) {
  struct Field {
    std::string Article::*text;
    size_t limit;
    const char* message;
  } fields[] = {
      {&Article::class_name, 0x40000, "TarnixInputTest class_name is too long!"},
      {&Article::title, 0x80000, "TarnixInputTest . title is too long!"},
      {&Article::keyword, 0x80000, "TarnixInputTest . keyword is too long!"},
      {&Article::abstract, 0x80000, "TarnixInputTest . abstract is too long!"},
      {&Article::magazine, 0x80000, "TarnixInputTest . magazine is too long!"},
      {&Article::file, 0x80000, "TarnixInputTest . file is too long!"},
  };
  for (const Field& f : fields) {
    Article a;
    a.*f.text = std::string(f.limit - 1, 'x');
    scripted::Calls().clear();
    EXPECT_EQ(Run(a), TARNIX_OK) << f.message;
    EXPECT_EQ(CallsTo("EKVR_Init_File2").size(), 1u);
    a.*f.text = std::string(f.limit, 'x');
    scripted::Calls().clear();
    EXPECT_EQ(Run(a), TARNIX_FAILED);
    EXPECT_EQ(size_, 0);
    EXPECT_EQ(LastMessages(2), (std::vector<std::string>{f.message, "step1. TarnixInputTest failed!"}));
    EXPECT_TRUE(scripted::Calls().empty());
  }
  // The class code is checked first.
  Article both;
  both.class_name = std::string(0x40000, 'c');
  both.file = std::string(0x80000, 'f');
  Run(both);
  EXPECT_EQ(LastMessages(2).at(0), "TarnixInputTest class_name is too long!");
}

TEST_F(DirectTest, TheBufferMustHoldAtLeast800Keywords) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(Run(Article(), 799), TARNIX_FAILED);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "799\n");
  EXPECT_EQ(size_, 0);
  EXPECT_EQ(LastMessages(2), (std::vector<std::string>{"TarnixInputTest . buffer_size is too small!",
                                                       "step1. TarnixInputTest failed!"}));
  testing::internal::CaptureStdout();
  EXPECT_EQ(Run(Article(), -5), TARNIX_FAILED);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "-5\n");
  EXPECT_TRUE(scripted::Calls().empty());
  EXPECT_EQ(Run(Article(), 800), TARNIX_OK);
}

TEST_F(DirectTest, EnginesAreCalledInOrderWithTheArticle) {
  Article a;
  a.class_mode = 1;
  Extend().classes = {{"TP391", 1.0f}};
  ASSERT_EQ(Run(a), TARNIX_OK);
  std::vector<std::string> engine_calls;
  for (const std::string& name : CallNames()) {
    if (name.rfind("EKVR_", 0) == 0 || name.rfind("Get", 0) == 0 || name == "SetCHIThreshold") {
      engine_calls.push_back(name);
    }
  }
  EXPECT_EQ(engine_calls, (std::vector<std::string>{
                             "EKVR_Init_File2", "SetCHIThreshold", "EKVR_CalculateTxtValue",
                             "GetTxtClassifyTemp", "GetFormalizationClass", "GetFormalizationClass",
                             "GetFormalizationClass", "GetFormalizationClass", "GetFormalizationClass",
                             "GetFormalizationClass", "GetFormalizationClass", "EKVR_GetArticleInfo",
                             "EKVR_GetArticleInfo"}));
  EXPECT_EQ(CallsTo("EKVR_Init_File2")[0].args,
            (std::vector<std::string>{"Title", "Keyword", "Abstract", "Journal", "Full text", "NULL"}));
  EXPECT_EQ(CallsTo("SetCHIThreshold")[0].args[0], "0x43480000");
  EXPECT_EQ(CallsTo("EKVR_CalculateTxtValue")[0].args, (std::vector<std::string>{"0", "1"}));
  EXPECT_EQ(CallsTo("GetTxtClassifyTemp")[0].args, (std::vector<std::string>{"100", "0"}));
  auto info = CallsTo("EKVR_GetArticleInfo");
  EXPECT_EQ(info[0].args, (std::vector<std::string>{"10000", "1", "initialised"}));
  EXPECT_EQ(info[1].args, (std::vector<std::string>{"50", "2", "initialised"}));
}

// Makes the step fail that `setup` breaks; returns the article's result.
struct StepFailure {
  const char* message;
  void (*setup)();
  const char* last_call;  // the last engine call that happened
};

TEST_F(DirectTest, EveryEngineStepFailsTheArticleWithItsMessage) {
  const StepFailure failures[] = {
      {"step2. EKVR_Init_File2 failed!", [] { Extend().init_file2 = 0; }, "EKVR_Init_File2"},
      {"step2. EKVR_Init_File2 failed!", [] { Extend().init_file2 = 2; }, "EKVR_Init_File2"},
      {"step2. SetCHIThreshold failed!", [] { Extend().chi_threshold = -1; }, "SetCHIThreshold"},
      {"step2. EKVR_CalculateTxtValue failed!", [] { Extend().calculate = 0; },
       "EKVR_CalculateTxtValue"},
      {"step5. EKVR_GetArticleInfo failed!", [] { Extend().full_text_result = 0; },
       "EKVR_GetArticleInfo"},
      {"step5. InfoMap Num Error!", [] { Extend().reported_full_count = 10001; },
       "EKVR_GetArticleInfo"},
      {"step5. InfoMap Num Error!", [] { Extend().reported_full_count = -1; },
       "EKVR_GetArticleInfo"},
      {"step9. EKVR_GetArticleInfo failed!", [] { Extend().abstract_result = 3; },
       "EKVR_GetArticleInfo"},
      {"step9. InfoMap1 Num Error!", [] { Extend().reported_abstract_count = 51; },
       "EKVR_GetArticleInfo"},
  };
  for (const StepFailure& f : failures) {
    scripted::Reset();
    ScriptDictionaries();
    f.setup();
    EXPECT_EQ(Run(Article()), TARNIX_FAILED) << f.message;
    EXPECT_EQ(size_, 0);
    EXPECT_EQ(LastMessages(1).at(0), f.message) << "no title line after engine steps";
    EXPECT_EQ(CallNames().back(), f.last_call) << f.message;
  }
}

TEST_F(DirectTest, FullTablesAreAccepted) {
  for (int i = 0; i < 10000; ++i) {
    Extend().full_text.push_back(scripted::Term("w" + std::to_string(i), 1.0f, 3));
  }
  for (int i = 0; i < 50; ++i) {
    Extend().abstract_terms.push_back(scripted::Term("a" + std::to_string(i), 1.0f, 0));
  }
  EXPECT_EQ(Run(Article()), TARNIX_OK);
}

// The full-text table is kept from one call to the next: whatever an
// engine wrote into it, within its count or past it, and whether the call
// succeeded or not, the next call must find it as a fresh one, and an
// article must give the same list after any other.
TEST_F(DirectTest, TheFullTextTableComesInitialisedAfterAnyEarlierCall) {
  auto terms = [](int count, const std::string& prefix) {
    std::vector<ArticleTerm> out;
    for (int i = 0; i < count; ++i) out.push_back(scripted::Term(prefix + std::to_string(i), 1.0f + i, 3));
    return out;
  };
  auto keywords = [this] {
    std::vector<std::string> out;
    for (int i = 0; i < size_; ++i) out.push_back(buffer_[static_cast<size_t>(i)].keyword_text);
    return out;
  };
  Extend().full_text = terms(40, "w");
  ASSERT_EQ(Run(Article()), TARNIX_OK);
  const std::vector<std::string> alone = keywords();
  ASSERT_FALSE(alone.empty());

  const struct {
    const char* what;
    int written;
    void (*setup)();
  } earlier[] = {
      {"records past the reported count", 500, [] { Extend().reported_full_count = 120; }},
      {"a failed call", 500, [] { Extend().full_text_result = 0; }},
      {"a count the table cannot hold", 500, [] { Extend().reported_full_count = 10001; }},
      {"a full table", 10000, [] {}},
  };
  for (const auto& e : earlier) {
    scripted::Reset();
    ScriptDictionaries();
    Extend().full_text = terms(e.written, "x");
    e.setup();
    Run(Article());
    scripted::Reset();
    ScriptDictionaries();
    Extend().full_text = terms(40, "w");
    ASSERT_EQ(Run(Article()), TARNIX_OK) << e.what;
    const auto info = CallsTo("EKVR_GetArticleInfo");
    ASSERT_FALSE(info.empty());
    EXPECT_EQ(info[0].args, (std::vector<std::string>{"10000", "1", "initialised"})) << e.what;
    EXPECT_EQ(keywords(), alone) << e.what;
  }
}

TEST_F(DirectTest, AnUnknownTypeFailsAtTheClassFilterWithTheTitle) {
  Article a;
  a.type = 3;
  EXPECT_EQ(Run(a), TARNIX_FAILED);
  EXPECT_EQ(size_, 0);
  EXPECT_EQ(LastMessages(2), (std::vector<std::string>{"step7. EraseFileClass failed!", "Title"}));
  auto info = CallsTo("EKVR_GetArticleInfo");
  ASSERT_EQ(info.size(), 1u);
  EXPECT_EQ(info[0].args[1], "1");
}

}  // namespace
