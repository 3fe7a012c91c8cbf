#include "tree_ensemble.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "table_file.h"

namespace ekvr {
namespace {

bool Number(std::string_view s, double* out) { return ParseFinite(s, out); }

bool Index(std::string_view s, uint32_t* out) {
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), *out);
  return ec == std::errc() && end == s.data() + s.size();
}

// The largest float not above a written threshold: a float feature is at
// most the one exactly when it is at most the other.
float FloatThreshold(double written) {
  float t = static_cast<float>(written);
  if (static_cast<double>(t) > written) t = std::nextafter(t, -HUGE_VALF);
  return t;
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
  read_.clear();
  nodes_.clear();
  leaves_.clear();
  complete_depth_ = 0;
  splits_.clear();
  tips_.clear();
}

bool TreeEnsemble::ParseLine(const std::vector<std::string_view>& cols, int features, std::string* error) {
  const std::string_view key = cols.empty() ? std::string_view() : cols[0];
  bool ok = false;
  if (key == "baseline") {
    ok = cols.size() == 2 && Number(cols[1], &baseline_);
    have_baseline_ = ok;
  } else if (key == "tree") {
    ok = cols.size() == 1;
    roots_.push_back(static_cast<uint32_t>(read_.size()));
  } else if ((key == "split" || key == "leaf") && !roots_.empty() && read_.size() < kMaxNodes) {
    const uint32_t root = roots_.back();
    ReadNode node{-1, 0, 0, 0.0};
    if (key == "leaf") {
      ok = cols.size() == 2 && Number(cols[1], &node.value);
    } else {
      uint32_t feature = 0, left = 0, right = 0;
      const uint32_t self = static_cast<uint32_t>(read_.size()) - root;
      // Children stand after their parent: every walk ends.
      ok = cols.size() == 5 && Index(cols[1], &feature) && feature < static_cast<uint32_t>(features) &&
           Number(cols[2], &node.value) && Index(cols[3], &left) && Index(cols[4], &right) && left > self &&
           right > self && left < kMaxNodes && right < kMaxNodes;
      node.feature = static_cast<int32_t>(feature);
      node.left = root + left;
      node.right = root + right;
    }
    if (ok) read_.push_back(node);
  }
  if (!ok) *error = "a tree line is malformed";
  return ok;
}

bool TreeEnsemble::Finish(std::string* error) {
  if (roots_.empty()) return true;
  bool ok = have_baseline_;
  for (size_t t = 0; ok && t < roots_.size(); ++t) {
    const uint32_t end = t + 1 < roots_.size() ? roots_[t + 1] : static_cast<uint32_t>(read_.size());
    ok = roots_[t] < end;  // no empty tree
    for (uint32_t i = roots_[t]; ok && i < end; ++i) {
      ok = read_[i].feature < 0 || (read_[i].left < end && read_[i].right < end);
    }
  }
  if (!ok) {
    *error = "the trees are incomplete (a baseline, and every child inside its tree)";
    Clear();
    return false;
  }
  Compile();
  return true;
}

void TreeEnsemble::Compile() {
  nodes_.clear();
  leaves_.clear();
  std::vector<uint32_t> roots;
  uint32_t deepest = 0;  // splits on the longest path of any tree
  struct Pending {
    uint32_t at;      // node of read_
    size_t parent;    // slot whose right child it is, or kNone
    uint32_t depth;   // splits above it
  };
  constexpr size_t kNone = static_cast<size_t>(-1);
  std::vector<Pending> stack;
  for (uint32_t root : roots_) {
    roots.push_back(static_cast<uint32_t>(nodes_.size()));
    stack.assign(1, {root, kNone, 0});
    while (!stack.empty()) {
      const Pending p = stack.back();
      stack.pop_back();
      const uint32_t self = static_cast<uint32_t>(nodes_.size());
      if (p.parent != kNone) nodes_[p.parent].right = self;
      const ReadNode& r = read_[p.at];
      if (r.feature < 0) {
        nodes_.push_back({HUGE_VALF, 0, self, self});
        leaves_.push_back(r.value);
        deepest = std::max(deepest, p.depth);
        continue;
      }
      nodes_.push_back({FloatThreshold(r.value), static_cast<uint32_t>(r.feature), self + 1, 0});
      leaves_.push_back(0.0);
      // Left next (it is popped first), right after the left subtree.
      stack.push_back({r.right, nodes_.size() - 1, p.depth + 1});
      stack.push_back({r.left, kNone, p.depth + 1});
    }
  }
  // Shallower trees take the layout of the depth scored by columns: a leaf
  // above it fills its subtree.
  CompileComplete(deepest > 0 && deepest < kMaxByColumns ? kMaxByColumns : deepest);
  roots_ = std::move(roots);
  read_.clear();
  read_.shrink_to_fit();
}

// From read_ and roots_ (still the read layout).
void TreeEnsemble::CompileComplete(uint32_t depth) {
  complete_depth_ = 0;
  splits_.clear();
  tips_.clear();
  if (depth == 0 || depth > kMaxComplete) return;
  const size_t inner = (size_t{1} << depth) - 1, tips = size_t{1} << depth;
  splits_.assign(roots_.size() * inner, {HUGE_VALF, 0});
  tips_.assign(roots_.size() * tips, 0.0);
  struct Place {
    uint32_t at;   // node of read_
    size_t slot;   // heap index in the tree's complete layout
  };
  std::vector<Place> stack;
  for (size_t t = 0; t < roots_.size(); ++t) {
    Split* split = splits_.data() + t * inner;
    double* tip = tips_.data() + t * tips;
    stack.assign(1, {roots_[t], 0});
    while (!stack.empty()) {
      const Place p = stack.back();
      stack.pop_back();
      if (p.slot >= inner) {  // at the full depth: a leaf
        tip[p.slot - inner] = read_[p.at].value;
        continue;
      }
      const ReadNode& r = read_[p.at];
      if (r.feature < 0) {
        // A leaf above the full depth: both ways lead to it (the split
        // stays +inf on feature 0).
        stack.push_back({p.at, 2 * p.slot + 1});
        stack.push_back({p.at, 2 * p.slot + 2});
        continue;
      }
      split[p.slot] = {FloatThreshold(r.value), static_cast<uint32_t>(r.feature)};
      stack.push_back({r.left, 2 * p.slot + 1});
      stack.push_back({r.right, 2 * p.slot + 2});
    }
  }
  complete_depth_ = depth;
}

void TreeEnsemble::ScoreComplete(const float* features, size_t n, size_t stride, double* out) const {
  constexpr size_t kLanes = 8;
  const uint32_t depth = complete_depth_;
  const size_t inner = (size_t{1} << depth) - 1, tips = size_t{1} << depth;
  const size_t trees = roots_.size();
  for (size_t first = 0; first < n; first += kLanes) {
    const size_t lanes = std::min(kLanes, n - first);
    const float* f[kLanes];
    double score[kLanes];
    for (size_t k = 0; k < kLanes; ++k) {
      f[k] = features + (first + std::min(k, lanes - 1)) * stride;
      score[k] = baseline_;
    }
    for (size_t t = 0; t < trees; ++t) {
      const Split* split = splits_.data() + t * inner;
      size_t at[kLanes] = {};
      for (uint32_t step = 0; step < depth; ++step) {
        for (size_t k = 0; k < kLanes; ++k) {
          const Split& s = split[at[k]];
          at[k] = 2 * at[k] + 2 - static_cast<size_t>(f[k][s.feature] <= s.threshold);
        }
      }
      const double* tip = tips_.data() + t * tips;
      for (size_t k = 0; k < kLanes; ++k) score[k] += tip[at[k] - inner];
    }
    for (size_t k = 0; k < lanes; ++k) out[first + k] = score[k];
  }
}

void TreeEnsemble::ScoreByColumns(const float* features, size_t n, size_t stride, double* out) const {
  static_assert(kMaxByColumns == 3, "the leaf of a lane is chosen for trees of depth 3");
  constexpr size_t kLanes = 64, kInner = 7, kTips = 8;
  const size_t trees = roots_.size();
  // The block's features a column each, so that one split is tested for
  // every candidate of the block in one straight loop the compiler turns
  // into vector compares; each lane's leaf is then picked out of the seven
  // answers by arithmetic, again for all lanes at once.
  // On the stack for the feature sets the engine has (a heap block zeroed
  // per call cost a short article more than scoring its candidates); lanes
  // past the last candidate are zeroed only in a block that has them.
  constexpr size_t kStackColumns = 64;
  float stack_columns[kStackColumns * kLanes];
  std::vector<float> heap_columns;
  float* columns = stack_columns;
  if (stride > kStackColumns) {
    heap_columns.assign(stride * kLanes, 0.0f);
    columns = heap_columns.data();
  }
  uint8_t right[kInner][kLanes];
  uint8_t leaf[kLanes];
  double score[kLanes];
  for (size_t first = 0; first < n; first += kLanes) {
    const size_t lanes = std::min(kLanes, n - first);
    // The last block of a short article holds a few candidates: its lanes
    // are scored in whole groups of kGroup, not all kLanes (a short
    // abstract has 60 to 100 candidates, and a full second block doubled
    // the trees' work). Every lane is scored on its own, so the width
    // changes no score.
    constexpr size_t kGroup = 16;
    const size_t width = std::min(kLanes, (lanes + kGroup - 1) / kGroup * kGroup);
    for (size_t k = 0; k < lanes; ++k) {
      const float* f = features + (first + k) * stride;
      for (size_t c = 0; c < stride; ++c) columns[c * kLanes + k] = f[c];
    }
    if (lanes < width) {
      for (size_t c = 0; c < stride; ++c) std::fill(columns + c * kLanes + lanes, columns + c * kLanes + width, 0.0f);
    }
    std::fill(score, score + width, baseline_);
    for (size_t t = 0; t < trees; ++t) {
      const Split* split = splits_.data() + t * kInner;
      for (size_t j = 0; j < kInner; ++j) {
        const float* column = columns + split[j].feature * kLanes;
        const float threshold = split[j].threshold;
        for (size_t k = 0; k < width; ++k) right[j][k] = !(column[k] <= threshold);
      }
      // Heap order: node 0, then 1 and 2, then 3 to 6.
      for (size_t k = 0; k < width; ++k) {
        const uint8_t a = right[0][k];
        const uint8_t b = a ? right[2][k] : right[1][k];
        const uint8_t low = b ? right[4][k] : right[3][k];
        const uint8_t high = b ? right[6][k] : right[5][k];
        leaf[k] = static_cast<uint8_t>(4 * a + 2 * b + (a ? high : low));
      }
      const double* tip = tips_.data() + t * kTips;
      for (size_t k = 0; k < width; ++k) score[k] += tip[leaf[k]];
    }
    std::copy(score, score + lanes, out + first);
  }
}

double TreeEnsemble::Score(const float* features) const {
  double out = 0.0;
  ScoreMany(features, 1, 0, &out);
  return out;
}

void TreeEnsemble::ScoreMany(const float* features, size_t n, size_t stride, double* out) const {
  if (complete_depth_ == kMaxByColumns && n > 1) {
    ScoreByColumns(features, n, stride, out);
    return;
  }
  if (complete_depth_ > 0 && n > 1) {
    ScoreComplete(features, n, stride, out);
    return;
  }
  // Deep trees, or one candidate: each walk stops at its leaf (a leaf
  // leads to itself).
  const Node* nodes = nodes_.data();
  for (size_t c = 0; c < n; ++c) {
    const float* f = features + c * stride;
    double score = baseline_;
    for (uint32_t root : roots_) {
      uint32_t at = root;
      for (;;) {
        const Node& node = nodes[at];
        const uint32_t next = f[node.feature] <= node.threshold ? node.left : node.right;
        if (next == at) break;
        at = next;
      }
      score += leaves_[at];
    }
    out[c] = score;
  }
}

}  // namespace ekvr
