#include "zh_classes.h"

#include <algorithm>
#include <utility>

namespace ekvr {
namespace {

// A term's class must reach this share of the threshold Tarnix sets
// (SetCHIThreshold, 200): at 200 only words seen in about three training
// articles of one discipline and in no other pass, which leaves most
// specific terms without a class. Tuned on the even half of csl-dev.
constexpr float kChiScale = 0.5f;
// Tarnix reads at most this many of the article's classes.
constexpr size_t kMaxArticleClasses = 100;

}  // namespace

ClassMerge MergeClasses(const Resources& res) {
  ClassMerge m;
  if (res.classifier == nullptr || res.scheme == nullptr) return m;
  const size_t k = res.classifier->class_count();
  std::vector<const std::string*> target(k, nullptr);
  for (size_t c = 0; c < k; ++c) {
    const std::string& code = res.classifier->class_code(c);
    if (res.class_mode == 0) {
      const Discipline* d = res.scheme->FindCode(code);
      if (d != nullptr) target[c] = &d->library.front();
    } else {
      target[c] = &code;
    }
    if (target[c] != nullptr) m.codes.push_back(*target[c]);
  }
  std::sort(m.codes.begin(), m.codes.end());
  m.codes.erase(std::unique(m.codes.begin(), m.codes.end()), m.codes.end());
  m.into.assign(k, -1);
  for (size_t c = 0; c < k; ++c) {
    if (target[c] == nullptr) continue;
    m.into[c] = static_cast<int32_t>(std::lower_bound(m.codes.begin(), m.codes.end(), *target[c]) - m.codes.begin());
  }
  return m;
}

int Classify(const Resources& res, const std::vector<const WordClassStats*>& features, Analysis* out) {
  if (res.classifier == nullptr || res.scheme == nullptr) return -1;
  const std::vector<double> post = res.classifier->Posterior(features);
  int top = -1;
  for (size_t c = 0; c < post.size(); ++c) {
    if (top < 0 || post[c] > post[static_cast<size_t>(top)]) top = static_cast<int>(c);
  }
  ClassMerge own;
  const ClassMerge* merge = res.merge;
  if (merge == nullptr) {
    own = MergeClasses(res);
    merge = &own;
  }
  // Library classes shared by disciplines add up, in the order of the
  // classifier's classes; a class appears when one of its classifier
  // classes has a probability.
  std::vector<double> sum(merge->codes.size(), 0.0);
  std::vector<uint8_t> present(merge->codes.size(), 0);
  for (size_t c = 0; c < post.size() && c < merge->into.size(); ++c) {
    const int32_t i = merge->into[c];
    if (i < 0) continue;
    sum[static_cast<size_t>(i)] += post[c];
    present[static_cast<size_t>(i)] = 1;
  }
  // Best first, equal scores in code order: the order is settled on
  // (score, entry) pairs, and each code is copied once, into its place.
  std::vector<std::pair<float, uint32_t>> order;
  order.reserve(sum.size());
  for (size_t i = 0; i < sum.size(); ++i) {
    if (present[i]) order.emplace_back(static_cast<float>(sum[i]), static_cast<uint32_t>(i));
  }
  std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  out->classes.reserve(out->classes.size() + order.size());
  for (const auto& [score, i] : order) out->classes.push_back({merge->codes[i], score});
  return top;
}

std::string TopCode(const Resources& res, int top) {
  if (top < 0 || res.classifier == nullptr) return std::string();
  const std::string& code = res.classifier->class_code(static_cast<size_t>(top));
  if (res.class_mode != 0) return code;
  const Discipline* d = res.scheme == nullptr ? nullptr : res.scheme->FindCode(code);
  return d == nullptr ? std::string() : d->library.front();
}

std::string TermClass(const Resources& res, const Term& t) {
  if (res.classifier == nullptr || res.scheme == nullptr) return std::string();
  const WordClassStats* best = t.own_stats;
  if (best != nullptr && best->best_class < 0) best = nullptr;
  if (t.part_stats != nullptr && (best == nullptr || t.part_stats->chi2 > best->chi2)) best = t.part_stats;
  if (best == nullptr || best->chi2 < res.chi_threshold * kChiScale) return std::string();
  const std::string& code = res.classifier->class_code(static_cast<size_t>(best->best_class));
  if (res.class_mode == 0) {
    const Discipline* d = res.scheme->FindCode(code);
    return d == nullptr ? std::string() : d->library.front();
  }
  return code;
}

// As Tarnix reads them from GetTxtClassifyTemp: at most 100, float sums.
std::vector<std::string> LeadingClasses(const std::vector<ClassCandidate>& classes) {
  // Without a class the article's class is the empty text, and Tarnix
  // counts it as the article's own.
  if (classes.empty()) return {std::string()};
  const size_t n = std::min<size_t>(classes.size(), kMaxArticleClasses);
  float total = 0.0f;
  for (size_t i = 0; i < n; ++i) total += classes[i].score;
  const float threshold = static_cast<float>(0.6 * total);
  std::vector<std::string> out;
  float run = 0.0f;
  for (size_t i = 0; i < n; ++i) {
    out.push_back(classes[i].code);
    run += classes[i].score;
    if (run >= threshold) break;
  }
  return out;
}

double ClassStepFactor(const std::string& code, const std::vector<std::string>& leading) {
  return std::find(leading.begin(), leading.end(), code) != leading.end() ? 2.0 : 0.5;
}

}  // namespace ekvr
