#include "segmenter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_dicts.h"

namespace lexmill {
namespace {

using namespace lexmill_test;

class SegmenterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string p = folder_.File("sample.lxd");
    WriteDict(p, SampleEntries());
    std::string error;
    dict_ = DictImage::Load(p, &error);
    ASSERT_TRUE(dict_) << error;
  }

  // The segments of text as strings.
  std::vector<std::string> Cut(const std::string& text, size_t max_word = 0) {
    segmenter_.Run(*dict_, text.data(), text.size(), max_word, &segments_);
    std::vector<std::string> words;
    uint32_t begin = 0;
    for (const Segment& s : segments_) {
      EXPECT_GT(s.end, begin) << "ends must increase";
      words.push_back(text.substr(begin, s.end - begin));
      begin = s.end;
    }
    EXPECT_EQ(begin, text.size()) << "segments must cover the text";
    EXPECT_LE(segments_.size(), text.size());
    return words;
  }

  TempFolder folder_;
  std::unique_ptr<DictImage> dict_;
  Segmenter segmenter_;
  std::vector<Segment> segments_;
};

using Words = std::vector<std::string>;

TEST_F(SegmenterTest, PrefersTheMostProbablePathOverTheLongestWord) {
  // 研究生命起源: 研究/生命/起源 beats the longest match 研究生/命/起源.
  const std::string text = std::string(kYanjiu) + kShengming + kQiyuan;
  EXPECT_EQ(Cut(text), (Words{kYanjiu, kShengming, kQiyuan}));
  // 研究生 alone is still a word.
  EXPECT_EQ(Cut(kYanjiusheng), (Words{kYanjiusheng}));
}

TEST_F(SegmenterTest, MaxWordBoundsTheWordsConsidered) {
  EXPECT_EQ(Cut(kYanjiusheng, 4), (Words{kYanjiu, "\xC9\xFA"}));
}

TEST_F(SegmenterTest, LetterAndDigitRunsStayWhole) {
  EXPECT_EQ(Cut(std::string(kJiyu) + "Deep Learning" + kDe + kFangfa),
            (Words{kJiyu, "Deep", " ", "Learning", kDe, kFangfa}));
  // Letters and digits are separate runs unless the dictionary joins them.
  EXPECT_EQ(Cut("SVM2019"), (Words{"SVM", "2019"}));
  EXPECT_EQ(Cut("3D"), (Words{"3D"}));
  EXPECT_EQ(Cut("3DX"), (Words{"3", "DX"}));  // a word may not split the run DX
  EXPECT_EQ(Cut("Deeper"), (Words{"Deeper"}));
}

TEST_F(SegmenterTest, BlanksAndPunctuationAreSegmentsOfTheirOwn) {
  EXPECT_EQ(Cut("a  b"), (Words{"a", " ", " ", "b"}));
  EXPECT_EQ(Cut(std::string("(") + kFangfa + ")" + kJuhao + kDouhao),
            (Words{"(", kFangfa, ")", kJuhao, kDouhao}));
  EXPECT_EQ(Cut("C++"), (Words{"C", "+", "+"}));
}

TEST_F(SegmenterTest, UnknownCharactersStandAlone) {
  // 中国人 is not in the dictionary: one segment per character.
  EXPECT_EQ(Cut("\xD6\xD0\xB9\xFA\xC8\xCB"), (Words{"\xD6\xD0", "\xB9\xFA", "\xC8\xCB"}));
}

TEST_F(SegmenterTest, MalformedGbkAdvancesByteByByte) {
  // A lead byte at the very end, a lead byte before an ASCII byte, and bytes
  // that start no character.
  EXPECT_EQ(Cut(std::string(kFangfa) + "\xD1"), (Words{kFangfa, "\xD1"}));
  EXPECT_EQ(Cut("\xD1 a"), (Words{"\xD1", " ", "a"}));
  EXPECT_EQ(Cut("\xD1" "a"), (Words{"\xD1" "a"}));  // 'a' is a valid trail byte
  EXPECT_EQ(Cut("\x80\xFF"), (Words{"\x80", "\xFF"}));
  EXPECT_EQ(Cut(std::string("\0a", 2)), (Words{std::string(1, '\0'), "a"}));
}

TEST_F(SegmenterTest, NeverReadsPastTheLength) {
  // Segmenting a prefix of a buffer must give the same result as a copy of
  // that prefix, whatever follows it.
  const std::string text = std::string(kYanjiu) + kShengming;
  for (size_t n = 0; n <= text.size(); ++n) {
    std::vector<char> exact(text.begin(), text.begin() + n);
    segmenter_.Run(*dict_, exact.data(), n, 0, &segments_);
    const std::vector<Segment> expected = segments_;
    segmenter_.Run(*dict_, text.data(), n, 0, &segments_);
    ASSERT_EQ(segments_.size(), expected.size()) << n;
  }
}

TEST_F(SegmenterTest, CodesComeFromTheEntryOrTheSegmentKind) {
  const std::string text = std::string(kYanjiu) + "Deep x 42" + kJuhao + "\xC8\xCB";
  Cut(text);
  std::vector<int16_t> codes;
  for (const Segment& s : segments_) codes.push_back(s.code);
  EXPECT_EQ(codes, (std::vector<int16_t>{15, 28, kCodeBlank, kCodeLetters, kCodeBlank, kCodeNumber,
                                         kCodePunct, kCodeUnknown}));
}

TEST_F(SegmenterTest, EmptyTextHasNoSegments) { EXPECT_TRUE(Cut("").empty()); }

}  // namespace
}  // namespace lexmill
