#include "en_terms.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "article_terms.h"

namespace ekvr {
namespace {

std::vector<std::string> TokenTexts(std::string_view text) {
  std::vector<std::string> out;
  for (const EnglishToken& t : EnglishTokens(text)) {
    out.push_back((t.sentence_start ? "^" : "") + std::string(text.substr(t.begin, t.end - t.begin)));
  }
  return out;
}

TEST(EnglishTokens, WordsNumbersPunctuationAndSentences) {
  EXPECT_EQ(TokenTexts("We use k-means, 3D scans and 2.5 GB. Then e.g. the state-of-the-art model's cost."),
            (std::vector<std::string>{"^We", "use", "k-means", ",", "3D", "scans", "and", "2.5", "GB", ".",
                                      "^Then", "e", ".", "g", ".", "the", "state-of-the-art", "model", "'s",
                                      "cost", "."}));
  // A blank line starts a sentence even without a full stop; a line break
  // alone does not.
  EXPECT_EQ(TokenTexts("Title line\n\nBody text\ngoes on"),
            (std::vector<std::string>{"^Title", "line", "^Body", "text", "goes", "on"}));
}

TEST(EnglishTokens, AddressesAreSkippedWhole) {
  EXPECT_EQ(TokenTexts("Code at http://www.cs.example.edu/~lyu/KDD09/. Mail a.b@example.org now"),
            (std::vector<std::string>{"^Code", "at", ".", "^Mail", "now"}));
  EXPECT_EQ(TokenTexts("see www.example.com"), (std::vector<std::string>{"^see"}));
}

TEST(EnglishTokens, DoubleByteCharactersBreakSentencesAndNeverSplitInHalf) {
  const std::string text = "neural \xD6\xD0 network \xD6";  // a lead byte alone at the end
  const auto tokens = EnglishTokens(text);
  ASSERT_EQ(tokens.size(), 4u);
  EXPECT_EQ(tokens[1].kind, EnglishToken::kForeign);
  EXPECT_EQ(tokens[1].end - tokens[1].begin, 2u);
  EXPECT_TRUE(tokens[2].sentence_start);
  EXPECT_EQ(tokens[3].end, text.size());
}

TEST(Sentences, LongRunsAreCut) {
  std::string text;
  for (int i = 0; i < 600; ++i) text += "word ";
  const auto ranges = Sentences(EnglishTokens(text), 256);
  ASSERT_EQ(ranges.size(), 3u);
  EXPECT_EQ(ranges[1].first, 256u);
  EXPECT_EQ(ranges[2].end, 600u);
}

std::vector<std::string> Phrases(std::string_view text, const std::vector<WordClass>& classes) {
  const auto tokens = EnglishTokens(text);
  std::vector<WordSpan> spans;
  EnglishCandidates(text, tokens, classes, &spans);
  std::vector<std::string> out;
  for (const WordSpan& s : spans) {
    out.push_back(std::string(text.substr(tokens[s.first].begin,
                                          tokens[s.first + s.count - 1].end - tokens[s.first].begin)));
  }
  return out;
}

TEST(EnglishCandidates, NounPhrasesEndInANounOrAGerundAfterANoun) {
  using C = WordClass;
  // "we apply fast data mining to trained models"
  EXPECT_EQ(Phrases("we apply fast data mining to trained models",
                    {C::kPronoun, C::kVerb, C::kAdjective, C::kNoun, C::kGerund, C::kPreposition,
                     C::kParticiple, C::kNoun}),
            (std::vector<std::string>{"data", "fast data", "mining", "data mining", "fast data mining",
                                      "models", "trained models"}));
  // An adjective alone and a lone letter are no phrases; punctuation ends
  // a run.
  EXPECT_EQ(Phrases("good . x", {C::kAdjective, C::kPunctuation, C::kNoun}), std::vector<std::string>{});
  // A gerund alone names an activity unless it governs what follows or is
  // a progressive form; clause-opening -ing words never end or start one.
  EXPECT_EQ(Phrases("learning , good", {C::kGerund, C::kPunctuation, C::kAdjective}),
            std::vector<std::string>{"learning"});
  EXPECT_EQ(Phrases("by mining the data", {C::kPreposition, C::kGerund, C::kDeterminer, C::kNoun}),
            std::vector<std::string>{"data"});
  EXPECT_EQ(Phrases("prices are rising .", {C::kNoun, C::kVerb, C::kGerund, C::kPunctuation}),
            std::vector<std::string>{"prices"});
  EXPECT_EQ(Phrases("scalable machines using squashing",
                    {C::kAdjective, C::kNoun, C::kGerund, C::kGerund}),
            (std::vector<std::string>{"machines", "scalable machines", "squashing"}));
  EXPECT_EQ(Phrases("for spectral clustering and", {C::kPreposition, C::kAdjective, C::kGerund, C::kConjunction}),
            (std::vector<std::string>{"clustering", "spectral clustering"}));
  EXPECT_EQ(Phrases("graph , model", {C::kNoun, C::kPunctuation, C::kNoun}),
            (std::vector<std::string>{"graph", "model"}));
}

TEST(EnglishCandidates, AtMostFourWords) {
  const std::vector<WordClass> nouns(6, WordClass::kNoun);
  const auto p = Phrases("a b c d e f", nouns);
  for (const std::string& s : p) EXPECT_LE(std::count(s.begin(), s.end(), ' '), 3) << s;
  EXPECT_NE(std::find(p.begin(), p.end(), "c d e f"), p.end());
}

TEST(PhraseKey, VariantsOfCaseAndNumberShareAKey) {
  EXPECT_EQ(NormalizePhrase("Neural Networks"), NormalizePhrase("neural network"));
  EXPECT_EQ(NormalizePhrase("web caches"), NormalizePhrase("web cache"));
  EXPECT_EQ(NormalizePhrase("new approaches"), NormalizePhrase("new approach"));
  EXPECT_EQ(NormalizePhrase("time series"), NormalizePhrase("Time Series"));
  EXPECT_NE(NormalizePhrase("network"), NormalizePhrase("networking"));
  EXPECT_EQ(Singular("studies"), "study");
  EXPECT_EQ(Singular("analysis"), "analysis");
  EXPECT_EQ(Singular("classes"), "class");
}

TEST(WordClasses, AcronymsAndDictionaryClasses) {
  EXPECT_TRUE(IsAcronymLike("SVM"));
  EXPECT_TRUE(IsAcronymLike("mRNA"));
  EXPECT_TRUE(IsAcronymLike("GPUs"));
  EXPECT_FALSE(IsAcronymLike("Bayes"));
  EXPECT_FALSE(IsAcronymLike("x"));
  EXPECT_EQ(ClassFromInfo("the,r,5000;"), WordClass::kVerb);
  EXPECT_EQ(ClassFromInfo("model,n,300;model,v,200;"), WordClass::kNoun);
  EXPECT_EQ(ClassFromInfo("fast,a,300;fast,d,200;"), WordClass::kAdjective);
  EXPECT_EQ(ClassFromInfo(""), WordClass::kNoun);
  EXPECT_EQ(ClassFromInfo("broken,record"), WordClass::kNoun);  // unreadable: unknown
}

// The engine without a tagger model and without a term model: the
// dictionary's classes and the fallback weights.
class AnalyzeEnglishTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(idf_.Parse("network 3\nneural 4\nmachine 5\nvector 6\nsupport 2\n", &error)) << error;
    res_.idf = &idf_;
  }
  bool Analyze(const ArticleText& a) {
    const std::map<std::string, std::string> dict = {
        {"we", "we,r,100;"},     {"train", "train,v,100;"}, {"of", "of,p,100;"}, {"the", "the,r,100;"},
        {"and", "and,c,100;"},   {"use", "use,v,100;"},     {"neural", "neural,a,100;"},
        {"naive", "naive,a,50;"}, {"is", "is,v,100;"},      {"a", "a,r,100;"},  {"for", "for,p,100;"}};
    return AnalyzeEnglish(a, [dict](const std::string& w) {
      const auto it = dict.find(w);
      return it == dict.end() ? std::string() : it->second;
    }, res_, &out_);
  }
  const Term* Shown(const std::string& text) {
    for (const Term& t : out_.terms.terms()) {
      if (t.keep && t.second == text) return &t;
    }
    return nullptr;
  }
  IdfTable idf_;
  Resources res_;
  Analysis out_;
};

TEST_F(AnalyzeEnglishTest, VariantsAreOneTermShownInTheArticlesCommonestForm) {
  ArticleText a;
  a.field[kPosTitle] = "Training Neural Networks For Support Vector Machines";
  a.field[kPosAbstract] = "We train neural networks. Neural networks and a neural network use SVM. "
                          "The naive Bayes classifier is a support vector machine of the kind.";
  ASSERT_TRUE(Analyze(a));
  const Term* nn = Shown("neural networks");
  ASSERT_NE(nn, nullptr);
  EXPECT_EQ(nn->word, nn->second);
  EXPECT_EQ(nn->freq[kPosAbstract], 3);  // singular and plural, either case
  EXPECT_EQ(nn->freq[kPosTitle], 1);
  // The title's capitals say nothing; the acronym and the name keep theirs.
  EXPECT_NE(Shown("support vector machine"), nullptr);
  EXPECT_NE(Shown("SVM"), nullptr);
  EXPECT_NE(Shown("naive Bayes classifier"), nullptr);
  EXPECT_EQ(Shown("train"), nullptr);  // a verb
  EXPECT_TRUE(out_.whole_terms);
  EXPECT_EQ(out_.abstract_terms, 0);
}

TEST_F(AnalyzeEnglishTest, PhrasesStopAtFunctionWordsAndPunctuation) {
  ArticleText a;
  a.field[kPosAbstract] = "Networks of the neural kind, machine; vector";
  ASSERT_TRUE(Analyze(a));
  EXPECT_EQ(out_.terms.Find("network neural"), nullptr);  // "of the" lies between
  EXPECT_EQ(out_.terms.Find("kind machine"), nullptr);
  EXPECT_EQ(out_.terms.Find("machine vector"), nullptr);
  EXPECT_NE(out_.terms.Find("neural kind"), nullptr);
}

TEST_F(AnalyzeEnglishTest, AuthorKeywordsAreShownAsWrittenAndCountedInTheText) {
  ArticleText a;
  a.field[kPosAbstract] = "Topic models such as LDA. We use topic models.";
  a.field[kPosKeywords] = "Topic Models; LDA; graphs";
  ASSERT_TRUE(Analyze(a));
  ASSERT_EQ(out_.keywords.size(), 3u);
  EXPECT_EQ(out_.keywords[0].second, "Topic Models");
  EXPECT_EQ(out_.keywords[0].frequency, 2);
  EXPECT_EQ(out_.keywords[2].frequency, 1);  // not in the text: the keyword field itself
  // Weights are finite and on the fixed scale.
  for (const Term& t : out_.terms.terms()) {
    if (!t.keep) continue;
    EXPECT_GT(t.total, 0.0);
    EXPECT_LT(t.total, 1e6);
  }
}

TEST_F(AnalyzeEnglishTest, APhraseSeenOnceInTheBodyCountsInAShortTextOnly) {
  ArticleText a;
  a.field[kPosBody] = "Taxonomy integration with support vector machines.";
  ASSERT_TRUE(Analyze(a));
  EXPECT_NE(Shown("support vector machines"), nullptr);  // the text given as a body, alone
  EXPECT_NE(Shown("taxonomy integration"), nullptr);
  // In a paper, a phrase met once in the body is noise; its words stay.
  std::string paper;
  for (int i = 0; i < 300; ++i) paper += "We train the network. ";
  a.field[kPosBody] = paper + "Taxonomy integration with support vector machines.";
  ASSERT_TRUE(Analyze(a));
  EXPECT_EQ(Shown("support vector machines"), nullptr);
  EXPECT_EQ(Shown("taxonomy integration"), nullptr);
  EXPECT_NE(Shown("machines"), nullptr);
}

TEST_F(AnalyzeEnglishTest, JournalOnlyPhrasesAreNotDelivered) {
  ArticleText a;
  a.field[kPosAbstract] = "Graph clustering.";
  a.field[kPosJournal] = "Machine Learning Journal";
  ASSERT_TRUE(Analyze(a));
  const Term* journal = out_.terms.Find("machine learning journal");
  ASSERT_NE(journal, nullptr);
  EXPECT_FALSE(journal->keep);
}

TEST_F(AnalyzeEnglishTest, APhraseTooLongForTheRecordIsNotDelivered) {
  ArticleText a;
  const std::string word(30, 'q');
  a.field[kPosAbstract] = word + "a " + word + "b " + word + "c " + word + "d. " + word + "a " + word + "b " +
                          word + "c " + word + "d.";
  ASSERT_TRUE(Analyze(a));
  const Term* longest = out_.terms.Find(NormalizePhrase(word + "a " + word + "b " + word + "c " + word + "d"));
  ASSERT_NE(longest, nullptr);
  EXPECT_FALSE(longest->keep);
  EXPECT_TRUE(out_.terms.Find(NormalizePhrase(word + "c " + word + "d"))->keep);
}

TEST_F(AnalyzeEnglishTest, ArbitraryBytesNeverBreakTheAnalysis) {
  ArticleText a;
  std::string noise;
  for (int i = 0; i < 4000; ++i) noise += static_cast<char>((i * 7919) % 256 == 0 ? 'x' : (i * 7919) % 256);
  a.field[kPosTitle] = noise.substr(0, 300);
  a.field[kPosBody] = noise;
  a.field[kPosKeywords] = noise.substr(100, 200);
  EXPECT_TRUE(Analyze(a));
  for (const Term& t : out_.terms.terms()) EXPECT_EQ(t.word, t.second);
}

}  // namespace
}  // namespace ekvr
