#include "term_model.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "table_file.h"
#include "table_image.h"

namespace ekvr {
namespace {

// What a model may hold, from its text or its image alike.
bool LambdaFits(double lambda) { return lambda > 0.0 && lambda <= 64.0; }
bool WeightFits(double weight) { return std::isfinite(weight) && std::fabs(weight) < 100.0; }

}  // namespace

bool TermModel::Load(const std::string& path, std::string* error) {
  return LoadTable(path, this, error);
}

bool TermModel::Parse(std::string_view text, std::string* error) {
  weights_.clear();
  trees_.Clear();
  int features = -1;
  bool have_lambda = false;
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
      ok = cols.size() == 2 && ParseFinite(cols[1], &v) && v == features_;
      features = static_cast<int>(v);
    } else if (ok && cols[0] == "lambda") {
      ok = cols.size() == 2 && ParseFinite(cols[1], &lambda_) && LambdaFits(lambda_);
      have_lambda = true;
    } else if (!cols.empty() && TreeEnsemble::Accepts(cols[0])) {
      ok = trees_.ParseLine(cols, features_, error);
    } else if (ok && cols[0] == "weights") {
      for (size_t i = 1; ok && i < cols.size(); ++i) {
        ok = ParseFinite(cols[i], &v) && WeightFits(v);
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
  std::string tree_error;
  if (features != features_ || features_ > kMaxFeatures || !have_lambda || !LinearOrTrees() ||
      !trees_.Finish(&tree_error)) {
    *error = "term model needs features " + std::to_string(features_) +
             ", lambda, and as many weights or a set of trees" + (tree_error.empty() ? "" : ": " + tree_error);
    weights_.clear();
    trees_.Clear();
    return false;
  }
  return true;
}

bool TermModel::LoadImage(const std::string& path, std::string* error) {
  auto image = MappedImage::Open(path, ImageKind::kTermModel, kNoSlotBytes, error);
  if (image == nullptr) return false;
  weights_.clear();
  trees_.Clear();
  auto refuse = [&](const std::string& why) {
    *error = path + ": " + why;
    weights_.clear();
    trees_.Clear();
    return false;
  };
  const uint64_t weights_size = image->section(kTermWeightsSection).size;
  const uint64_t roots_size = image->section(kTermRootsSection).size;
  const uint64_t nodes_size = image->section(kTermNodesSection).size;
  if (image->section(kTermMetaSection).size != sizeof(TermModelImageMeta) || weights_size % sizeof(double) != 0 ||
      roots_size % sizeof(uint32_t) != 0 || nodes_size % sizeof(TreeEnsemble::WrittenNode) != 0) {
    return refuse("the term model's sections do not match their items");
  }
  TermModelImageMeta meta;
  std::memcpy(&meta, image->at(kTermMetaSection), sizeof meta);
  weights_ = image->Copy<double>(kTermWeightsSection);
  const size_t roots = static_cast<size_t>(roots_size / sizeof(uint32_t));
  const size_t nodes = static_cast<size_t>(nodes_size / sizeof(TreeEnsemble::WrittenNode));
  // What Parse asks of the text's lines and of the whole.
  bool ok = meta.features == features_ && features_ <= kMaxFeatures && LambdaFits(meta.lambda);
  for (double w : weights_) ok = ok && WeightFits(w);
  if (!ok) return refuse("the term model's features, lambda or weights are out of range");
  lambda_ = meta.lambda;
  std::string tree_error;
  if (roots != 0 && !trees_.Import(meta.baseline, meta.has_baseline != 0, image->at(kTermRootsSection), roots,
                                   image->at(kTermNodesSection), nodes, features_, &tree_error)) {
    return refuse("the trees are malformed: " + tree_error);
  }
  if (!LinearOrTrees() || (roots == 0 && nodes != 0)) {
    return refuse("the term model needs as many weights as features or a set of trees");
  }
  return true;
}

bool TermModel::LinearOrTrees() const {
  const bool linear = weights_.size() == static_cast<size_t>(features_) && trees_.empty();
  return linear || (weights_.empty() && !trees_.empty());
}

bool TermModel::WriteImage(const std::string& path, uint64_t source_size, std::string* error) const {
  TermModelImageMeta meta{features_, trees_.has_baseline() ? 1u : 0u, lambda_, trees_.baseline()};
  std::vector<uint32_t> roots;
  std::vector<TreeEnsemble::WrittenNode> nodes;
  if (!trees_.Export(&roots, &nodes)) {
    *error = "a term model loaded from its image is written by copying the image";
    return false;
  }
  ImageHeader header{};
  header.source_size = source_size;
  header.kind = static_cast<uint32_t>(ImageKind::kTermModel);
  header.slot_bytes = kNoSlotBytes;
  ImageExtra data[kImageSections] = {};
  data[kTermMetaSection] = {&meta, sizeof meta};
  data[kTermWeightsSection] = {weights_.data(), weights_.size() * sizeof(double)};
  data[kTermRootsSection] = {roots.data(), roots.size() * sizeof(uint32_t)};
  data[kTermNodesSection] = {nodes.data(), nodes.size() * sizeof(TreeEnsemble::WrittenNode)};
  return WriteImageBytes(path, header, data, error);
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
