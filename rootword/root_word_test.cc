#include "root_word.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"
#include "text.h"

namespace tarnix {
namespace {

using scripted::CallsTo;
using scripted::Lexmill;

// GBK characters standing for the letters of the cases below; they sort
// A < B < C < Z, like the letters.
const std::string A = "\xB0\xA1";
const std::string B = "\xB0\xA2";
const std::string C = "\xB0\xA3";
const std::string D = "\xB0\xA4";
const std::string E = "\xB0\xA5";
const std::string Z = "\xB0\xA9";

using Entries = std::vector<std::pair<std::string, int32_t>>;

Entries EntriesOf(const TermIndexMap& map) { return Entries(map.begin(), map.end()); }

class RootWordTest : public tarnix_testing::ScriptedTest {
 protected:
  void SetUp() override {
    ScriptedTest::SetUp();
    full_.resize(kInfoMapCapacity);
    abst_.resize(kInfoMap1Capacity);
    cls_.resize(kInfoMapCapacity);
    for (auto& t : full_) InitArticleTerm(t, 0.0f);
    for (auto& t : abst_) InitArticleTerm(t, 100.0f);
    for (auto& c : cls_) InitTermClassMatch(c);
  }

  int32_t AddFull(const std::string& word, float weight, int32_t depth = 0,
                  const std::string& class_code = "", const std::string& second = "") {
    int32_t i = next_full_++;
    SetField(full_[i].word, word);
    SetField(full_[i].class_code, class_code);
    SetField(full_[i].second_word, second);
    full_[i].weight = weight;
    SetField(cls_[i].word, word);
    cls_[i].match_depth = depth;
    fileword_.emplace(word, i);
    return i;
  }

  int32_t AddAbstract(const std::string& word, float weight) {
    int32_t i = next_abst_++;
    SetField(abst_[i].word, word);
    SetField(abst_[i].class_code, "ART");
    abst_[i].weight = weight;
    abstword_.emplace(word, i);
    return i;
  }

  // The similar-word dictionary: word -> information text.
  void Similar(scripted::Entries entries) {
    Lexmill().dictionaries["QOVA_SIM_CHN_DICT"].entries = std::move(entries);
    Lexmill().loaded.insert("QOVA_SIM_CHN_DICT");
  }
  void General(scripted::Entries entries) {
    Lexmill().dictionaries["EnglishGeneral"].entries = std::move(entries);
    Lexmill().loaded.insert("EnglishGeneral");
  }

  bool RunChinese() {
    return RootFileWord3(fileword_, abstword_, full_.data(), abst_.data(), cls_.data());
  }
  bool RunEnglish() {
    return RootFileWord3_English(fileword_, abstword_, full_.data(), abst_.data(), cls_.data());
  }

  // Messages other than those of a missing similar-word dictionary.
  std::vector<std::string> OwnMessages() const {
    std::vector<std::string> own;
    for (const auto& m : LogMessages()) {
      if (m != "GetSimlarity function: can not Getdict QOVA_SIM_CHN_DICT!") own.push_back(m);
    }
    return own;
  }

  std::vector<ArticleTerm> full_, abst_;
  std::vector<TermClassMatch> cls_;
  TermIndexMap fileword_, abstword_;
  int32_t next_full_ = 0, next_abst_ = 0;
};

// ---- RootFileWord3 -------------------------------------------------------

TEST_F(RootWordTest, MissingTablesFailQuietlyAndEmptyMapsSucceed) {
  AddFull(A + B, 1.0f);
  EXPECT_FALSE(RootFileWord3(fileword_, abstword_, nullptr, abst_.data(), cls_.data()));
  EXPECT_FALSE(RootFileWord3(fileword_, abstword_, full_.data(), nullptr, cls_.data()));
  EXPECT_FALSE(RootFileWord3(fileword_, abstword_, full_.data(), abst_.data(), nullptr));
  EXPECT_TRUE(LogMessages().empty());

  fileword_.clear();
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(LogMessages(),
            std::vector<std::string>{"RootFileWord3 function: fileword and abstword is empty!"});
  EXPECT_TRUE(scripted::Calls().empty());
}

TEST_F(RootWordTest, LighterContainedWordIsAbsorbedScaledByDeeperClassAgreement) {
  int32_t ab = AddFull(A + B, 1.0f);
  int32_t abc = AddFull(A + B + C, 3.0f, 2);
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{A + B + C, abc}}));
  EXPECT_FLOAT_EQ(full_[abc].weight, 3.0f + 3 * 1.0f);
  EXPECT_FLOAT_EQ(full_[ab].weight, 1.0f);  // the absorbed record is left alone
  EXPECT_TRUE(OwnMessages().empty());
}

TEST_F(RootWordTest, EqualDepthsAddPlainWeights) {
  AddFull(A + B, 1.0f, 1);
  int32_t abc = AddFull(A + B + C, 3.0f, 1);
  EXPECT_TRUE(RunChinese());
  EXPECT_FLOAT_EQ(full_[abc].weight, 4.0f);
}

TEST_F(RootWordTest, HeavierShortWordAbsorbsAndMeetsTheNextSuccessor) {
  int32_t ab = AddFull(A + B, 5.0f, 2);
  AddFull(A + B + C, 3.0f);
  AddFull(A + B + D, 2.0f);
  AddFull(Z, 1.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(EntriesOf(fileword_).size(), 2u);
  EXPECT_EQ(fileword_.find(A + B)->second, ab);
  // Each absorbed neighbour counts three times: the survivor is two levels deeper.
  EXPECT_FLOAT_EQ(full_[ab].weight, 5.0f + 3 * 3.0f + 3 * 2.0f);
}

TEST_F(RootWordTest, SimilarShortWordGivesWayToItsLongerNeighbour) {
  Similar({{A + B + C, A + B + ":0.7;"}, {A + B + C + D + E, A + B + C + D + ":0.9;"}});
  AddFull(A + B, 5.0f);
  int32_t abc = AddFull(A + B + C, 3.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{A + B + C, abc}}));
  EXPECT_FLOAT_EQ(full_[abc].weight, 8.0f);

  // The dictionary is asked about the longer word, for the shorter one.
  auto searches = CallsTo("Dict_Search_Get_Info");
  ASSERT_EQ(searches.size(), 1u);
  EXPECT_EQ(searches[0].args[0], A + B + C);

  // A shorter word of 8 bytes keeps the weight rule, and the dictionary is
  // not asked about it.
  fileword_.clear();
  scripted::Calls().clear();
  int32_t abcd = AddFull(A + B + C + D, 5.0f);
  AddFull(A + B + C + D + E, 3.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{A + B + C + D, abcd}}));
  EXPECT_FLOAT_EQ(full_[abcd].weight, 8.0f);
  EXPECT_TRUE(CallsTo("Dict_Search_Get_Info").empty());
}

// Without the dictionary every pair of contained neighbours logs its
// absence once, the long ones too, in both lists.
TEST_F(RootWordTest, AMissingSimilarDictionaryIsLoggedForEveryPair) {
  AddFull(A + B, 1.0f);
  AddFull(A + B + C + D, 5.0f);
  AddFull(A + B + C + D + E, 3.0f);
  AddAbstract(A + B + C + D + E + Z, 1.0f);
  AddAbstract(A + B + C + D + E + Z + A, 2.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(LogMessages().size() - OwnMessages().size(), 3u);
}

TEST_F(RootWordTest, SimilarityBelowTheThresholdKeepsTheWeightRule) {
  Similar({{A + B + C, A + B + ":0.59;"}});
  int32_t ab = AddFull(A + B, 5.0f);
  AddFull(A + B + C, 3.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{A + B, ab}}));
  EXPECT_FLOAT_EQ(full_[ab].weight, 8.0f);
}

TEST_F(RootWordTest, WordsSharingTheirEndMergeOnReversedTexts) {
  // AZ stands between AB and CAB, so only the reversed keys BA, BAC meet;
  // the backward pass does not consult the dictionary.
  Similar({{C + A + B, A + B + ":0.9;"}, {B + A + C, B + A + ":0.9;"}});
  int32_t ab = AddFull(A + B, 5.0f);
  int32_t az = AddFull(A + Z, 1.0f);
  AddFull(C + A + B, 3.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{A + B, ab}, {A + Z, az}}));
  EXPECT_FLOAT_EQ(full_[ab].weight, 8.0f);
  EXPECT_TRUE(CallsTo("Dict_Search_Get_Info").empty());

  // The heavier longer word survives under its reading-order text.
  fileword_.clear();
  AddFull(A + B, 1.0f);
  AddFull(A + Z, 1.0f);
  int32_t cab = AddFull(C + A + B, 3.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{A + Z, 4}, {C + A + B, cab}}));
  EXPECT_FLOAT_EQ(full_[cab].weight, 4.0f);
}

TEST_F(RootWordTest, AbstractTermsMergeAmongThemselves) {
  // Forward with the similarity rule for keys under 12 bytes; then on
  // reversed keys by weight alone, where DE and CDE meet as ED and EDC.
  Similar({{A + B + C + D + E + Z, A + B + C + D + E + ":0.9;"}});
  int32_t five = AddAbstract(A + B + C + D + E, 9.0f);
  int32_t six = AddAbstract(A + B + C + D + E + Z, 1.0f);
  int32_t cde = AddAbstract(C + D + E, 1.0f);
  int32_t de = AddAbstract(D + E, 2.0f);
  int32_t dz = AddAbstract(D + Z, 1.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(EntriesOf(abstword_), (Entries{{A + B + C + D + E + Z, six}, {D + E, de}, {D + Z, dz}}));
  EXPECT_FLOAT_EQ(abst_[six].weight, 10.0f);
  EXPECT_FLOAT_EQ(abst_[de].weight, 3.0f);
  EXPECT_FLOAT_EQ(abst_[five].weight, 9.0f);
  EXPECT_FLOAT_EQ(abst_[cde].weight, 1.0f);
}

TEST_F(RootWordTest, AbstractSimilarityRuleStopsAt12Bytes) {
  std::string six = A + B + C + D + E + Z;
  Similar({{six + A, six + ":0.9;"}});
  int32_t shorter = AddAbstract(six, 9.0f);
  AddAbstract(six + A, 1.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(EntriesOf(abstword_), (Entries{{six, shorter}}));
  EXPECT_FLOAT_EQ(abst_[shorter].weight, 10.0f);
}

TEST_F(RootWordTest, EqualFullTextTermFoldsIntoTheAbstractTerm) {
  int32_t f = AddFull(A + B, 5.0f, 0, "TP391", "ab");
  int32_t a = AddAbstract(A + B, 2.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_TRUE(fileword_.empty());
  EXPECT_EQ(EntriesOf(abstword_), (Entries{{A + B, a}}));
  EXPECT_FLOAT_EQ(abst_[a].weight, 7.0f);
  EXPECT_STREQ(abst_[a].class_code, "TP391");
  EXPECT_STREQ(abst_[a].second_word, "ab");
  EXPECT_FLOAT_EQ(full_[f].weight, 5.0f);
  EXPECT_TRUE(OwnMessages().empty());
}

TEST_F(RootWordTest, HeavierFullTextNeighbourRekeysTheAbstractEntry) {
  int32_t f = AddFull(A + B + C, 5.0f, 0, "TP391", "abc");
  int32_t a = AddAbstract(A + B, 2.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_TRUE(fileword_.empty());
  EXPECT_EQ(EntriesOf(abstword_), (Entries{{A + B + C, a}}));
  EXPECT_FLOAT_EQ(abst_[a].weight, 7.0f);
  EXPECT_STREQ(abst_[a].class_code, "TP391");
  EXPECT_STREQ(abst_[a].second_word, "abc");
  EXPECT_EQ(FieldText(abst_[a].word), A + B);  // the record keeps its own text
  EXPECT_FLOAT_EQ(full_[f].weight, 5.0f);
}

TEST_F(RootWordTest, LighterFullTextNeighbourIsAddedWithoutRekeying) {
  AddFull(A + B + C, 5.0f, 0, "TP391", "abc");
  int32_t a = AddAbstract(A + B, 6.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_TRUE(fileword_.empty());
  EXPECT_EQ(EntriesOf(abstword_), (Entries{{A + B, a}}));
  EXPECT_FLOAT_EQ(abst_[a].weight, 11.0f);
  EXPECT_STREQ(abst_[a].class_code, "ART");
  EXPECT_STREQ(abst_[a].second_word, "");
}

TEST_F(RootWordTest, FullTextTermHeadingTheAbstractTextIsAddedOrTakesOver) {
  AddFull(A, 1.0f);
  int32_t z = AddFull(Z, 1.0f);
  int32_t a = AddAbstract(A + B, 10.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(EntriesOf(abstword_), (Entries{{A + B, a}}));
  EXPECT_FLOAT_EQ(abst_[a].weight, 11.0f);
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{Z, z}}));

  fileword_.clear();
  abstword_.clear();
  int32_t pre = AddFull(A, 20.0f, 0, "TP1", "a");
  int32_t b = AddAbstract(A + B, 1.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(EntriesOf(abstword_), (Entries{{A, b}}));
  EXPECT_FLOAT_EQ(abst_[b].weight, 21.0f);
  EXPECT_STREQ(abst_[b].class_code, "TP1");
  EXPECT_STREQ(abst_[b].second_word, "a");
  EXPECT_TRUE(fileword_.empty());
  EXPECT_FLOAT_EQ(full_[pre].weight, 20.0f);
}

TEST_F(RootWordTest, FullTextTermEndingInTheAbstractTextMeetsItReversed) {
  int32_t cab = AddFull(C + A + B, 1.0f);
  int32_t a = AddAbstract(A + B, 2.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_TRUE(fileword_.empty());
  EXPECT_EQ(EntriesOf(abstword_), (Entries{{A + B, a}}));
  EXPECT_FLOAT_EQ(abst_[a].weight, 3.0f);

  // Heavier: the abstract entry takes the full-text term's reading-order text.
  fileword_.clear();
  abstword_.clear();
  full_[cab].weight = 5.0f;
  SetField(full_[cab].class_code, "TP2");
  fileword_.emplace(C + A + B, cab);
  int32_t b = AddAbstract(A + B, 1.0f);
  int32_t z = AddFull(Z, 1.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(EntriesOf(abstword_), (Entries{{C + A + B, b}}));
  EXPECT_FLOAT_EQ(abst_[b].weight, 6.0f);
  EXPECT_STREQ(abst_[b].class_code, "TP2");
  EXPECT_EQ(FieldText(abst_[b].word), A + B);
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{Z, z}}));
}

TEST_F(RootWordTest, OtherContainmentBetweenTheMapsIsNotLookedFor) {
  // AB lies inside ZABZ but neither heads the other, forwards or reversed.
  int32_t f = AddFull(Z + A + B + Z, 5.0f);
  int32_t a = AddAbstract(A + B, 1.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{Z + A + B + Z, f}}));
  EXPECT_FLOAT_EQ(abst_[a].weight, 1.0f);
}

TEST_F(RootWordTest, EmptyAbstwordLeavesTheFullTextMergeAlone) {
  int32_t abc = AddFull(A + B + C, 3.0f);
  int32_t z = AddFull(Z, 2.0f);
  AddFull(A + B, 1.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{A + B + C, abc}, {Z, z}}));
  EXPECT_FLOAT_EQ(full_[abc].weight, 4.0f);
  EXPECT_TRUE(abstword_.empty());
  EXPECT_TRUE(OwnMessages().empty());
}

TEST_F(RootWordTest, KeysComeBackAsTheyWereWhateverTheEngineMakesOfThemReversed) {
  // The engine reads "ab" + A as "a" and "b" + A; reversed, that is
  // "b" + A + "a", which read forwards again would come back as A + "ab".
  const std::string odd = "ab" + A;
  Lexmill().characters[odd] = {1, 4};
  int32_t f = AddFull(odd, 2.0f);
  int32_t z = AddFull(Z, 1.0f);
  int32_t a = AddAbstract(D, 1.0f);
  EXPECT_TRUE(RunChinese());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{odd, f}, {Z, z}}));
  EXPECT_EQ(EntriesOf(abstword_), (Entries{{D, a}}));
}

TEST_F(RootWordTest, EachKeyIsReversedOnceForBothReversedPasses) {
  for (const std::string& w : {A, B + C, C + D, Z}) AddFull(w, 1.0f);
  AddAbstract(E, 1.0f);
  scripted::Recording() = true;
  EXPECT_TRUE(RunChinese());
  // Four full-text keys, one abstract key as a full-text map entry and
  // once more to look it up among the reversed full-text keys.
  EXPECT_EQ(CallsTo("Code_Determine").size(), 4u + 1u + 1u);
}

TEST_F(RootWordTest, IndexOutsideItsTableFailsTheStage) {
  AddFull(A + B, 1.0f);
  fileword_.emplace(A + B + C, kInfoMapCapacity);
  EXPECT_FALSE(RunChinese());
  EXPECT_EQ(OwnMessages(), std::vector<std::string>{"RootFileWord3 Error!"});

  fileword_.clear();
  abstword_.emplace(A, -1);
  EXPECT_FALSE(RunEnglish());
  EXPECT_EQ(OwnMessages().back(), "RootFileWord3_English Error!");
}

// ---- RootFileWord3_English -----------------------------------------------

TEST_F(RootWordTest, EnglishDeeperLongerTermAbsorbsWithTheDepthFactor) {
  AddFull("network", 5.0f, 0);
  int32_t nm = AddFull("network model", 1.0f, 2);
  EXPECT_TRUE(RunEnglish());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{"network model", nm}}));
  EXPECT_FLOAT_EQ(full_[nm].weight, 16.0f);
  EXPECT_TRUE(CallsTo("Dict_Get_Handle").empty());
}

TEST_F(RootWordTest, EnglishDeeperShorterTermAbsorbsWithoutTheFactor) {
  int32_t n = AddFull("network", 1.0f, 2);
  AddFull("network model", 5.0f, 0);
  AddFull("network modelling", 5.0f, 0);
  EXPECT_TRUE(RunEnglish());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{"network", n}}));
  EXPECT_FLOAT_EQ(full_[n].weight, 11.0f);
  EXPECT_TRUE(CallsTo("Dict_Get_Handle").empty());
}

TEST_F(RootWordTest, EnglishEqualDepthsLetTheWeightAndTheGeneralWordDecide) {
  int32_t n = AddFull("network", 3.0f);
  int32_t nm = AddFull("network model", 2.0f);
  EXPECT_TRUE(RunEnglish());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{"network", n}}));
  EXPECT_FLOAT_EQ(full_[n].weight, 5.0f);

  fileword_.clear();
  full_[n].weight = 3.0f;
  full_[nm].weight = 2.0f;
  fileword_.emplace("network", n);
  fileword_.emplace("network model", nm);
  General({{"network", ""}});
  EXPECT_TRUE(RunEnglish());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{"network model", nm}}));
  EXPECT_FLOAT_EQ(full_[nm].weight, 5.0f);

  // A lighter shorter term gives way without asking the dictionary.
  fileword_.clear();
  scripted::Calls().clear();
  int32_t m = AddFull("model", 1.0f);
  int32_t mx = AddFull("model x", 2.0f);
  EXPECT_TRUE(RunEnglish());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{"model x", mx}}));
  EXPECT_FLOAT_EQ(full_[mx].weight, 3.0f);
  EXPECT_FLOAT_EQ(full_[m].weight, 1.0f);
  EXPECT_TRUE(CallsTo("Dict_Search_Get_Info").empty());
}

TEST_F(RootWordTest, EnglishGeneralShortTermGivesWay) {
  AddFull("is", 3.0f);
  int32_t used = AddFull("is used", 2.0f);
  EXPECT_TRUE(RunEnglish());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{"is used", used}}));
  EXPECT_FLOAT_EQ(full_[used].weight, 5.0f);
}

TEST_F(RootWordTest, EnglishReversedPassTestsTheRecordsOwnText) {
  // "modem" keeps "model" and "x model" apart; reversed they meet, and the
  // general-word test gets the term's text, not its reversed key.
  General({{"Model", ""}});
  AddFull("Model", 3.0f);
  int32_t modem = AddFull("Modem", 1.0f);
  int32_t xm = AddFull("x Model", 2.0f);
  EXPECT_TRUE(RunEnglish());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{"Modem", modem}, {"x Model", xm}}));
  EXPECT_FLOAT_EQ(full_[xm].weight, 5.0f);
  auto searches = CallsTo("Dict_Search_Get_Info");
  ASSERT_EQ(searches.size(), 1u);
  EXPECT_EQ(searches[0].args[0], "Model");
}

TEST_F(RootWordTest, EnglishAbstractTermsMergeByWeightOnly) {
  Similar({{"network model", "network:0.9;"}});
  int32_t n = AddAbstract("network", 5.0f);
  AddAbstract("network model", 3.0f);
  EXPECT_TRUE(RunEnglish());
  EXPECT_EQ(EntriesOf(abstword_), (Entries{{"network", n}}));
  EXPECT_FLOAT_EQ(abst_[n].weight, 8.0f);
  EXPECT_TRUE(CallsTo("Dict_Get_Handle").empty());
}

TEST_F(RootWordTest, EnglishAbstractTermTakesEqualAndBorderingFullTextTerms) {
  AddFull("model", 4.0f, 0, "TP18", "MODEL");
  int32_t a = AddAbstract("model", 1.0f);
  EXPECT_TRUE(RunEnglish());
  EXPECT_TRUE(fileword_.empty());
  EXPECT_FLOAT_EQ(abst_[a].weight, 5.0f);
  EXPECT_STREQ(abst_[a].class_code, "TP18");
  EXPECT_STREQ(abst_[a].second_word, "MODEL");

  // A heavier neighbour is still only added: no re-keying, no copying.
  abstword_.clear();
  AddFull("network model", 9.0f, 0, "TP18", "NM");
  int32_t b = AddAbstract("network", 1.0f);
  EXPECT_TRUE(RunEnglish());
  EXPECT_TRUE(fileword_.empty());
  EXPECT_EQ(EntriesOf(abstword_), (Entries{{"network", b}}));
  EXPECT_FLOAT_EQ(abst_[b].weight, 10.0f);
  EXPECT_STREQ(abst_[b].class_code, "ART");
}

TEST_F(RootWordTest, EnglishAbstractTermTakesTheTermItEnds) {
  int32_t z = AddFull("zeta", 1.0f);
  AddFull("neural model", 6.0f);
  int32_t a = AddAbstract("model", 1.0f);
  EXPECT_TRUE(RunEnglish());
  EXPECT_EQ(EntriesOf(fileword_), (Entries{{"zeta", z}}));
  EXPECT_EQ(EntriesOf(abstword_), (Entries{{"model", a}}));
  EXPECT_FLOAT_EQ(abst_[a].weight, 7.0f);
  EXPECT_STREQ(abst_[a].class_code, "ART");
}

TEST_F(RootWordTest, EnglishEmptyMapsOnEntrySucceedWithTheSharedMessage) {
  EXPECT_TRUE(RunEnglish());
  EXPECT_EQ(LogMessages(),
            std::vector<std::string>{"RootFileWord3 function: fileword and abstword is empty!"});
  EXPECT_FALSE(RootFileWord3_English(fileword_, abstword_, full_.data(), abst_.data(), nullptr));
}

}  // namespace
}  // namespace tarnix
