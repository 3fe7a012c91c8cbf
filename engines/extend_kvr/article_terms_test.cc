#include "article_terms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "en_terms.h"

namespace ekvr {
namespace {

// Segments at blanks; a word's tag comes from the table (noun when absent).
// Tests write Chinese-like words as ASCII placeholders to keep them legible.
SegmentFn FakeSegmenter(std::map<std::string, int16_t> tags) {
  return [tags](std::string_view text, std::vector<Token>* out) {
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find(' ', at);
      if (end == std::string_view::npos) end = text.size();
      if (end > at) {
        const auto it = tags.find(std::string(text.substr(at, end - at)));
        out->push_back({static_cast<uint32_t>(at), static_cast<uint32_t>(end),
                        it == tags.end() ? tag::kNoun : it->second});
      }
      if (end < text.size()) out->push_back({static_cast<uint32_t>(end), static_cast<uint32_t>(end + 1), 42});
      at = end + 1;
    }
    return true;
  };
}

IdfTable SmallIdf() {
  IdfTable idf;
  std::string error;
  EXPECT_TRUE(idf.Parse("conv 10\nnet 5\nuse 1\n", &error));
  return idf;
}

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

double Sigmoid(double z) { return 1.0 / (1.0 + std::exp(-z)); }

TEST(LeadingClasses, TheGroupReachingSixtyPercentAsTarnixReadsIt) {
  using V = std::vector<std::string>;
  EXPECT_EQ(LeadingClasses({{"TP", 0.5f}, {"TN", 0.2f}, {"O", 0.2f}, {"R", 0.1f}}), (V{"TP", "TN"}));
  EXPECT_EQ(LeadingClasses({{"TP", 0.9f}, {"TN", 0.1f}}), V{"TP"});
  EXPECT_EQ(LeadingClasses({{"TP", 0.25f}, {"TN", 0.25f}, {"O", 0.25f}, {"R", 0.25f}}), (V{"TP", "TN", "O"}));
  EXPECT_EQ(LeadingClasses({}), V{""});  // no class: the empty code is the article's
  // Tarnix reads at most 100 classes; their sum decides.
  std::vector<ClassCandidate> many;
  for (int i = 0; i < 150; ++i) many.push_back({"C" + std::to_string(i), 1.0f});
  EXPECT_EQ(LeadingClasses(many).size(), 60u);
  EXPECT_EQ(ClassStepFactor("TN", {"TP", "TN"}), 2.0);
  EXPECT_EQ(ClassStepFactor("", {"TP", "TN"}), 0.5);
}

TEST(AnalyzeChinese, TheTermModelWeighsTitleTermsAndAuthorKeywordsFirst) {
  const IdfTable idf = SmallIdf();
  TermModel model;
  std::string error;
  std::string text = "features " + std::to_string(kTermFeatures) + "\nlambda 2\nweights";
  for (int i = 0; i < kTermFeatures; ++i) text += i == kFBias ? " -1" : i == kFInTitle ? " 1" : " 0";
  ASSERT_TRUE(model.Parse(text + "\n", &error)) << error;
  Resources res;
  res.idf = &idf;
  res.term_model = &model;
  ArticleText a;
  a.field[kPosTitle] = "conv";
  a.field[kPosAbstract] = "conv net . use";
  a.field[kPosKeywords] = "deep";
  Analysis out;
  ASSERT_TRUE(AnalyzeChinese(a, FakeSegmenter({{".", 42}}), res, &out));
  const Term* conv = out.terms.Find("conv");
  const Term* net = out.terms.Find("net");
  const Term* deep = out.terms.Find("deep");
  ASSERT_TRUE(conv != nullptr && net != nullptr && deep != nullptr);
  // 100 times the probability, raised to lambda; without a class the
  // terms' empty code is the article's, which Tarnix doubles: half of it.
  EXPECT_NEAR(net->total, 100.0 * std::pow(Sigmoid(-1.0), 2.0) / 2.0, 1e-6);
  EXPECT_NEAR(conv->total, 100.0 * std::pow(Sigmoid(0.0), 2.0) / 2.0, 1e-6);  // bias + title
  EXPECT_GT(deep->total, conv->total);                   // the author's own keyword
  // The weight is spread over the fields by occurrences.
  EXPECT_FLOAT_EQ(conv->weight[kPosTitle] + conv->weight[kPosAbstract], static_cast<float>(conv->total));
  EXPECT_FLOAT_EQ(conv->weight[kPosTitle], conv->weight[kPosAbstract]);
  EXPECT_TRUE(net->keep);  // every candidate is scored and delivered
  ASSERT_EQ(out.keywords.size(), 1u);
  EXPECT_FLOAT_EQ(out.keywords[0].weight, static_cast<float>(deep->total));
  // Kind 2 then hands over only the best abstract terms.
  EXPECT_LT(out.abstract_terms, kAbstractLimit);
  EXPECT_LT(out.full_text_records, 10000);
}

// Cuts glued text into the listed words (first match wins), all nouns;
// "." is punctuation.
SegmentFn GluedSegmenter(std::vector<std::string> words) {
  return [words](std::string_view text, std::vector<Token>* out) {
    for (size_t at = 0; at < text.size();) {
      size_t len = 1;
      int16_t tag = 42;
      for (const std::string& w : words) {
        if (text.substr(at, w.size()) == w) {
          len = w.size();
          tag = tag::kNoun;
          break;
        }
      }
      out->push_back({static_cast<uint32_t>(at), static_cast<uint32_t>(at + len), tag});
      at += len;
    }
    return true;
  };
}

// A model that rates single words `single` logits above compounds.
TermModel SingleWordModel(double single) {
  TermModel model;
  std::string error;
  std::string text = "features " + std::to_string(kTermFeatures) + "\nlambda 1\nweights";
  for (int i = 0; i < kTermFeatures; ++i) {
    text += i == kFBias ? " -1" : i == kFOneWord ? " " + std::to_string(single) : " 0";
  }
  EXPECT_TRUE(model.Parse(text + "\n", &error)) << error;
  return model;
}

TEST(AnalyzeChinese, APieceThatNeverStandsAloneGivesWayToItsLongerTerm) {
  const IdfTable idf = SmallIdf();
  const SegmentFn segment = GluedSegmenter({"conv", "net"});
  struct Case {
    double single;         // the model's preference for single words
    const char* abstract;
    bool conv_below;       // conv ends up lighter than convnet
  } cases[] = {
      {0.5, "convnet", true},         // never alone, rated a little higher: gives way
      {1.0, "convnet", false},        // rated far higher: keeps its weight
      {0.5, "convnet.conv", false},   // stands alone once too: keeps its weight
  };
  for (const Case& c : cases) {
    const TermModel model = SingleWordModel(c.single);
    Resources res;
    res.idf = &idf;
    res.term_model = &model;
    ArticleText a;
    a.field[kPosAbstract] = c.abstract;
    Analysis out;
    ASSERT_TRUE(AnalyzeChinese(a, segment, res, &out));
    const Term* conv = out.terms.Find("conv");
    const Term* convnet = out.terms.Find("convnet");
    ASSERT_TRUE(conv != nullptr && convnet != nullptr) << c.abstract;
    EXPECT_NEAR(convnet->total, 50.0 * Sigmoid(-1.0), 1e-6);  // the longer term is never moved
    if (c.conv_below) {
      EXPECT_LT(conv->total, convnet->total) << c.single << " " << c.abstract;
      EXPECT_GT(conv->total, 0.98 * convnet->total);  // just below, not thrown away
    } else {
      EXPECT_NEAR(conv->total, 50.0 * Sigmoid(-1.0 + c.single), 1e-6) << c.single << " " << c.abstract;
    }
  }
}

TEST(AnalyzeChinese, APhraseSeenOnceInTheBodyOnlyIsCountedButNotDelivered) {
  const IdfTable idf = SmallIdf();
  const SegmentFn segment = GluedSegmenter({"conv", "net"});
  const TermModel model = SingleWordModel(0.5);
  Resources res;
  res.idf = &idf;
  res.term_model = &model;
  struct Case {
    const char* abstract;
    const char* body;
    bool delivered;
  } cases[] = {
      {"", "convnet.use", false},
      {"", "convnet.convnet", true},
      {"convnet", "use", true},
      {"convnet", "convnet", true},
      {"use", "convnet.netconv", false},
  };
  for (const Case& c : cases) {
    ArticleText a;
    a.field[kPosAbstract] = c.abstract;
    a.field[kPosBody] = c.body;
    Analysis out;
    ASSERT_TRUE(AnalyzeChinese(a, segment, res, &out));
    const Term* convnet = out.terms.Find("convnet");
    const Term* conv = out.terms.Find("conv");
    ASSERT_TRUE(convnet != nullptr && conv != nullptr) << c.body;
    EXPECT_EQ(convnet->keep, c.delivered) << c.abstract << " | " << c.body;
    EXPECT_TRUE(conv->keep) << c.body;  // its words are
    // It still holds its words: conv never stands alone and gives way to a
    // phrase that is delivered, and only to such a phrase.
    EXPECT_EQ(conv->total < convnet->total, c.delivered) << c.abstract << " | " << c.body;
    if (!c.delivered) continue;
    // Described as it would be at its first occurrence, wherever that is:
    // unlisted, so as specific as its words together.
    EXPECT_FALSE(convnet->listed);
    EXPECT_FLOAT_EQ(convnet->idf, 15.0f) << c.body;
    EXPECT_FLOAT_EQ(convnet->part_idf_min, 5.0f) << c.body;
    EXPECT_FLOAT_EQ(convnet->part_idf_mean, 7.5f) << c.body;
  }
}

TEST(AnalyzeChinese, AnAuthorKeywordFirstSeenInTheBodyIsWeighedByItsWords) {
  const IdfTable idf = SmallIdf();
  Resources res;
  res.idf = &idf;
  ArticleText a;
  a.field[kPosBody] = "convnet.use";
  a.field[kPosKeywords] = "convnet";
  Analysis out;
  ASSERT_TRUE(AnalyzeChinese(a, GluedSegmenter({"conv", "net", "use"}), res, &out));
  ASSERT_EQ(out.keywords.size(), 1u);
  // Unlisted, so as specific as conv and net together (15); found once in
  // the text: (1 + 1) x 15 x the keyword factor 3.
  EXPECT_FLOAT_EQ(out.keywords[0].weight, 90.0f);
  const Term* convnet = out.terms.Find("convnet");
  ASSERT_NE(convnet, nullptr);
  EXPECT_TRUE(convnet->keep);  // named by the author, so delivered
}

TEST(AnalyzeChinese, CountsTermsPerFieldAndKeepsAuthorKeywordsWhole) {
  const IdfTable idf = SmallIdf();
  Resources res;
  res.idf = &idf;
  ArticleText a;
  a.field[kPosTitle] = "conv";
  a.field[kPosAbstract] = "conv net";
  a.field[kPosKeywords] = "conv net;deep thing";
  Analysis out;
  ASSERT_TRUE(AnalyzeChinese(a, FakeSegmenter({}), res, &out));
  const Term* conv = out.terms.Find("conv");
  ASSERT_NE(conv, nullptr);
  EXPECT_EQ(conv->freq[kPosTitle], 1);
  EXPECT_EQ(conv->freq[kPosAbstract], 1);
  EXPECT_GT(conv->weight[kPosTitle], conv->weight[kPosAbstract]);  // the title counts more
  ASSERT_EQ(out.keywords.size(), 2u);
  EXPECT_EQ(out.keywords[0].word, "conv net");
  EXPECT_EQ(out.keywords[1].word, "deep thing");
  EXPECT_TRUE(out.classes.empty());  // no classifier bound
}

TEST(AnalyzeChinese, EmptyArticleGivesNoTerms) {
  const IdfTable idf = SmallIdf();
  Resources res;
  res.idf = &idf;
  Analysis out;
  ASSERT_TRUE(AnalyzeChinese(ArticleText(), FakeSegmenter({}), res, &out));
  EXPECT_TRUE(out.terms.terms().empty());
  EXPECT_TRUE(out.keywords.empty());
}

TEST(SplitKeywords, SplitsAtAsciiAndFullWidthSeparators) {
  // ；(A3BB) 、(A1A2) and a full-width blank (A1A1) around a keyword.
  const auto k = SplitKeywords(" a ;b\xA3\xBB" "c\xA1\xA2\xA1\xA1" "d\xA1\xA1,a");
  EXPECT_EQ(k, (std::vector<std::string>{"a", "b", "c", "d"}));
}

}  // namespace
}  // namespace ekvr
