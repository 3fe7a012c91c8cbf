#include "tree_ensemble.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace ekvr {
namespace {

bool Number(std::string_view s, double* out) {
  const std::string copy(s);
  char* end = nullptr;
  *out = std::strtod(copy.c_str(), &end);
  return !copy.empty() && end == copy.c_str() + copy.size() && std::isfinite(*out);
}

bool Index(std::string_view s, uint32_t* out) {
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), *out);
  return ec == std::errc() && end == s.data() + s.size();
}

// A model file is read once; this bounds what a damaged one can allocate.
constexpr size_t kMaxNodes = 1u << 22;

}  // namespace

bool TreeEnsemble::Accepts(std::string_view keyword) {
  return keyword == "baseline" || keyword == "tree" || keyword == "split" || keyword == "leaf";
}

void TreeEnsemble::Clear() {
  baseline_ = 0.0;
  have_baseline_ = false;
  roots_.clear();
  nodes_.clear();
}

bool TreeEnsemble::ParseLine(const std::vector<std::string_view>& cols, int features, std::string* error) {
  const std::string_view key = cols.empty() ? std::string_view() : cols[0];
  bool ok = false;
  if (key == "baseline") {
    ok = cols.size() == 2 && Number(cols[1], &baseline_);
    have_baseline_ = ok;
  } else if (key == "tree") {
    ok = cols.size() == 1;
    roots_.push_back(static_cast<uint32_t>(nodes_.size()));
  } else if ((key == "split" || key == "leaf") && !roots_.empty() && nodes_.size() < kMaxNodes) {
    const uint32_t root = roots_.back();
    Node node{-1, 0, 0, 0.0};
    if (key == "leaf") {
      ok = cols.size() == 2 && Number(cols[1], &node.value);
    } else {
      uint32_t feature = 0, left = 0, right = 0;
      const uint32_t self = static_cast<uint32_t>(nodes_.size()) - root;
      // Children stand after their parent: every walk ends.
      ok = cols.size() == 5 && Index(cols[1], &feature) && feature < static_cast<uint32_t>(features) &&
           Number(cols[2], &node.value) && Index(cols[3], &left) && Index(cols[4], &right) && left > self &&
           right > self && left < kMaxNodes && right < kMaxNodes;
      node.feature = static_cast<int32_t>(feature);
      node.left = root + left;
      node.right = root + right;
    }
    if (ok) nodes_.push_back(node);
  }
  if (!ok) *error = "a tree line is malformed";
  return ok;
}

bool TreeEnsemble::Finish(std::string* error) {
  if (roots_.empty()) return true;
  bool ok = have_baseline_;
  for (size_t t = 0; ok && t < roots_.size(); ++t) {
    const uint32_t end = t + 1 < roots_.size() ? roots_[t + 1] : static_cast<uint32_t>(nodes_.size());
    ok = roots_[t] < end;  // no empty tree
    for (uint32_t i = roots_[t]; ok && i < end; ++i) {
      ok = nodes_[i].feature < 0 || (nodes_[i].left < end && nodes_[i].right < end);
    }
  }
  if (!ok) {
    *error = "the trees are incomplete (a baseline, and every child inside its tree)";
    Clear();
  }
  return ok;
}

double TreeEnsemble::Score(const float* features) const {
  double score = baseline_;
  const Node* nodes = nodes_.data();
  for (uint32_t root : roots_) {
    const Node* n = nodes + root;
    while (n->feature >= 0) {
      n = nodes + (static_cast<double>(features[n->feature]) <= n->value ? n->left : n->right);
    }
    score += n->value;
  }
  return score;
}

}  // namespace ekvr
