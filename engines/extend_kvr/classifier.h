// Naive Bayes discipline classifier over the words of an article, and the
// chi-square association of a word with a discipline, both from one table
// of document frequencies (data/extend_kvr/classifier.model, written by
// train_classifier.py).
#ifndef TARNIX_ENGINES_EXTEND_KVR_CLASSIFIER_H_
#define TARNIX_ENGINES_EXTEND_KVR_CLASSIFIER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "word_table.h"

namespace ekvr {

using tarnix::WordTable;

struct WordClassStats {
  // (class index, log((docs + alpha) / alpha)) for each class the word
  // occurs in; the naive Bayes evidence beyond the unseen-word floor.
  std::vector<std::pair<uint16_t, float>> evidence;
  int best_class = -1;  // class with the greatest positive association
  float chi2 = 0.0f;    // its chi-square statistic
};

class Classifier {
 public:
  bool Load(const std::string& path, std::string* error);
  bool Parse(std::string_view text, std::string* error);

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

  double alpha_ = 0.1;
  std::vector<std::string> codes_;
  std::vector<uint32_t> class_docs_;
  std::vector<double> log_prior_;
  std::vector<double> log_floor_;  // log(alpha / (tokens_c + alpha * V))
  WordTable<uint32_t> index_;         // word -> its entry of stats_
  std::vector<WordClassStats> stats_;
};

// Chi-square statistic of a 2x2 table: a = docs of the class with the word,
// b = other docs with it, c = docs of the class without it, d = the rest.
double ChiSquare(double a, double b, double c, double d);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_CLASSIFIER_H_
