#include "term_model.h"

#include <cmath>
#include <cstdlib>

#include "table_file.h"

namespace ekvr {

bool TermModel::Load(const std::string& path, std::string* error) {
  return LoadTable(path, this, error);
}

bool TermModel::Parse(std::string_view text, std::string* error) {
  weights_.clear();
  trees_.Clear();
  int features = -1;
  bool have_lambda = false;
  auto number = ParseFinite;
  int line_no = 0;
  std::vector<std::string_view> cols;
  for (std::string_view line : SplitView(text, '\n')) {
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    SplitViewInto(line, ' ', &cols);
    double v = 0.0;
    bool ok = cols.size() >= 2;
    if (ok && cols[0] == "features") {
      ok = cols.size() == 2 && number(cols[1], &v) && v == features_;
      features = static_cast<int>(v);
    } else if (ok && cols[0] == "lambda") {
      ok = cols.size() == 2 && number(cols[1], &lambda_) && lambda_ > 0.0 && lambda_ <= 64.0;
      have_lambda = true;
    } else if (!cols.empty() && TreeEnsemble::Accepts(cols[0])) {
      ok = trees_.ParseLine(cols, features_, error);
    } else if (ok && cols[0] == "weights") {
      for (size_t i = 1; ok && i < cols.size(); ++i) {
        ok = number(cols[i], &v) && std::fabs(v) < 100.0;
        weights_.push_back(v);
      }
    } else {
      ok = false;
    }
    if (!ok) {
      *error = "term model line " + std::to_string(line_no) + " is malformed";
      weights_.clear();
      trees_.Clear();
      return false;
    }
  }
  const bool linear = weights_.size() == static_cast<size_t>(features_) && trees_.empty();
  const bool trees = weights_.empty() && !trees_.empty();
  std::string tree_error;
  if (features != features_ || features_ > kMaxFeatures || !have_lambda || !(linear || trees) ||
      !trees_.Finish(&tree_error)) {
    *error = "term model needs features " + std::to_string(features_) +
             ", lambda, and as many weights or a set of trees" + (tree_error.empty() ? "" : ": " + tree_error);
    weights_.clear();
    trees_.Clear();
    return false;
  }
  return true;
}

double TermModel::Logit(const float* features) const {
  if (!trees_.empty()) return trees_.Score(features);
  const int n = features_;
  if (weights_.size() != static_cast<size_t>(n)) return 0.0;
  // The products in one loop the compiler vectorises, then their sum in
  // feature order, so that the logit is the very value of the plain
  // weighted sum: a long article has thousands of candidates.
  const double* w = weights_.data();
  double product[kMaxFeatures];
  for (int i = 0; i < n; ++i) product[i] = w[i] * static_cast<double>(features[i]);
  double z = 0.0;
  for (int i = 0; i < n; ++i) z += product[i];
  return z;
}

void TermModel::LogitMany(const float* features, size_t n, size_t stride, double* out) const {
  if (!trees_.empty()) {
    trees_.ScoreMany(features, n, stride, out);
    return;
  }
  for (size_t i = 0; i < n; ++i) out[i] = Logit(features + i * stride);
}

}  // namespace ekvr
