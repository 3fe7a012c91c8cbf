// Keyword quality against reference keywords: exact match after NFKC,
// lower case and trimming; English words are also Porter-stemmed.
// Precision at k counts matches among the first k predictions divided by k
// (even when fewer were predicted), recall divides by the number of
// distinct reference keywords, and a prediction that repeats an earlier
// match counts once.
#ifndef TARNIX_CLI_SCORING_H_
#define TARNIX_CLI_SCORING_H_

#include <memory>
#include <string>
#include <vector>

namespace tarnix {
namespace cli {

class MatchForm {
 public:
  MatchForm();
  ~MatchForm();
  MatchForm(const MatchForm&) = delete;
  MatchForm& operator=(const MatchForm&) = delete;

  // The form keywords are compared in. English words are left unstemmed
  // when the stemmer is missing: ask CanStem first.
  std::string Of(const std::string& keyword, bool english);
  // Whether English words are stemmed; false with *error when the stemmer
  // library cannot be loaded.
  bool CanStem(std::string* error) const;

 private:
  struct Stemmer;
  std::unique_ptr<Stemmer> stemmer_;
};

constexpr int kCutoffs[] = {5, 10};
constexpr int kCutoffCount = 2;

struct Scores {
  double precision[kCutoffCount] = {0, 0};
  double recall[kCutoffCount] = {0, 0};
  double f1[kCutoffCount] = {0, 0};
};

// The scores of one document; references must not be empty (in their
// match form they are counted once each).
Scores ScoreDocument(const std::vector<std::string>& predicted,
                     const std::vector<std::string>& references, bool english, MatchForm* form);

// Averages over documents.
class ScoreTotals {
 public:
  void Add(const Scores& s);
  Scores Mean() const;
  long long count() const { return count_; }

 private:
  Scores sum_;
  long long count_ = 0;
};

}  // namespace cli
}  // namespace tarnix

#endif  // TARNIX_CLI_SCORING_H_
