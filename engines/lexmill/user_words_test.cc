// User words laid over a compiled dictionary, through the exported
// functions, configured as a host does it: Lexmill.ini in the current
// directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data_folder.h"
#include "lexmill.h"
#include "segmenter.h"
#include "test_dicts.h"
#include "user_words.h"

namespace {

using namespace lexmill_test;

// Runs a test inside a folder of its own, where Lexmill.ini is read.
class UserWordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteDict(folder_.File("sample.lxd"), SampleEntries());
    WriteDict(folder_.File("other.lxd"), SampleEntries());
    start_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
  }
  void TearDown() override {
    Free_All_Space();
    std::filesystem::current_path(start_);
  }
  // Lexmill.ini naming the user dictionary (written in UTF-8) for "sample".
  void Configure(const std::string& user_dict_utf8) {
    WriteBytes(folder_.File("user.txt"), user_dict_utf8);
    WriteBytes(folder_.File("Lexmill.ini"), "[Lexmill]\nuser_dict=user.txt\nuser_dict_target=sample\n");
  }
  TempFolder folder_;
  std::filesystem::path start_;
};

TEST_F(UserWordsTest, UserWordIsCutWholeAndFoundWithItsTag) {
  // 研究生命起源: the dictionary alone never cuts 生命起源 whole.
  const std::string text = Gbk("研究生命起源");
  std::vector<int16_t> codes;
  WriteBytes(folder_.File("Lexmill.ini"), "[Lexmill]\n");
  int plain = Dict_Load_New("sample", folder_.path().c_str());
  ASSERT_GE(plain, 0);
  for (const std::string& w : Segments(text, plain, &codes)) EXPECT_NE(w, Gbk("生命起源"));
  Free_All_Space();

  Configure("# topics\n生命起源 5 nz\n\n研究生命 n\n");
  const int handle = Dict_Load_New("sample", folder_.path().c_str());
  ASSERT_GE(handle, 0);
  // The two user words overlap and each covers four characters, so the
  // probabilities choose: 研究 (1000) is more frequent than 起源 (500).
  const std::vector<std::string> words = Segments(Gbk("研究生命起源，生命起源"), handle, &codes);
  ASSERT_EQ(words.size(), 4u);
  EXPECT_EQ(words[1], Gbk("生命起源"));
  EXPECT_EQ(words[3], Gbk("生命起源"));
  EXPECT_EQ(codes[1], 13);  // nz
  char info[64];
  EXPECT_EQ(Dict_Search_Get_Info(Gbk("生命起源").c_str(), handle, info, sizeof info), 1);
  EXPECT_STREQ(info, "nz 5");
  EXPECT_EQ(Dict_Search_Get_Info(Gbk("研究生命").c_str(), handle, info, sizeof info), 1);
  EXPECT_STREQ(info, "n 1");
  // The compiled words are still there.
  EXPECT_EQ(Dict_Search_Get_Info(kQiyuan, handle, info, sizeof info), 1);
  EXPECT_STREQ(info, (std::string("info:") + kQiyuan).c_str());
}

TEST_F(UserWordsTest, OnlyTheTargetDictionaryGetsThem) {
  Configure("生命起源\n");
  const int other = Dict_Load_New("other", folder_.path().c_str());
  ASSERT_GE(other, 0);
  char info[64];
  EXPECT_EQ(Dict_Search_Get_Info(Gbk("生命起源").c_str(), other, info, sizeof info), 0);
  const int sample = Dict_Load_New("sample", folder_.path().c_str());
  EXPECT_EQ(Dict_Search_Get_Info(Gbk("生命起源").c_str(), sample, info, sizeof info), 1);
  // Unloaded and loaded again without the key: the overlay went with it.
  Dict_Unload_New(sample);
  WriteBytes(folder_.File("Lexmill.ini"), "[Lexmill]\n");
  const int again = Dict_Load_New("sample", folder_.path().c_str());
  ASSERT_GE(again, 0);
  EXPECT_EQ(Dict_Search_Get_Info(Gbk("生命起源").c_str(), again, info, sizeof info), 0);
}

TEST_F(UserWordsTest, MissingFileFailsTheLoadAndBadLinesAreNamed) {
  WriteBytes(folder_.File("Lexmill.ini"),
             "[Lexmill]\nuser_dict=absent.txt\nuser_dict_target=sample\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(Dict_Load_New("sample", folder_.path().c_str()), -1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("absent.txt"), std::string::npos);

  Configure("生命起源 many n\n起源说 3 zz\n\xB5\xC4\n好词\n");
  testing::internal::CaptureStderr();
  const int handle = Dict_Load_New("sample", folder_.path().c_str());
  const std::string said = testing::internal::GetCapturedStderr();
  ASSERT_GE(handle, 0);
  EXPECT_NE(said.find("user.txt:1: frequency \"many\""), std::string::npos) << said;
  EXPECT_NE(said.find("user.txt:2: unknown part-of-speech tag \"zz\""), std::string::npos) << said;
  EXPECT_NE(said.find("user.txt:3: not UTF-8"), std::string::npos) << said;
  char info[64];
  EXPECT_EQ(Dict_Search_Get_Info(Gbk("好词").c_str(), handle, info, sizeof info), 1);
  EXPECT_EQ(Dict_Search_Get_Info(Gbk("生命起源").c_str(), handle, info, sizeof info), 0);
}

// The segmenter alone: a user word may hold punctuation (C++), must end
// where a token ends, and a longer one wins over two that tile it only
// when it covers more.
TEST(UserWordsSegmenter, TokensAndCover) {
  std::vector<tarnix::UserWord> list = {{"C++", 1, 28, "eng"}, {"AB", 1, 9, "n"}};
  const lexmill::UserWords user(list);
  TempFolder folder;
  WriteDict(folder.File("d.lxd"), SampleEntries());
  std::string error;
  const auto dict = lexmill::DictImage::Load(folder.File("d.lxd"), &error);
  ASSERT_TRUE(dict) << error;
  lexmill::Segmenter s;
  std::vector<lexmill::Segment> out;
  const std::string text = "C++ ABC AB";
  s.Run(*dict, text.data(), text.size(), 0, &out, &user);
  std::vector<uint32_t> ends;
  for (const auto& seg : out) ends.push_back(seg.end);
  // C++ whole; ABC is one run of letters, which AB does not end with.
  EXPECT_EQ(ends, (std::vector<uint32_t>{3, 4, 7, 8, 10}));
  EXPECT_EQ(out[0].code, 28);
  EXPECT_EQ(out[4].code, 9);
}

}  // namespace
