#include "word_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace tarnix {
namespace {

// A file in the temporary directory, removed afterwards.
class ListFile {
 public:
  explicit ListFile(const std::string& content) {
    path_ = (std::filesystem::temp_directory_path() / ("word_list_test_" + std::to_string(std::random_device{}())))
                .string();
    std::ofstream(path_, std::ios::binary) << content;
  }
  ~ListFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const char kShengmingQiyuan[] = "\xC9\xFA\xC3\xFC\xC6\xF0\xD4\xB4";  // 生命起源 in GBK

TEST(UserDictionary, ReadsWordsFrequenciesAndTagsAndNamesEachBadLine) {
  const ListFile f(
      "\xEF\xBB\xBF生命起源 5 nz\n"     // 1: a byte-order mark first
      "# a comment\n"                   // 2
      "\n"                              // 3
      "  量子退火\tvn  \r\n"             // 4: blanks around, CRLF, no frequency
      "深度学习 12x n\n"                 // 5: a frequency that is no count
      "图像 3 zz\n"                      // 6: an unknown tag
      "\xFF\xFE\n"                      // 7: not UTF-8
      "表情😀 2\n"                       // 8: no GBK form
      "词 1 n extra\n"                   // 9: a field too many
      + std::string(40, 'x') + "长长长长长长长长长长长长长\n"  // 10: 66 bytes of GBK
      "生命起源 9\n"                      // 11: listed twice: the first counts
      "英文 4294967296\n"                // 12: beyond a 32-bit count
      "Graph 7");                       // 13: no line end
  std::vector<UserWord> words;
  std::vector<std::string> warnings;
  std::string error;
  ASSERT_TRUE(ReadUserDictionary(f.path(), &words, &warnings, &error)) << error;
  ASSERT_EQ(words.size(), 3u);
  EXPECT_EQ(words[0].word, kShengmingQiyuan);
  EXPECT_EQ(words[0].frequency, 5u);
  EXPECT_EQ(words[0].tag, "nz");
  EXPECT_EQ(words[0].code, 13);
  EXPECT_EQ(words[1].tag, "vn");
  EXPECT_EQ(words[1].code, 15);
  EXPECT_EQ(words[1].frequency, kDefaultUserFrequency);
  EXPECT_EQ(words[2].word, "Graph");
  EXPECT_EQ(words[2].tag, kDefaultUserTag);
  const std::vector<std::string> lines = {":5: frequency \"12x\"", ":6: unknown part-of-speech tag \"zz\"",
                                          ":7: not UTF-8", ":8: ", ":9: more than", ":10: word longer",
                                          ":12: frequency"};
  ASSERT_EQ(warnings.size(), lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(warnings[i].rfind(f.path() + lines[i], 0), 0u) << warnings[i];
  }
}

TEST(UserDictionary, LongLineIsSkippedAndAMissingFileFails) {
  const ListFile f(std::string(kMaxWordListLine + 10, 'a') + "\nok\n");
  std::vector<UserWord> words;
  std::vector<std::string> warnings;
  std::string error;
  ASSERT_TRUE(ReadUserDictionary(f.path(), &words, &warnings, &error));
  ASSERT_EQ(words.size(), 1u);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find(":1: line longer"), std::string::npos);
  EXPECT_FALSE(ReadUserDictionary(f.path() + ".absent", &words, &warnings, &error));
  EXPECT_NE(error.find(".absent"), std::string::npos);
}

TEST(StopWordList, MatchesTermsAsTheEnginesWriteThem) {
  const ListFile f("研究\n# not a word\nThe Method\n方法论\n");
  std::vector<std::string> words, warnings;
  std::string error;
  ASSERT_TRUE(ReadStopWords(f.path(), &words, &warnings, &error));
  ASSERT_EQ(words.size(), 3u);
  const StopWords stop(words);
  EXPECT_TRUE(stop.Contains("\xD1\xD0\xBE\xBF"));                  // 研究
  EXPECT_TRUE(stop.Contains("the method"));                        // any case
  EXPECT_TRUE(stop.Contains("THE METHOD"));
  EXPECT_TRUE(stop.Contains("\xB7\xBD\xB7\xA8 \xC2\xDB"));         // 方法 论, its words cut apart
  EXPECT_FALSE(stop.Contains("themethod"));                        // English words stay apart
  EXPECT_FALSE(stop.Contains("\xB7\xBD\xB7\xA8"));                 // 方法 alone
  EXPECT_FALSE(stop.Contains(""));
  EXPECT_FALSE(stop.Contains(nullptr));
}

TEST(PosTags, TagsHaveTheCodesOfTheDictionaries) {
  EXPECT_EQ(PosCodeOfTag("n"), 9);
  EXPECT_EQ(PosCodeOfTag("eng"), 28);
  EXPECT_EQ(PosCodeOfTag("f"), 38);
  EXPECT_EQ(PosCodeOfTag("N"), -1);
  EXPECT_EQ(PosCodeOfTag(""), -1);
}

}  // namespace
}  // namespace tarnix
