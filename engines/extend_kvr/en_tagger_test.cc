#include "en_tagger.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace ekvr {
namespace {

// ---- A small model written out by hand -------------------------------

// Four tags; "the" a determiner, "model" a noun or verb, "runs" a verb or
// noun; unknown lower-case words in -ing read as verbs, other lower-case
// ones as nouns, words with capitals (class a) as names.
std::string TinyModel() {
  return "# a comment\n"
         "en-tagger 1\n"
         "tags 4 det nn vbz nnp\n"
         "counts 100 100 100 100\n"
         "start -0.5 -1.5 -3 -2\n"
         "from det -5 -0.1 -5 -2\n"
         "from nn -3 -1.5 -0.4 -2\n"
         "from vbz -0.7 -1.2 -4 -2\n"
         "from nnp -2 -1 -1 -1\n"
         "words 3\n"
         "the\t0:-1\n"
         "model\t1:-3 2:-5\n"
         "runs\t1:-4.5 2:-4\n"
         "suffixes 3\n"
         "l\t1:0.5\n"
         "ling\t2:1\n"
         "a\t3:1\n"
         "end\n";
}

std::vector<std::string> TagNames(const EnglishTagger& t, const std::vector<std::string_view>& tokens) {
  std::vector<uint8_t> tags;
  t.Tag(tokens, &tags);
  std::vector<std::string> out;
  for (uint8_t tag : tags) out.push_back(t.tag_names()[tag]);
  return out;
}

TEST(EnglishTaggerModel, ViterbiTakesTheBestPathNotTheBestTagOfEachWord) {
  EnglishTagger t;
  std::string error;
  ASSERT_TRUE(t.Parse(TinyModel(), &error)) << error;
  ASSERT_TRUE(t.loaded());
  // Alone, "runs" is likelier a verb; after a determiner it is a noun.
  EXPECT_EQ(TagNames(t, {"the", "runs"}), (std::vector<std::string>{"det", "nn"}));
  EXPECT_EQ(TagNames(t, {"the", "model", "runs"}), (std::vector<std::string>{"det", "nn", "vbz"}));
  // At the start a noun is likelier than a verb, so tagging left to right
  // would make this "runs" a noun; the determiner after it, which follows
  // verbs and hardly ever nouns, makes it a verb.
  EXPECT_EQ(TagNames(t, {"runs", "the", "model"}), (std::vector<std::string>{"vbz", "det", "nn"}));
  EXPECT_EQ(t.ClassOf(static_cast<uint8_t>(t.TagIndex("vbz"))), WordClass::kVerb);
  EXPECT_EQ(t.ClassOf(200), WordClass::kOther);
  EXPECT_EQ(t.TagIndex("jj"), -1);
}

TEST(EnglishTaggerModel, UnknownWordsTakeTheLongestKnownSuffix) {
  EnglishTagger t;
  std::string error;
  ASSERT_TRUE(t.Parse(TinyModel(), &error)) << error;
  // "ling" (class l, suffix "ing") beats "l"; "zork" has only the class.
  EXPECT_EQ(TagNames(t, {"the", "zork", "blinking"}), (std::vector<std::string>{"det", "nn", "vbz"}));
  // A capital inside the word makes it an acronym-like name (class a).
  EXPECT_EQ(TagNames(t, {"the", "SVM"}), (std::vector<std::string>{"det", "nnp"}));
}

TEST(EnglishTaggerModel, MalformedModelsAreRejectedWithTheirLine) {
  const std::string good = TinyModel();
  struct Case {
    std::string text;
    std::string line;  // expected in the message
  };
  auto replace = [&](const std::string& from, const std::string& to) {
    std::string s = good;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  const std::vector<Case> cases = {
      {good.substr(0, good.find("runs\t")), "line 13"},        // truncated inside the words
      {good.substr(0, good.find("end\n")), "line 18"},         // no end line
      {good.substr(0, good.size() / 3), "line"},               // cut mid-line
      {replace("model\t1:-3", "model\t1:-3x"), "line 12"},     // bad number
      {replace("model\t1:-3", "model\t1:--3"), "line 12"},
      {replace("model\t1:-3", "model\t1:-1e400"), "line 12"},
      {replace("model\t1:-3", "model\t1:-3."), "line 12"},
      {replace("runs\t1:-4.5", "runs\t7:-4.5"), "line 13"},    // unknown tag index
      {replace("runs\t1:-4.5", "runs\t1.5:-4.5"), "line 13"},
      {replace("2:-4\n", "2:-4 1:-1\n"), "line 13"},            // a tag twice
      {replace("2:-4\n", "2:-4  0:-1\n"), "line 13"},           // an empty field
      {replace("the\t0:-1", "the 0:-1"), "line 11"},           // no tab
      {replace("the\t0:-1", "model\t0:-1"), "line 12"},        // a word twice
      {replace("from nn -3", "from nn -3 -1"), "line 7"},      // a number too many
      {replace("from vbz", "from nnp"), "line 8"},             // rows out of order
      {replace("start -0.5", "start -0.5e"), "line 5"},
      {replace("tags 4", "tags 5"), "line 3"},
      {replace("counts 100", "counts 0"), "line 4"},
      {replace("en-tagger 1", "en-tagger 2"), "line 2"},
      {replace("words 3", "words 2"), "line 13"},              // the count disagrees
      {replace("ling\t", "l12345678901234567\t"), "line 16"},  // a suffix too long
      {good + "extra\n", "line 19"},
      {"", "line 1"},
  };
  for (const Case& c : cases) {
    EnglishTagger t;
    std::string error;
    ASSERT_TRUE(t.Parse(good, &error));
    EXPECT_FALSE(t.Parse(c.text, &error)) << c.text;
    EXPECT_NE(error.find(c.line), std::string::npos) << error << "\n" << c.text;
    // A failed parse leaves nothing half-loaded behind.
    EXPECT_FALSE(t.loaded());
    std::vector<uint8_t> tags{1, 2};
    t.Tag({"the", "model"}, &tags);
    EXPECT_TRUE(tags.empty());
  }
  EnglishTagger t;
  std::string error;
  EXPECT_FALSE(t.Load("/nonexistent/en_tagger.txt", &error));
  EXPECT_NE(error.find("cannot read"), std::string::npos);
}

TEST(EnglishTaggerModel, ClassesOfTheTreebankTags) {
  EXPECT_EQ(ClassOfTagName("nns"), WordClass::kNoun);
  EXPECT_EQ(ClassOfTagName("nnps"), WordClass::kProperNoun);
  EXPECT_EQ(ClassOfTagName("jjr"), WordClass::kAdjective);
  EXPECT_EQ(ClassOfTagName("md"), WordClass::kVerb);
  EXPECT_EQ(ClassOfTagName("vbg"), WordClass::kGerund);
  EXPECT_EQ(ClassOfTagName("vbn"), WordClass::kParticiple);
  EXPECT_EQ(ClassOfTagName("wrb"), WordClass::kAdverb);
  EXPECT_EQ(ClassOfTagName("ex"), WordClass::kDeterminer);
  EXPECT_EQ(ClassOfTagName("prps"), WordClass::kPronoun);
  EXPECT_EQ(ClassOfTagName("to"), WordClass::kPreposition);
  EXPECT_EQ(ClassOfTagName("cd"), WordClass::kNumber);
  EXPECT_EQ(ClassOfTagName("ppc"), WordClass::kPunctuation);
  EXPECT_EQ(ClassOfTagName("pos"), WordClass::kOther);
  EXPECT_EQ(ClassOfTagName("xyz"), WordClass::kOther);
}

// ---- The generated model ---------------------------------------------

const EnglishTagger* BuiltModel() {
  static EnglishTagger* tagger = [] {
    auto* t = new EnglishTagger;
    std::string error;
    if (!t->Load(std::string(EKVR_BUILD_DATA) + "/" + kEnglishTaggerFile, &error)) {
      ADD_FAILURE() << error;
    }
    return t;
  }();
  return tagger;
}

#define REQUIRE_BUILT_MODEL()                                                     \
  if (!EKVR_HAVE_TAGGER_MODEL) GTEST_SKIP() << "configured without a tagger model"; \
  const EnglishTagger& tagger = *BuiltModel();                                   \
  ASSERT_TRUE(tagger.loaded())

std::vector<std::string_view> Tokens(const std::string& text, std::vector<std::string>* storage) {
  std::istringstream in(text);
  storage->clear();
  for (std::string w; in >> w;) storage->push_back(w);
  return std::vector<std::string_view>(storage->begin(), storage->end());
}

// Scientific English tagged by hand, "word/tag" (treebank tags in the
// model's names; "tag|tag" where the guidelines allow either, such as a
// gerund used as a noun).
const char* const kHandTagged[] = {
    "We/prp propose/vbp a/det novel/jj support/nn vector/nn machine/nn for/in opinion/nn mining/nn|vbg ./pp",
    "The/det results/nns show/vbp that/in the/det proposed/vbn|jj method/nn significantly/rb outperforms/vbz "
    "the/det baseline/nn ./pp",
    "Clustering/nn|vbg of/in gene/nn expression/nn data/nns|nn is/vbz a/det fundamental/jj problem/nn in/in "
    "bioinformatics/nn|nns ./pp",
    "The/det trained/vbn|jj model/nn achieves/vbz an/det accuracy/nn of/in 95/cd %/nn on/in the/det test/nn "
    "set/nn ./pp",
    "We/prp apply/vbp k-means/nn|nns clustering/nn|vbg to/to the/det MNIST/nnp|nn dataset/nn ./pp",
    "State-of-the-art/jj methods/nns rely/vbp on/in large/jj amounts/nns of/in labeled/vbn|jj training/nn|vbg "
    "data/nns|nn ./pp",
    "Using/vbg a/det hidden/vbn|jj Markov/nnp model/nn ,/ppc we/prp estimate/vbp the/det posterior/jj|nn "
    "distribution/nn of/in the/det latent/jj variables/nns ./pp",
    "This/det paper/nn presents/vbz an/det efficient/jj algorithm/nn for/in mining/vbg frequent/jj itemsets/nns "
    "from/in transactional/jj databases/nns ./pp",
    "Experimental/jj results/nns on/in three/cd benchmark/nn|jj datasets/nns demonstrate/vbp the/det "
    "effectiveness/nn of/in our/prps approach/nn ./pp",
    "The/det SVM/nnp classifier/nn was/vbd trained/vbn on/in 3D/jj|nn|nnp features/nns extracted/vbn from/in "
    "MRI/nnp scans/nns ./pp",
    "Deep/jj neural/jj networks/nns have/vbp been/vbn widely/rb used/vbn for/in image/nn classification/nn ./pp",
    "In/in this/det study/nn ,/ppc we/prp investigate/vbp the/det effect/nn of/in temperature/nn on/in the/det "
    "growth/nn rate/nn of/in soil/nn bacteria/nns ./pp",
    "The/det proposed/vbn|jj framework/nn can/md be/vb applied/vbn to/to real-time/jj video/nn surveillance/nn "
    "systems/nns ./pp",
    "We/prp evaluate/vbp the/det performance/nn of/in the/det algorithm/nn using/vbg simulated/vbn|jj and/cc "
    "real/jj data/nns|nn ./pp",
    "Feature/nn selection/nn improves/vbz the/det generalization/nn ability/nn of/in the/det classifier/nn ./pp",
    "RNA/nnp|nn sequencing/nn|vbg reveals/vbz differentially/rb expressed/vbn genes/nns in/in tumor/nn "
    "samples/nns ./pp",
    "The/det water/nn content/nn of/in the/det samples/nns was/vbd measured/vbn by/in near-infrared/jj "
    "spectroscopy/nn ./pp",
    "COVID-19/nnp|nn patients/nns were/vbd admitted/vbn to/to the/det intensive/jj care/nn unit/nn ./pp",
    "THE/det ROLE/nn|nnp OF/in TRUST/nn|nnp IN/in AN/det EFFECTIVE/jj|nnp SCHOOL/nn|nnp CULTURE/nn|nnp",
    "Our/prps H2O/nn|nnp measurements/nns ,/ppc stored/vbn as/in mp3/nn|nnp files/nns ,/ppc were/vbd "
    "analysed/vbn|vbd with/in a/det two-stage/jj method/nn ./pp",
};

struct HandTagged {
  std::vector<std::string> words;
  std::vector<std::vector<std::string>> gold;  // the acceptable tags of each word
};

HandTagged ReadHandTagged(const char* line) {
  HandTagged out;
  std::istringstream in(line);
  for (std::string item; in >> item;) {
    const size_t slash = item.rfind('/');
    out.words.push_back(item.substr(0, slash));
    std::vector<std::string> tags;
    std::istringstream alternatives(item.substr(slash + 1));
    for (std::string tag; std::getline(alternatives, tag, '|');) tags.push_back(tag);
    out.gold.push_back(tags);
  }
  return out;
}

TEST(EnglishTaggerBuilt, TagsHandTaggedScientificEnglish) {
  REQUIRE_BUILT_MODEL();
  size_t tokens = 0, right = 0;
  std::string misses;
  for (const char* line : kHandTagged) {
    const HandTagged s = ReadHandTagged(line);
    std::vector<std::string_view> view(s.words.begin(), s.words.end());
    std::vector<uint8_t> tags;
    tagger.Tag(view, &tags);
    ASSERT_EQ(tags.size(), view.size());
    for (size_t i = 0; i < tags.size(); ++i) {
      const std::string& got = tagger.tag_names()[tags[i]];
      bool ok = false;
      for (const std::string& g : s.gold[i]) ok = ok || g == got;
      ++tokens;
      right += ok;
      if (!ok) misses += " " + s.words[i] + "/" + got;
    }
  }
  const double accuracy = static_cast<double>(right) / tokens;
  std::cout << "token accuracy " << right << "/" << tokens << " = " << accuracy << "; misses:" << misses << "\n";
  EXPECT_GE(accuracy, 0.93) << misses;
}


std::vector<WordClass> Classes(const EnglishTagger& t, const std::vector<std::string_view>& tokens) {
  std::vector<uint8_t> tags;
  t.Tag(tokens, &tags);
  std::vector<WordClass> out;
  for (uint8_t tag : tags) out.push_back(t.ClassOf(tag));
  return out;
}

WordClass ClassAt(const EnglishTagger& t, const std::string& sentence, const std::string& word) {
  std::vector<std::string> storage;
  const auto tokens = Tokens(sentence, &storage);
  const auto classes = Classes(t, tokens);
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i] == word) return classes[i];
  }
  ADD_FAILURE() << word << " not in " << sentence;
  return WordClass::kOther;
}

// What noun phrases are made of: the words a candidate rule must see as
// nouns, adjectives or verbs, in the cases the news counts alone get
// wrong or do not cover.
TEST(EnglishTaggerBuilt, ClassesOfTheWordsThatMakeNounPhrases) {
  REQUIRE_BUILT_MODEL();
  struct Case {
    const char* sentence;
    const char* word;
    WordClass want;
  };
  const WordClass kNoun = WordClass::kNoun, kName = WordClass::kProperNoun, kAdj = WordClass::kAdjective,
                  kVerb = WordClass::kVerb, kGerund = WordClass::kGerund, kParticiple = WordClass::kParticiple;
  const Case cases[] = {
      {"We propose a novel support vector machine for opinion mining .", "propose", kVerb},
      {"We propose a novel support vector machine for opinion mining .", "novel", kAdj},
      {"We propose a novel support vector machine for opinion mining .", "support", kNoun},
      {"We propose a novel support vector machine for opinion mining .", "machine", kNoun},
      {"The results show that the proposed method significantly outperforms the baseline .", "show", kVerb},
      {"The results show that the proposed method significantly outperforms the baseline .", "outperforms", kVerb},
      {"The results show that the proposed method significantly outperforms the baseline .", "method", kNoun},
      {"The results show that the proposed method significantly outperforms the baseline .", "baseline", kNoun},
      // Participles before a noun.
      {"The trained model achieves an accuracy of 95 % on the test set .", "model", kNoun},
      {"The trained model achieves an accuracy of 95 % on the test set .", "achieves", kVerb},
      {"The trained model achieves an accuracy of 95 % on the test set .", "test", kNoun},
      // Unknown acronyms are names; a capitalised first word is read as
      // the lower-case word it usually is.
      {"The SVM classifier was trained on image features .", "SVM", kName},
      {"We sample the posterior with MCMC .", "MCMC", kName},
      {"Support vector machines are widely used .", "Support", kNoun},
      {"Support vector machines are widely used .", "machines", kNoun},
      {"Results show a clear trend .", "Results", kNoun},
      // Hyphenated compounds and words with digits.
      {"State-of-the-art methods rely on labeled data .", "State-of-the-art", kAdj},
      {"We apply k-means clustering to the data .", "k-means", kNoun},
      {"Deep neural networks have been widely used for image classification .", "neural", kAdj},
      {"Deep neural networks have been widely used for image classification .", "networks", kNoun},
      {"This paper presents an efficient algorithm for mining frequent itemsets .", "algorithm", kNoun},
      {"This paper presents an efficient algorithm for mining frequent itemsets .", "presents", kVerb},
      {"This paper presents an efficient algorithm for mining frequent itemsets .", "itemsets", kNoun},
      {"Feature selection improves the generalization ability of the classifier .", "improves", kVerb},
      {"Feature selection improves the generalization ability of the classifier .", "Feature", kNoun},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(static_cast<int>(ClassAt(tagger, c.sentence, c.word)), static_cast<int>(c.want))
        << c.word << " in: " << c.sentence;
  }
  // A gerund that heads a noun phrase is a noun or a gerund, never a verb.
  for (const char* sentence : {"Clustering of gene expression data is a fundamental problem .",
                               "We study opinion mining in online reviews ."}) {
    const std::string word = sentence[0] == 'C' ? "Clustering" : "mining";
    const WordClass got = ClassAt(tagger, sentence, word);
    EXPECT_TRUE(got == kNoun || got == kGerund) << word << " " << static_cast<int>(got);
  }
  const WordClass trained = ClassAt(tagger, "The trained model achieves high accuracy .", "trained");
  EXPECT_TRUE(trained == kParticiple || trained == kAdj) << static_cast<int>(trained);
  // Words with digits: names or nouns at the head of a phrase; before a
  // noun an adjective reading is as good for a noun phrase.
  for (const char* word : {"mp3", "H2O", "COVID-19", "p53"}) {
    const WordClass head = ClassAt(tagger, std::string("The samples were stored as ") + word + " .", word);
    EXPECT_TRUE(head == kNoun || head == kName) << word << " " << static_cast<int>(head);
    const WordClass modifier = ClassAt(tagger, std::string("The ") + word + " data were analysed .", word);
    EXPECT_TRUE(modifier == kNoun || modifier == kName || modifier == kAdj) << word << " " << static_cast<int>(modifier);
  }
  const WordClass three_d = ClassAt(tagger, "We reconstruct 3D shapes from images .", "3D");
  EXPECT_TRUE(three_d == kAdj || three_d == kNoun || three_d == kName) << static_cast<int>(three_d);
}

TEST(EnglishTaggerBuilt, EdgeCasesOfTheInput) {
  REQUIRE_BUILT_MODEL();
  std::vector<uint8_t> tags{1, 2, 3};
  tagger.Tag({}, &tags);
  EXPECT_TRUE(tags.empty());

  // Bytes of every kind: GBK and UTF-8 text, stray lead bytes, NUL, an
  // empty token, a very long one, punctuation runs.
  const std::string nul("a\0b", 3);
  const std::string long_word(10000, 'x');
  const std::vector<std::string_view> odd = {
      "\xd6\xd0\xce\xc4", "na\xc3\xafve", "\xff", "\x81", nul, "", long_word, "''", "'", "--", "1.2.3",
      "3,5", "1st", "don't", "model's", "\xa1\xa2", "Z", "(", ")", "\"", "<", "99%", "e.g."};
  tagger.Tag(odd, &tags);
  ASSERT_EQ(tags.size(), odd.size());
  for (uint8_t t : tags) EXPECT_LT(t, tagger.tag_names().size());
  // Double-byte words are names, nouns or symbols.
  for (size_t i : {size_t{0}, size_t{15}}) {
    const WordClass c = tagger.ClassOf(tags[i]);
    EXPECT_TRUE(c == WordClass::kNoun || c == WordClass::kProperNoun || c == WordClass::kPunctuation)
        << i << " " << static_cast<int>(c);
  }
  EXPECT_EQ(tagger.ClassOf(tags[17]), WordClass::kPunctuation);  // (
  EXPECT_EQ(tagger.ClassOf(tags[18]), WordClass::kPunctuation);  // )

  // A 10,000-token sentence of one short sentence over and over: the full
  // stop has a single tag, so every repeat must be tagged like the short
  // sentence alone, however far from the start.
  std::vector<std::string> storage;
  const auto one = Tokens("the proposed model clearly outperforms earlier systems on noisy data .", &storage);
  std::vector<uint8_t> alone;
  tagger.Tag(one, &alone);
  std::vector<std::string_view> many;
  while (many.size() + one.size() <= 10000) many.insert(many.end(), one.begin(), one.end());
  many.resize(10000, "data");
  EnglishTagger::Scratch scratch;
  tagger.Tag(many, &tags, &scratch);
  ASSERT_EQ(tags.size(), many.size());
  for (size_t i = 0; i + one.size() <= many.size(); i += one.size()) {
    ASSERT_TRUE(std::equal(alone.begin(), alone.end(), tags.begin() + i)) << "repeat at " << i;
  }
  // The scratch of a long sentence serves a short one as well as new.
  std::vector<uint8_t> again;
  tagger.Tag(one, &again, &scratch);
  EXPECT_EQ(again, alone);
}

}  // namespace
}  // namespace ekvr
