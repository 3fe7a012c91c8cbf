#include "article_terms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "class_scheme.h"
#include "en_terms.h"
#include "zh_words.h"

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

double Sigmoid(double z) { return 1.0 / (1.0 + std::exp(-z)); }

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

// The reading buffers an analysis keeps from article to article leave no
// trace: an article read after a longer one is read as a fresh analysis
// reads it (the longer one's body phrases, left pending, would describe
// terms past the end of the shorter one's table).
TEST(AnalyzeChinese, AnArticleReadsTheSameAfterALongerOne) {
  IdfTable idf;
  Classifier classifier;
  std::string error;
  ASSERT_TRUE(idf.Parse("conv 10\nnet 5\nuse 1\nsoil 8\n", &error)) << error;
  ASSERT_TRUE(classifier.Parse("alpha 0.1\nclass 08.12 10 cs\nclass 09.03 10 soil\n"
                               "conv\t0:8\nnet\t0:3 1:3\nsoil\t1:9\n",
                               &error))
      << error;
  ClassScheme scheme;
  ASSERT_TRUE(scheme.Parse("08.12\tcs\teng\tTP3\n09.03\tsoil\tagr\tS1\n", &error)) << error;
  const TermModel model = SingleWordModel(0.5);
  Resources res;
  res.idf = &idf;
  res.classifier = &classifier;
  res.scheme = &scheme;
  res.term_model = &model;
  const SegmentFn segment = FakeSegmenter({{".", 42}});
  ArticleText long_article;
  long_article.field[kPosTitle] = "soil net";
  for (int i = 0; i < 300; ++i) long_article.field[kPosBody] += "soil w" + std::to_string(i) + " net . ";
  ArticleText article;
  article.field[kPosTitle] = "conv net";
  article.field[kPosAbstract] = "conv net . use soil";
  auto terms = [](const Analysis& a) {
    std::vector<std::pair<std::string, double>> out;
    for (const Term& t : a.terms.terms()) out.emplace_back(t.word + "|" + t.class_code, t.total);
    for (const ClassCandidate& c : a.classes) out.emplace_back("class " + c.code, c.score);
    return out;
  };
  Analysis fresh, reused;
  ASSERT_TRUE(AnalyzeChinese(article, segment, res, &fresh));
  ASSERT_TRUE(AnalyzeChinese(long_article, segment, res, &reused));
  ASSERT_GT(reused.terms.terms().size(), 300u);
  ASSERT_TRUE(AnalyzeChinese(article, segment, res, &reused));
  EXPECT_EQ(terms(reused), terms(fresh));
  EXPECT_FALSE(terms(fresh).empty());
}

// Remembering the words of earlier articles gives every article the
// analysis it has without: its terms, their words' values and weights;
// also after the memory was cleared.
TEST(AnalyzeChinese, RememberedWordsChangeNoAnalysis) {
  IdfTable idf;
  Classifier classifier;
  std::string error;
  ASSERT_TRUE(idf.Parse("conv 10\nnet 5\nuse 1\nNet 7\n", &error)) << error;
  ASSERT_TRUE(classifier.Parse("alpha 0.1\nclass 08.12 10 cs\nclass 09.03 10 soil\n"
                               "conv\t0:8\nnet\t0:3 1:3\nsoil\t1:9\n",
                               &error))
      << error;
  const TermModel model = SingleWordModel(0.5);
  Resources res;
  res.idf = &idf;
  res.classifier = &classifier;
  res.term_model = &model;
  WordMemory memory;
  const SegmentFn segment = FakeSegmenter({{".", 42}});
  const char* abstracts[] = {"conv net . use", "soil net . Net conv", "new words . conv", "conv net . use"};
  for (int round = 0; round < 3; ++round) {
    for (const char* abstract : abstracts) {
      ArticleText a;
      a.field[kPosTitle] = "conv net";
      a.field[kPosAbstract] = abstract;
      a.field[kPosBody] = std::string(abstract) + " . w" + std::to_string(round);
      Analysis plain, remembered;
      res.memory = nullptr;
      ASSERT_TRUE(AnalyzeChinese(a, segment, res, &plain));
      res.memory = &memory;
      ASSERT_TRUE(AnalyzeChinese(a, segment, res, &remembered));
      ASSERT_EQ(plain.terms.terms().size(), remembered.terms.terms().size()) << abstract;
      for (size_t i = 0; i < plain.terms.terms().size(); ++i) {
        const Term& p = plain.terms.terms()[i];
        const Term& r = remembered.terms.terms()[i];
        EXPECT_EQ(p.word, r.word);
        EXPECT_EQ(p.idf, r.idf) << p.word;
        EXPECT_EQ(p.part_idf_mean, r.part_idf_mean) << p.word;
        EXPECT_EQ(p.own_stats, r.own_stats) << p.word;
        EXPECT_EQ(p.part_stats, r.part_stats) << p.word;
        EXPECT_EQ(p.total, r.total) << p.word;
      }
    }
    memory.Clear();
  }
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

}  // namespace
}  // namespace ekvr
