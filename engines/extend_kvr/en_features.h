// What the English term model knows of a candidate phrase, and the
// keyphraseness table it reads: how often a phrase was an annotated
// keyphrase of the training articles.
#ifndef TARNIX_ENGINES_EXTEND_KVR_EN_FEATURES_H_
#define TARNIX_ENGINES_EXTEND_KVR_EN_FEATURES_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "table_image.h"
#include "word_table.h"

namespace ekvr {

// Feature indices of the English model (en_term_model.txt). The order is the
// model file's; changing it means retraining (data/extend_kvr/train_en_model.py
// mirrors the keyphraseness features, so keep both in step).
enum EnglishFeature : int {
  kEBias,
  kELogFreq,          // log(1 + occurrences in title, abstract, body and keywords)
  kELogFreqAbstract,  // log(1 + occurrences in the abstract)
  kELogFreqBody,      // log(1 + occurrences in the body)
  kEInTitle,
  kEInAbstract,
  kEInBody,
  kEFirstPos,         // first occurrence / the article's length, in reading order
  kESpread,           // (last - first occurrence) / the article's length
  kEWords1, kEWords2, kEWords3, kEWords4,
  kEMeanIdf,          // mean idf of its words / 10
  kEMinIdf,           // least idf of its words / 10
  kEHeadIdf,          // idf of its last word / 10
  kEUnlisted,         // share of its words the idf table does not know
  kEKpLog,            // log(1 + training articles that named it a keyphrase)
  kEKpRatio,          // those / (1 + training articles it was a candidate in), at most 1
  kEKpNever,          // never a keyphrase in training
  kEAcronym,          // shown with an acronym or a mixed-case word
  kEName,             // shown with a capitalised word (a name)
  kEDigit,
  kEHyphen,
  kEHeadGerund,       // ends in a gerund ("data mining")
  kEFirstAdjective,
  kEFirstParticiple,
  kEFirstGerund,
  kEHasProper,        // the tagger saw a proper noun in it
  kEGeneralHead,      // its last word is a common English word
  kEGeneralAll,       // every word is
  kELogNestedIn,      // log(1 + occurrences of longer candidates holding it)
  kENestedShare,      // occurrences of the commonest longer candidate / its own, at most 1
  kEOwnShare,         // its occurrences / those of its commonest piece, at most 1
  kELogRelFreq,       // log(1 + 1000 occurrences / the article's words)
  kELogDocWords,      // log(1 + the article's words) / 10
  kETitleWords1,      // in the title and one word
  kEWords1Freq,       // one word times kELogFreq
  kEPairBond,         // the weakest bond of two neighbouring words, idf(a) + idf(b) - idf(a b), / 10
  kEPairUnseen,       // share of its neighbouring pairs the pair table does not know
  // Frequency and place mean different things in an abstract and in a
  // whole paper: their products with the article's length.
  kEFreqByLength,     // kELogFreq times kELogDocWords
  kEFirstByLength,    // kEFirstPos times kELogDocWords
  kETitleByLength,    // kEInTitle times kELogDocWords
  kEBodyFreqByLength, // kELogFreqBody times kELogDocWords
  kECutShare,         // share of its occurrences followed by a noun it modifies
  kETailShare,        // share of its occurrences after a noun or adjective of a longer phrase
  kEAlwaysCut,        // every occurrence is followed by such a noun
  kEnglishFeatures
};

// The two keyphraseness features of a phrase named a keyphrase by kp
// training articles and a candidate of df others.
void KeyphraseFeatures(int kp, int df, float* features);

// Lines "key<TAB>keyphrase articles<TAB>candidate articles", keys as
// PhraseKey makes them; "#" starts a comment line.
class KeyphraseTable {
 public:
  struct Counts {
    int kp = 0;
    int df = 0;
  };
  bool Load(const std::string& path, std::string* error);
  bool Parse(std::string_view text, std::string* error);
  // As IdfTable's: a compiled image mapped and asked in place.
  bool LoadImage(const std::string& path, std::string* error);
  bool WriteImage(const std::string& path, uint64_t source_size, std::string* error) const;
  Counts Get(std::string_view key) const;
  size_t size() const { return image_ != nullptr ? mapped_.size() : counts_.size(); }

 private:
  tarnix::WordTable<Counts> counts_;  // read from text
  std::unique_ptr<MappedImage> image_;  // or mapped
  tarnix::WordTableView<Counts> mapped_;
};
static_assert(tarnix::WordTableView<KeyphraseTable::Counts>::kSlotBytes == 28,
              "a keyphrase slot is 28 bytes in every build (table_image.h)");

inline constexpr const char* kEnglishModelFile = "en_term_model.txt";
inline constexpr const char* kKeyphraseFile = "en_keyphrases.txt";
// Word pairs "first-word singular-last-word idf", in the idf table's format.
inline constexpr const char* kEnglishPairFile = "en_bigram_df.txt";
// Environment variable: a file to which the engine appends every English
// candidate's key, shown text and features ("#article" before each
// article), for training.
inline constexpr const char* kEnglishFeatureDumpVar = "EKVR_EN_FEATURE_DUMP";

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_EN_FEATURES_H_
