#include "classifier.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "prefetch.h"
#include "table_file.h"

namespace ekvr {
namespace {

bool ParseUnsigned(std::string_view s, uint32_t* out) {
  if (s.empty() || s.size() > 9) return false;
  uint32_t v = 0;
  for (char ch : s) {
    if (ch < '0' || ch > '9') return false;
    v = v * 10 + static_cast<uint32_t>(ch - '0');
  }
  *out = v;
  return true;
}

std::string LineError(int line_no) {
  return "classifier model line " + std::to_string(line_no) + " is malformed";
}

}  // namespace

double ChiSquare(double a, double b, double c, double d) {
  const double n = a + b + c + d;
  const double denom = (a + b) * (c + d) * (a + c) * (b + d);
  if (denom <= 0.0) return 0.0;
  const double diff = a * d - b * c;
  return n * diff * diff / denom;
}

bool Classifier::Load(const std::string& path, std::string* error) {
  return LoadTable(path, this, error);
}

bool Classifier::Parse(std::string_view text, std::string* error) {
  codes_.clear();
  class_docs_.clear();
  index_.clear();
  stats_.clear();
  std::vector<std::string> words;
  std::vector<std::vector<std::pair<uint16_t, uint32_t>>> counts;
  int line_no = 0;
  for (std::string_view line : SplitView(text, '\n')) {
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) {
      const auto cols = SplitView(line, ' ');
      if (cols[0] == "alpha" && cols.size() == 2) {
        alpha_ = std::strtod(std::string(cols[1]).c_str(), nullptr);
        if (!(alpha_ > 0.0 && alpha_ < 100.0)) {
          *error = LineError(line_no);
          return false;
        }
      } else if (cols[0] == "class" && cols.size() >= 3 && words.empty()) {
        uint32_t docs = 0;
        if (!ParseUnsigned(cols[2], &docs) || codes_.size() >= 65535) {
          *error = LineError(line_no);
          return false;
        }
        codes_.emplace_back(cols[1]);
        class_docs_.push_back(docs);
      } else {
        *error = LineError(line_no);
        return false;
      }
      continue;
    }
    std::vector<std::pair<uint16_t, uint32_t>> row;
    for (std::string_view pair : SplitView(line.substr(tab + 1), ' ')) {
      const size_t colon = pair.find(':');
      uint32_t cls = 0, docs = 0;
      if (colon == std::string_view::npos || !ParseUnsigned(pair.substr(0, colon), &cls) ||
          !ParseUnsigned(pair.substr(colon + 1), &docs) || cls >= codes_.size() || docs == 0) {
        *error = LineError(line_no);
        return false;
      }
      row.emplace_back(static_cast<uint16_t>(cls), docs);
    }
    words.emplace_back(line.substr(0, tab));
    counts.push_back(std::move(row));
  }
  if (codes_.empty() || words.empty()) {
    *error = "classifier model has no classes or no words";
    return false;
  }
  Finish(counts, words);
  return true;
}

void Classifier::Finish(const std::vector<std::vector<std::pair<uint16_t, uint32_t>>>& counts,
                        const std::vector<std::string>& words) {
  const size_t k = codes_.size();
  std::vector<double> tokens(k, 0.0);
  for (const auto& row : counts) {
    for (const auto& [cls, docs] : row) tokens[cls] += docs;
  }
  double total_docs = 0.0;
  for (uint32_t d : class_docs_) total_docs += d;
  const double vocab = static_cast<double>(words.size());
  log_prior_.assign(k, 0.0);
  log_floor_.assign(k, 0.0);
  for (size_t c = 0; c < k; ++c) {
    log_prior_[c] = std::log((class_docs_[c] + 1.0) / (total_docs + static_cast<double>(k)));
    log_floor_[c] = std::log(alpha_) - std::log(tokens[c] + alpha_ * vocab);
  }
  index_.reserve(words.size());
  stats_.reserve(words.size());
  for (size_t w = 0; w < words.size(); ++w) {
    WordClassStats stats;
    double word_docs = 0.0;
    for (const auto& [cls, docs] : counts[w]) word_docs += docs;
    for (const auto& [cls, docs] : counts[w]) {
      stats.evidence.emplace_back(cls, static_cast<float>(std::log((docs + alpha_) / alpha_)));
      const double a = docs, b = word_docs - docs;
      const double c = class_docs_[cls] - a, d = total_docs - class_docs_[cls] - b;
      if (a * d <= b * c) continue;  // occurs in the class no more than by chance
      const double chi2 = ChiSquare(a, b, c, d);
      if (chi2 > stats.chi2) {
        stats.chi2 = static_cast<float>(chi2);
        stats.best_class = cls;
      }
    }
    if (index_.Find(words[w]) != nullptr) continue;  // the first line of a word holds
    index_.Set(words[w], static_cast<uint32_t>(stats_.size()));
    stats_.push_back(std::move(stats));
  }
  index_.BuildFilter();  // most compounds of an article are not in the model
}

std::vector<double> Classifier::Posterior(const std::vector<std::string>& words) const {
  std::vector<const WordClassStats*> stats;
  stats.reserve(words.size());
  for (const std::string& w : words) stats.push_back(Find(w));
  return Posterior(stats);
}

std::vector<double> Classifier::Posterior(const std::vector<const WordClassStats*>& words) const {
  const size_t k = codes_.size();
  std::vector<double> score(log_prior_);
  size_t known = 0;
  // Each word's evidence is an allocation of its own, somewhere in the
  // model's megabytes: the evidence of the word kAhead places on is asked
  // for now, so that the sum does not wait for every word in turn.
  constexpr size_t kAhead = 8;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i + kAhead < words.size() && words[i + kAhead] != nullptr) {
      tarnix::Prefetch(words[i + kAhead]->evidence.data());
    }
    const WordClassStats* w = words[i];
    if (w == nullptr) continue;
    ++known;
    for (const auto& [cls, extra] : w->evidence) score[cls] += extra;
  }
  if (known == 0) return {};
  for (size_t c = 0; c < k; ++c) score[c] += static_cast<double>(known) * log_floor_[c];
  const double top = *std::max_element(score.begin(), score.end());
  double sum = 0.0;
  for (double& s : score) {
    s = std::exp(s - top);
    sum += s;
  }
  for (double& s : score) s /= sum;
  return score;
}

const WordClassStats* Classifier::Find(std::string_view word) const {
  const uint32_t* i = index_.Find(word);
  return i == nullptr ? nullptr : &stats_[*i];
}

}  // namespace ekvr
