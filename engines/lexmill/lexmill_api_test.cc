// The exported functions, called as Tarnix calls them.
#include "lexmill.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "data_folder.h"
#include "gbk.h"
#include "test_dicts.h"

namespace {

using namespace lexmill_test;

void SetDataFolder(const std::string& folder) {
#if defined(_WIN32)
  _putenv_s(lexmill::kDataEnvVar, folder.c_str());
#else
  setenv(lexmill::kDataEnvVar, folder.c_str(), 1);
#endif
}

class LexmillApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteDict(folder_.File("sample.lxd"), SampleEntries());
    SetDataFolder(folder_.path());
  }
  void TearDown() override { Free_All_Space(); }
  TempFolder folder_;
};

TEST_F(LexmillApiTest, LoadGetReleaseUnloadLifecycle) {
  EXPECT_EQ(Dict_Get_Handle("sample", ""), -1);
  const int h = Dict_Load_New("sample", "");
  ASSERT_GE(h, 0);
  Dict_Delete_Handle(h);
  const int g = Dict_Get_Handle("sample", "");
  ASSERT_GE(g, 0);
  Dict_Unload_New(g);
  EXPECT_EQ(Dict_Get_Handle("sample", ""), -1);
  ASSERT_GE(Dict_Load_New("sample", ""), 0);
  EXPECT_EQ(Free_All_Space(), 1);
  EXPECT_EQ(Dict_Get_Handle("sample", ""), -1);
}

TEST_F(LexmillApiTest, MissingDictionaryFailsWithAMessage) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(Dict_Load_New("QOVA_NOT_THERE", ""), -1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("QOVA_NOT_THERE"), std::string::npos);
  EXPECT_EQ(Dict_Load_New(nullptr, ""), -1);
}

TEST_F(LexmillApiTest, SearchCopiesTheInformationWithinTheSize) {
  const int h = Dict_Load_New("sample", "");
  char info[64];
  std::memset(info, 'z', sizeof info);
  EXPECT_EQ(Dict_Search_Get_Info(kFangfa, h, info, 64), 1);
  EXPECT_STREQ(info, (std::string("info:") + kFangfa).c_str());
  // Cut to size - 1 bytes, and never through a double-byte character:
  // "info:" + 方法 is 9 bytes, so a size of 8 keeps "info:" and 方.
  std::memset(info, 'z', sizeof info);
  EXPECT_EQ(Dict_Search_Get_Info(kFangfa, h, info, 8), 1);
  EXPECT_STREQ(info, "info:\xB7\xBD");
  EXPECT_EQ(info[8], 'z');
  EXPECT_EQ(Dict_Search_Get_Info(kFangfa, h, info, 7), 1);
  EXPECT_STREQ(info, "info:");  // 6 bytes fit, but half of 方 does not
  EXPECT_EQ(Dict_Search_Get_Info(kFangfa, h, info, 1), 1);
  EXPECT_STREQ(info, "");
  EXPECT_EQ(Dict_Search_Get_Info(kFangfa, h, info, 10), 1);
  EXPECT_STREQ(info, (std::string("info:") + kFangfa).c_str());  // exact fit
}

TEST_F(LexmillApiTest, SearchMissesAndBadArguments) {
  const int h = Dict_Load_New("sample", "");
  char info[16] = "stale";
  EXPECT_EQ(Dict_Search_Get_Info("nope", h, info, 16), 0);
  EXPECT_STREQ(info, "");
  EXPECT_NE(Dict_Search_Get_Info(kFangfa, h + 100, info, 16), 1);
  EXPECT_NE(Dict_Search_Get_Info(kFangfa, h, info, 0), 1);
  EXPECT_NE(Dict_Search_Get_Info(kFangfa, h, nullptr, 16), 1);
  EXPECT_NE(Dict_Search_Get_Info(nullptr, h, info, 16), 1);
  Dict_Delete_Handle(h);
  EXPECT_NE(Dict_Search_Get_Info(kFangfa, h, info, 16), 1);
}

TEST_F(LexmillApiTest, SegmentationFillsOnlyTheSegmentEntries) {
  const int h = Dict_Load_New("sample", "");
  const std::string text = std::string(kYanjiu) + kShengming;  // two words, 8 bytes
  std::vector<int> ends(text.size() + 1, 0);
  std::vector<int16_t> tags(text.size() + 1, -1);
  ASSERT_TRUE(QX_Word_Sect(text.c_str(), ends.data(), 8, h, 1, tags.data(), 1024, 1, 0, 0));
  EXPECT_EQ(ends, (std::vector<int>{4, 8, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(tags[0], 15);
  EXPECT_EQ(tags[1], 9);
  EXPECT_EQ(tags[2], -1);
  // Tags untouched unless asked for.
  std::vector<int16_t> untouched(9, -1);
  ASSERT_TRUE(QX_Word_Sect(text.c_str(), ends.data(), 8, h, 0, untouched.data(), 2048, 0, 0, 0));
  EXPECT_EQ(untouched, std::vector<int16_t>(9, -1));
}

TEST_F(LexmillApiTest, SegmentationNeverWritesMoreEntriesThanBytes) {
  const int h = Dict_Load_New("sample", "");
  // Thirteen one-byte segments (blanks and punctuation) in exactly 13 ints:
  // ASan reports any write past them.
  const std::string text = " , . ; : ! ? ";
  std::vector<int> ends(text.size(), 0);
  ASSERT_EQ(ends.size(), 13u);
  ASSERT_TRUE(QX_Word_Sect(text.c_str(), ends.data(), 13, h, 0, nullptr, 2048, 0, 0, 0));
  EXPECT_EQ(ends.back(), 13);
}

TEST_F(LexmillApiTest, SegmentationFailsWithoutADictionary) {
  int ends[4] = {0};
  EXPECT_FALSE(QX_Word_Sect("ab", ends, 2, 99, 0, nullptr, 0, 0, 0, 0));
  EXPECT_FALSE(QX_Word_Sect(nullptr, ends, 2, 0, 0, nullptr, 0, 0, 0, 0));
  EXPECT_EQ(ends[0], 0);
}

TEST_F(LexmillApiTest, MixedTitleAsGetEngLishWordSeesIt) {
  const int h = Dict_Load_New("sample", "");
  EXPECT_EQ(Segments(std::string(kJiyu) + "Deep Learning" + kDe + kFangfa, h),
            (std::vector<std::string>{kJiyu, "Deep", " ", "Learning", kDe, kFangfa}));
}

TEST(CodeDetermineTest, CharacterEndsAndCount) {
  const std::string text = std::string("a") + kDe + "1" + kJuhao;
  int ends[135];
  char types[128];
  int count = -1;
  ASSERT_TRUE(Code_Determine(text.c_str(), ends, types, static_cast<int>(text.size()), &count, 0, 0));
  ASSERT_EQ(count, 4);
  EXPECT_EQ(std::vector<int>(ends, ends + 4), (std::vector<int>{1, 3, 4, 6}));
  EXPECT_EQ(types[1], static_cast<char>(lexmill::CharKind::kHanzi));
}

TEST(CodeDetermineTest, LeadByteAtTheEndIsOneCharacter) {
  int ends[135];
  char types[128];
  int count = -1;
  ASSERT_TRUE(Code_Determine("\xB5\xC4\xB5", ends, types, 3, &count, 0, 0));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(ends[1], 3);
  count = -1;
  ASSERT_TRUE(Code_Determine("", ends, types, 0, &count, 0, 0));
  EXPECT_EQ(count, 0);
  EXPECT_FALSE(Code_Determine(nullptr, ends, types, 3, &count, 0, 0));
}

TEST(CodeDetermineTest, LongTextFillsOnlyTheKindsArray) {
  // 127 one-byte characters: ends for all, kinds within 128 bytes.
  const std::string text(127, 'x');
  std::vector<int> ends(135, 0);
  std::vector<char> types(128, 0);
  int count = -1;
  ASSERT_TRUE(Code_Determine(text.c_str(), ends.data(), types.data(), 127, &count, 0, 0));
  EXPECT_EQ(count, 127);
  EXPECT_EQ(ends[126], 127);
}

TEST(CharacterTest, EnglishLetters) {
  EXPECT_TRUE(IsEnglishLetter("a", 0));
  EXPECT_TRUE(IsEnglishLetter("SVM", 0));
  EXPECT_TRUE(IsEnglishLetter("\xA3\xC1", 0));  // full-width A
  EXPECT_FALSE(IsEnglishLetter("a1", 0));
  EXPECT_FALSE(IsEnglishLetter(" ", 0));
  EXPECT_FALSE(IsEnglishLetter(kDe, 0));
  EXPECT_FALSE(IsEnglishLetter("", 0));
  EXPECT_FALSE(IsEnglishLetter(nullptr, 0));
}

TEST(CharacterTest, Numbers) {
  EXPECT_TRUE(IsNumber("3", 0));
  EXPECT_TRUE(IsNumber("2019", 0));
  EXPECT_TRUE(IsNumber("\xA3\xB5", 0));  // full-width 5
  EXPECT_FALSE(IsNumber("3D", 0));
  EXPECT_FALSE(IsNumber("", 0));
}

TEST(CharacterTest, Punctuation) {
  EXPECT_TRUE(IsPunctuation(",", 0));
  EXPECT_TRUE(IsPunctuation("(", 0));
  EXPECT_TRUE(IsPunctuation(kJuhao, 0));
  EXPECT_TRUE(IsPunctuation(kDouhao, 0));
  EXPECT_TRUE(IsPunctuation("\xA1\xB6\xA1\xB7", 0));  // 《》
  EXPECT_FALSE(IsPunctuation(kDe, 0));
  EXPECT_FALSE(IsPunctuation("a", 0));
  EXPECT_FALSE(IsPunctuation(" ", 0));
  EXPECT_FALSE(IsPunctuation(",a", 0));
  EXPECT_FALSE(IsPunctuation("\xA3", 0));  // half of a full-width comma
}

// The shared library itself exports all eleven functions by plain name.
TEST(ExportsTest, SharedLibraryExportsTheElevenFunctions) {
  const char* names[] = {"Dict_Load_New",   "Dict_Get_Handle",      "Dict_Delete_Handle",
                         "Dict_Unload_New", "Free_All_Space",       "Dict_Search_Get_Info",
                         "QX_Word_Sect",    "Code_Determine",       "IsEnglishLetter",
                         "IsNumber",        "IsPunctuation"};
#if defined(_WIN32)
  HMODULE lib = LoadLibraryA(LEXMILL_LIBRARY_FILE);
  ASSERT_NE(lib, nullptr);
  for (const char* name : names) {
    EXPECT_NE(reinterpret_cast<void*>(GetProcAddress(lib, name)), nullptr) << name;
  }
  FreeLibrary(lib);
#else
  void* lib = dlopen(LEXMILL_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  for (const char* name : names) EXPECT_NE(dlsym(lib, name), nullptr) << name;
  // Nothing else of the engine leaks out of the library.
  EXPECT_EQ(dlsym(lib, "_ZN7lexmill8ReadCharEPKhm"), nullptr);
  dlclose(lib);
#endif
}

}  // namespace
