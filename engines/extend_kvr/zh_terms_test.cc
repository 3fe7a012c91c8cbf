#include "zh_terms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace ekvr {
namespace {

TEST(ChineseCandidates, CompoundsComeFromRunsOfContentWords) {
  // conv/n net/n of/particle d/v: the particle ends the run, and a verb of
  // one character alone makes no term.
  std::vector<Token> run = {{0, 4, tag::kNoun}, {4, 7, tag::kNoun}, {7, 9, 3}, {9, 10, tag::kVerb}};
  const std::string glued = "convnetofd";
  std::vector<std::string> got;
  for (const Span& s : ChineseCandidates(glued, run)) {
    got.push_back(glued.substr(run[s.first].begin, run[s.first + s.count - 1].end - run[s.first].begin));
  }
  EXPECT_EQ(got, (std::vector<std::string>{"conv", "convnet", "net"}));
}

std::vector<std::string> Candidates(const std::string& glued, const std::vector<Token>& run,
                                    std::vector<Span>* spans = nullptr) {
  std::vector<std::string> got;
  for (const Span& s : ChineseCandidates(glued, run)) {
    got.push_back(glued.substr(run[s.first].begin, run[s.first + s.count - 1].end - run[s.first].begin));
    if (spans != nullptr) spans->push_back(s);
  }
  return got;
}

TEST(ChineseCandidates, VerbsStartCompoundsAndSetPhrasesAndTimeWordsAreHeads) {
  // 补肾/v 活血/vn 汤/n, as in 补肾活血汤: the verb starts compounds.
  const std::string herbal = "\xB2\xB9\xC9\xF6\xBB\xEE\xD1\xAA\xCC\xC0";
  const std::vector<Token> run = {{0, 4, tag::kVerb}, {4, 8, tag::kVerbalNoun}, {8, 10, tag::kNoun}};
  const auto got = Candidates(herbal, run);
  EXPECT_NE(std::find(got.begin(), got.end(), herbal), got.end());
  EXPECT_NE(std::find(got.begin(), got.end(), herbal.substr(0, 8)), got.end());
  // A verb of two characters may name a process alone (合成, 改造): the
  // model weighs it.
  EXPECT_NE(std::find(got.begin(), got.end(), herbal.substr(0, 4)), got.end());
  // A fixed expression and a time word stand alone; a short distinguishing
  // word does not, a long one does (非线性).
  EXPECT_EQ(Candidates("abcdXYZW", {{0, 4, tag::kFixedExpression}, {4, 8, 3}}), std::vector<std::string>{"abcd"});
  EXPECT_EQ(Candidates("ab", {{0, 2, tag::kTimeWord}}), std::vector<std::string>{"ab"});
  EXPECT_TRUE(Candidates("ab", {{0, 2, tag::kDistinguishing}}).empty());
  EXPECT_EQ(Candidates("abc", {{0, 3, tag::kDistinguishing}}), std::vector<std::string>{"abc"});
}

TEST(ChineseCandidates, LeadWordsAndReportingVerbsAreNoPartOfATerm) {
  const std::string based = "\xBB\xF9\xD3\xDA", wavelet = "\xD0\xA1\xB2\xA8",   // 基于 小波
      transform = "\xB1\xE4\xBB\xBB", result = "\xBD\xE1\xB9\xFB",           // 变换 结果
      shows = "\xB1\xED\xC3\xF7", signal = "\xD0\xC5\xBA\xC5",               // 表明 信号
      carry_out = "\xBD\xF8\xD0\xD0", detect = "\xBC\xEC\xB2\xE2",           // 进行 检测
      knowledge = "\xD6\xAA\xCA\xB6", discovery = "\xB7\xA2\xCF\xD6";        // 知识 发现
  auto has = [](const std::vector<std::string>& got, const std::string& w) {
    return std::find(got.begin(), got.end(), w) != got.end();
  };
  // 基于/v 小波/n 变换/vn: 小波变换, never 基于小波 or 基于小波变换.
  auto got = Candidates(based + wavelet + transform, {{0, 4, tag::kVerb}, {4, 8, tag::kNoun}, {8, 12, tag::kVerbalNoun}});
  EXPECT_TRUE(has(got, wavelet + transform));
  EXPECT_FALSE(has(got, based + wavelet));
  EXPECT_FALSE(has(got, based + wavelet + transform));
  // 信号/n 进行/v 检测/vn: no 信号进行; 进行检测 neither.
  got = Candidates(signal + carry_out + detect, {{0, 4, tag::kNoun}, {4, 8, tag::kVerb}, {8, 12, tag::kVerbalNoun}});
  EXPECT_FALSE(has(got, signal + carry_out));
  EXPECT_FALSE(has(got, carry_out + detect));
  EXPECT_TRUE(has(got, signal));
  // 结果/n 表明/v, and 结果表明 as one dictionary word: no term.
  got = Candidates(result + shows, {{0, 4, tag::kNoun}, {4, 8, tag::kVerb}});
  EXPECT_FALSE(has(got, result + shows));
  got = Candidates(result + shows, {{0, 8, tag::kFixedExpression}});
  EXPECT_TRUE(got.empty());
  // A verb that ends real terms stays (知识发现).
  got = Candidates(knowledge + discovery, {{0, 4, tag::kNoun}, {4, 8, tag::kVerb}});
  EXPECT_TRUE(has(got, knowledge + discovery));
  // 不同/a 检测/vn 信号/n: a determiner leads no term; what follows it is one.
  const std::string different = "\xB2\xBB\xCD\xAC";  // 不同
  got = Candidates(different + detect + signal,
                   {{0, 4, tag::kAdjective}, {4, 8, tag::kVerbalNoun}, {8, 12, tag::kNoun}});
  EXPECT_TRUE(has(got, detect + signal));
  EXPECT_FALSE(has(got, different + detect));
  EXPECT_FALSE(has(got, different + detect + signal));
  EXPECT_FALSE(has(got, different));
}

TEST(ChineseCandidates, SpansKnowTheirRunAndStayWithinFourteenBytes) {
  // Three nouns of 6 bytes: the whole run (18 bytes) is too long for Tarnix.
  const std::vector<Token> run = {{0, 6, tag::kNoun}, {6, 12, tag::kNoun}, {12, 18, tag::kNoun}};
  std::vector<Span> spans;
  const auto got = Candidates("aaaaaabbbbbbcccccc", run, &spans);
  EXPECT_EQ(got, (std::vector<std::string>{"aaaaaa", "aaaaaabbbbbb", "bbbbbb", "bbbbbbcccccc", "cccccc"}));
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_LE(got[i].size(), kMaxTermBytes);
    EXPECT_EQ(spans[i].run_start, spans[i].first == 0) << got[i];
    EXPECT_EQ(spans[i].run_end, spans[i].first + spans[i].count == 3) << got[i];
  }
}

}  // namespace
}  // namespace ekvr
