// Naive Bayes discipline classifier over the words of an article, and the
// chi-square association of a word with a discipline, both from one table
// of document frequencies (data/extend_kvr/classifier.model, written by
// train_classifier.py).
#ifndef TARNIX_ENGINES_EXTEND_KVR_CLASSIFIER_H_
#define TARNIX_ENGINES_EXTEND_KVR_CLASSIFIER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "table_image.h"
#include "word_table.h"

namespace ekvr {

using tarnix::WordTable;

// (class index, log((docs + alpha) / alpha)) for a class a word occurs
// in: the naive Bayes evidence beyond the unseen-word floor.
struct ClassEvidence {
  uint16_t cls;
  uint16_t unused;
  float extra;
};

// Flat, so that a compiled model holds them as they are (table_image.h).
struct WordClassStats {
  uint32_t first = 0;   // the word's evidence: first .. first + count - 1
  uint32_t count = 0;   // of the classifier's evidence array
  int32_t best_class = -1;  // class with the greatest positive association
  float chi2 = 0.0f;        // its chi-square statistic
};
static_assert(sizeof(ClassEvidence) == 8 && sizeof(WordClassStats) == 16,
              "the classifier's arrays have one layout in every build");

class Classifier {
 public:
  bool Load(const std::string& path, std::string* error);
  bool Parse(std::string_view text, std::string* error);
  // A compiled model (table_image.h), mapped and asked in place. Its
  // statistics and evidence are checked whole here (class indices and
  // ranges), a few megabytes read once; its word table at each look-up.
  bool LoadImage(const std::string& path, std::string* error);
  bool WriteImage(const std::string& path, uint64_t source_size, std::string* error) const;

  size_t class_count() const { return codes_.size(); }
  const std::string& class_code(size_t i) const { return codes_[i]; }

  // Posterior probability of every class (summing to 1) for an article made
  // of these distinct words; words outside the model are ignored. Empty
  // when no word is known to the model.
  std::vector<double> Posterior(const std::vector<std::string>& words) const;
  // The same from the statistics of the article's distinct words, as Find
  // gave them (null for a word the model does not know): the engine has
  // looked every word up already.
  std::vector<double> Posterior(const std::vector<const WordClassStats*>& words) const;

  // The statistics of a word, or null when the model does not know it.
  const WordClassStats* Find(std::string_view word) const;

 private:
  void Finish(const std::vector<std::vector<std::pair<uint16_t, uint32_t>>>& counts,
              const std::vector<std::string>& words);

  void Clear();
  // Points the look-ups at the arrays parsed into this classifier.
  void UseOwnArrays();

  double alpha_ = 0.1;
  std::vector<std::string> codes_;
  std::vector<uint32_t> class_docs_;
  std::vector<double> log_prior_;
  std::vector<double> log_floor_;  // log(alpha / (tokens_c + alpha * V))
  WordTable<uint32_t> index_;         // word -> its entry of stats_
  std::vector<WordClassStats> stats_;
  std::vector<ClassEvidence> evidence_;
  // What the look-ups read: the arrays above, or a compiled model's.
  std::unique_ptr<MappedImage> image_;
  tarnix::WordTableView<uint32_t> mapped_index_;
  const WordClassStats* stats_data_ = nullptr;
  size_t stats_size_ = 0;
  const ClassEvidence* evidence_data_ = nullptr;
};

// Chi-square statistic of a 2x2 table: a = docs of the class with the word,
// b = other docs with it, c = docs of the class without it, d = the rest.
double ChiSquare(double a, double b, double c, double d);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_CLASSIFIER_H_
