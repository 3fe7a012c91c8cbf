// How likely a term candidate is a keyword: a model over a few dozen
// features of the candidate (where it stands, how often, how specific its
// words are, how it nests with other candidates, its class). The Chinese
// model is logistic, trained by data/extend_kvr/train_term_model.py
// (term_model.txt); the English one is a set of boosted trees, trained by
// train_en_model.py (en_term_model.txt, features in en_features.h).
#ifndef TARNIX_ENGINES_EXTEND_KVR_TERM_MODEL_H_
#define TARNIX_ENGINES_EXTEND_KVR_TERM_MODEL_H_

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tree_ensemble.h"

namespace ekvr {

// Feature indices. The order is the model file's; changing it means
// retraining.
enum TermFeature : int {
  kFBias,
  kFInTitle,
  kFLogFreqText,    // log(1 + abstract occurrences + half the body ones)
  kFLogFreqTitle,
  kFMeanIdf,        // mean idf of the term's words / 10
  kFMinIdf,         // least idf of its words / 10
  kFListedWord,     // the idf list knows the whole term
  kFOneWord,
  kFTwoWords,
  kFManyWords,
  kFLen2, kFLen3, kFLen4, kFLen5to6, kFLen7up,  // characters
  kFClassIsArticle,  // its class is the article's best class
  kFClassOther,      // it has another class
  kFChi2,            // log(1 + chi-square of the term itself) / 8, capped at 1
  kFFirstOffset,     // first offset in the abstract / its length; 1 when absent
  kFLetters,         // has ASCII letters
  kFWholeRun,        // some occurrence is a whole run of content words
  kFRunStart,
  kFRunEnd,
  kFEndsInVerb,
  kFFirstSingle,     // first word a single character
  kFLastSingle,
  kFEndsInVerbalNoun,
  kFLogNestedIn,     // log(1 + occurrences of longer candidates holding it)
  kFTitleShare,      // its bytes / the title's, when in the title
  kFUnknownToModel,  // the classifier has no statistics for it
  kFNestedShare,     // occurrences of the commonest longer candidate / its own, at most 1
  kFOwnShare,        // its occurrences / those of its commonest shorter candidate, at most 1
  kFGeneralWord,     // one word, idf below 5
  kFCommonWord,      // one word, idf 5 to 7
  kFPlainWord,       // one word, idf 7 to 9
  kFGeneralPart,     // several words, the least specific below 5
  kFCommonPart,      // several words, the least specific 5 to 7
  kFWholeTitleRun,   // a whole run of the title
  kFLogWholeRuns,    // log(1 + whole runs of the abstract)
  kFLogTextCount,    // log(1 + occurrences of its text in the abstract)
  kFTextInTitle,     // its text occurs in the title
  kFTextMoreOften,   // its text occurs more often than its segmented form
  kFCrosses,         // products of two features, see kFeatureCrosses
  kTermFeatures = kFCrosses + 13
};

inline constexpr int kFeatureCrosses[kTermFeatures - kFCrosses][2] = {
    {kFInTitle, kFLen4},          {kFInTitle, kFTwoWords},      {kFInTitle, kFManyWords},
    {kFInTitle, kFOneWord},       {kFWholeTitleRun, kFLen4},    {kFWholeTitleRun, kFLen5to6},
    {kFTextInTitle, kFLen4},      {kFInTitle, kFEndsInVerb},    {kFInTitle, kFLetters},
    {kFOneWord, kFLogFreqText},   {kFLen4, kFLogFreqText},      {kFInTitle, kFFirstOffset},
    {kFListedWord, kFInTitle}};

// Environment variable: a file to which the engine appends every Chinese
// term's text and features (one line each, tab-separated), for training.
inline constexpr const char* kFeatureDumpVar = "EKVR_FEATURE_DUMP";
inline constexpr const char* kTermModelFile = "term_model.txt";

// log1p(m / 2) for m < kSize, computed by the same function on the same
// float as a call would be.
class HalfCountLog1p {
 public:
  static constexpr int kSize = 1024;
  HalfCountLog1p() {
    for (int m = 0; m < kSize; ++m) value_[m] = std::log1p(static_cast<float>(m) * 0.5f);
  }
  float operator[](int m) const { return value_[m]; }

 private:
  float value_[kSize];
};

// log1p(whole + half / 2) as the float expression
// std::log1p(float(whole) + 0.5f * float(half)) gives it, bit for bit.
// Five features take it of counts, and the same few values recur across
// thousands of candidates, so small counts come from a table. whole +
// half / 2 is exact in a float for counts this small, so the table's m / 2
// is the very float the expression forms.
inline float Log1pCount(int whole, int half = 0) {
  static const HalfCountLog1p table;
  constexpr int kHalf = HalfCountLog1p::kSize / 2;
  if (static_cast<unsigned>(whole) < kHalf && static_cast<unsigned>(half) < kHalf &&
      2 * whole + half < HalfCountLog1p::kSize) {
    return table[2 * whole + half];
  }
  return std::log1p(static_cast<float>(whole) + 0.5f * static_cast<float>(half));
}

class TermModel {
 public:
  // A model over `features` features (the Chinese set by default; the
  // English one has its own, en_features.h).
  explicit TermModel(int features = kTermFeatures) : features_(features) {}
  bool Load(const std::string& path, std::string* error);
  // Lines "features N" (N must be the model's count), "lambda L" and
  // either "weights W0 W1 ..." (a logistic model) or the lines of a
  // TreeEnsemble (boosted trees); "#" starts a comment line.
  bool Parse(std::string_view text, std::string* error);
  // The model from its compiled image (table_image.h), with the checks
  // Parse makes; the image of what Parse read, for ekvr_tablec.
  bool LoadImage(const std::string& path, std::string* error);
  bool WriteImage(const std::string& path, uint64_t source_size, std::string* error) const;

  // The logit of a candidate with these features: the weighted sum, or
  // the trees' score.
  double Logit(const float* features) const;
  // Logit of n candidates whose features stand `stride` floats apart.
  void LogitMany(const float* features, size_t n, size_t stride, double* out) const;
  // The sharpness of the weights Tarnix receives: weight = exp(lambda * logit).
  double lambda() const { return lambda_; }

 private:
  static constexpr int kMaxFeatures = 128;
  // As many weights as features and no trees, or trees and no weights.
  bool LinearOrTrees() const;
  int features_;
  double lambda_ = 1.0;
  std::vector<double> weights_;
  TreeEnsemble trees_;
};

// Runs a model over candidates a block at a time: the features of a block
// side by side, then one pass of LogitMany over them, small enough to stay
// in the cache.
class BlockScorer {
 public:
  static constexpr size_t kBlock = 64;
  BlockScorer(const TermModel& model, int features)
      : model_(model), features_(static_cast<size_t>(features)), values_(kBlock * features_) {}

  // Where the features of the candidate with this index go.
  float* Slot(size_t index) {
    block_[filled_] = index;
    return values_.data() + filled_++ * features_;
  }
  bool full() const { return filled_ == kBlock; }
  // Scores the candidates given so far and hands take each one's index and
  // logit, in the order they were given.
  template <typename Take>
  void Score(Take take) {
    if (filled_ == 0) return;
    model_.LogitMany(values_.data(), filled_, features_, scores_);
    for (size_t k = 0; k < filled_; ++k) take(block_[k], scores_[k]);
    filled_ = 0;
  }

 private:
  const TermModel& model_;
  size_t features_;
  std::vector<float> values_;
  size_t block_[kBlock];
  double scores_[kBlock];
  size_t filled_ = 0;
};

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_TERM_MODEL_H_
