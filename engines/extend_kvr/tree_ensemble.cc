#include "tree_ensemble.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "table_file.h"

namespace ekvr {
namespace {

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

constexpr char kIncomplete[] = "the trees are incomplete (a baseline, and every child inside its tree)";
// A node reached from two splits makes the trees a graph whose paths
// double with every such level: walked or laid out path by path, a few
// dozen nodes would never finish.
constexpr char kSharedChild[] = "a tree node is the child of two splits";

// Counts a split's two children; false when either already had a parent.
bool FirstParent(std::vector<uint8_t>* parents, uint32_t left, uint32_t right) {
  uint8_t& l = (*parents)[left];
  uint8_t& r = (*parents)[right];
  if (l != 0 || r != 0 || left == right) return false;
  l = r = 1;
  return true;
}

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
  tests_.clear();
  tree_tests_.clear();
}

bool TreeEnsemble::ParseLine(const std::vector<std::string_view>& cols, int features, std::string* error) {
  const std::string_view key = cols.empty() ? std::string_view() : cols[0];
  bool ok = false;
  if (key == "baseline") {
    ok = cols.size() == 2 && ParseFinite(cols[1], &baseline_);
    have_baseline_ = ok;
  } else if (key == "tree") {
    ok = cols.size() == 1;
    roots_.push_back(static_cast<uint32_t>(read_.size()));
  } else if ((key == "split" || key == "leaf") && !roots_.empty() && read_.size() < kMaxNodes) {
    const uint32_t root = roots_.back();
    ReadNode node{-1, 0, 0, 0.0};
    if (key == "leaf") {
      ok = cols.size() == 2 && ParseFinite(cols[1], &node.value);
    } else {
      uint32_t feature = 0, left = 0, right = 0;
      const uint32_t self = static_cast<uint32_t>(read_.size()) - root;
      // Children stand after their parent: every walk ends.
      ok = cols.size() == 5 && Index(cols[1], &feature) && feature < static_cast<uint32_t>(features) &&
           ParseFinite(cols[2], &node.value) && Index(cols[3], &left) && Index(cols[4], &right) && left > self &&
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

bool TreeEnsemble::Export(std::vector<uint32_t>* roots, std::vector<WrittenNode>* nodes) const {
  roots->clear();
  nodes->clear();
  if (nodes_.empty() && !roots_.empty()) return false;  // scored from the complete layout alone
  *roots = roots_;
  for (uint32_t i = 0; i < nodes_.size(); ++i) {
    const Node& n = nodes_[i];
    // A leaf leads to itself; a split to the node after it.
    if (n.left == i) {
      nodes->push_back({-1, 0, 0, 0, leaves_[i]});
    } else {
      nodes->push_back({static_cast<int32_t>(n.feature), n.left, n.right, 0, static_cast<double>(n.threshold)});
    }
  }
  return true;
}

bool TreeEnsemble::Import(double baseline, bool has_baseline, const void* roots, size_t root_count,
                          const void* nodes, size_t node_count, int features, std::string* error) {
  Clear();
  const auto root_at = [roots](size_t t) {
    uint32_t r;
    std::memcpy(&r, static_cast<const char*>(roots) + t * sizeof r, sizeof r);
    return r;
  };
  // The nodes are compiled from the bytes themselves: a copy in the read
  // layout first would be as many fresh pages again as the compiled trees.
  const auto node_at = [nodes](size_t i) {
    WrittenNode w;
    std::memcpy(&w, static_cast<const char*>(nodes) + i * sizeof w, sizeof w);
    return w.feature < 0 ? ReadNode{-1, 0, 0, w.value} : ReadNode{w.feature, w.left, w.right, w.value};
  };
  bool ok = node_count <= kMaxNodes && (root_count == 0 ? node_count == 0 : root_at(0) == 0);
  bool inside = true;  // every child inside its tree
  bool one_parent = true;
  std::vector<uint8_t> parents(ok ? node_count : 0);
  for (size_t t = 0; ok && t < root_count; ++t) {
    const uint32_t root = root_at(t);
    const uint32_t end = t + 1 < root_count ? root_at(t + 1) : static_cast<uint32_t>(node_count);
    ok = root < end && end <= node_count;
    for (uint32_t i = root; ok && i < end; ++i) {
      const ReadNode node = node_at(i);
      ok = std::isfinite(node.value);
      if (node.feature >= 0) {
        // The checks of a split line, on indices within the tree.
        const uint32_t self = i - root, left = node.left - root, right = node.right - root;
        ok = ok && node.feature < features && left > self && right > self && left < kMaxNodes &&
             right < kMaxNodes;
        inside = inside && node.left < end && node.right < end;
        one_parent = one_parent && (!ok || !inside || FirstParent(&parents, node.left, node.right));
      }
    }
  }
  if (!ok) {
    *error = "a tree node is malformed";
    Clear();
    return false;
  }
  baseline_ = baseline;
  have_baseline_ = has_baseline && std::isfinite(baseline);
  if (root_count == 0) return true;
  if (!have_baseline_ || !inside || !one_parent) {
    *error = !one_parent && have_baseline_ && inside ? kSharedChild : kIncomplete;
    Clear();
    return false;
  }
  roots_.assign(root_count, 0);
  for (size_t t = 0; t < root_count; ++t) roots_[t] = root_at(t);
  // Trees shallow enough for the complete layout are scored from it alone:
  // the walkable nodes beside it would be 24 bytes a node of fresh pages
  // (a hundred page faults at every start for the English model) that
  // nothing reads. Such trees cannot be exported again; their image is.
  Compile(node_at, node_count, /*walkable=*/false);
  return true;
}

template <typename Source>
uint32_t TreeEnsemble::Deepest(const Source& read) const {
  uint32_t deepest = 0;
  std::vector<std::pair<uint32_t, uint32_t>> stack;  // node, splits above it
  for (uint32_t root : roots_) {
    stack.assign(1, {root, 0});
    while (!stack.empty()) {
      const auto [at, depth] = stack.back();
      stack.pop_back();
      const ReadNode r = read(at);
      if (r.feature < 0) {
        deepest = std::max(deepest, depth);
      } else {
        stack.push_back({r.left, depth + 1});
        stack.push_back({r.right, depth + 1});
      }
    }
  }
  return deepest;
}

bool TreeEnsemble::Finish(std::string* error) {
  if (roots_.empty()) return true;
  bool ok = have_baseline_;
  bool one_parent = true;
  std::vector<uint8_t> parents(read_.size());
  for (size_t t = 0; ok && t < roots_.size(); ++t) {
    const uint32_t end = t + 1 < roots_.size() ? roots_[t + 1] : static_cast<uint32_t>(read_.size());
    ok = roots_[t] < end;  // no empty tree
    for (uint32_t i = roots_[t]; ok && i < end; ++i) {
      ok = read_[i].feature < 0 || (read_[i].left < end && read_[i].right < end);
      if (ok && read_[i].feature >= 0) {
        one_parent = one_parent && FirstParent(&parents, read_[i].left, read_[i].right);
      }
    }
  }
  if (!ok || !one_parent) {
    *error = ok ? kSharedChild : kIncomplete;
    Clear();
    return false;
  }
  Compile([this](size_t i) { return read_[i]; }, read_.size(), /*walkable=*/true);
  read_.clear();
  read_.shrink_to_fit();
  return true;
}

template <typename Source>
void TreeEnsemble::Compile(const Source& read, size_t count, bool walkable) {
  // Shallower trees take the layout of the depth scored by columns: a leaf
  // above it fills its subtree.
  const uint32_t deepest = Deepest(read);
  CompileComplete(read, deepest > 0 && deepest < kMaxByColumns ? kMaxByColumns : deepest);
  CompileTests();
  if (walkable || complete_depth_ == 0) CompileWalk(read, count);
}

template <typename Source>
void TreeEnsemble::CompileWalk(const Source& read, size_t count) {
  nodes_.clear();
  leaves_.clear();
  std::vector<uint32_t> roots;
  struct Pending {
    uint32_t at;      // node read
    size_t parent;    // slot whose right child it is, or kNone
  };
  constexpr size_t kNone = static_cast<size_t>(-1);
  std::vector<Pending> stack;
  // Every node read is laid out once.
  nodes_.reserve(count);
  leaves_.reserve(count);
  roots.reserve(roots_.size());
  for (uint32_t root : roots_) {
    roots.push_back(static_cast<uint32_t>(nodes_.size()));
    stack.assign(1, {root, kNone});
    while (!stack.empty()) {
      const Pending p = stack.back();
      stack.pop_back();
      const uint32_t self = static_cast<uint32_t>(nodes_.size());
      if (p.parent != kNone) nodes_[p.parent].right = self;
      const ReadNode r = read(p.at);
      if (r.feature < 0) {
        nodes_.push_back({HUGE_VALF, 0, self, self});
        leaves_.push_back(r.value);
        continue;
      }
      nodes_.push_back({FloatThreshold(r.value), static_cast<uint32_t>(r.feature), self + 1, 0});
      leaves_.push_back(0.0);
      // Left next (it is popped first), right after the left subtree.
      stack.push_back({r.right, nodes_.size() - 1});
      stack.push_back({r.left, kNone});
    }
  }
  roots_ = std::move(roots);
}

// From the nodes read and roots_ (still the read layout).
template <typename Source>
void TreeEnsemble::CompileComplete(const Source& read, uint32_t depth) {
  complete_depth_ = 0;
  splits_.clear();
  tips_.clear();
  if (depth == 0 || depth > kMaxComplete) return;
  const size_t inner = (size_t{1} << depth) - 1, tips = size_t{1} << depth;
  splits_.assign(roots_.size() * inner, {HUGE_VALF, 0});
  tips_.assign(roots_.size() * tips, 0.0);
  struct Place {
    uint32_t at;   // node read
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
        tip[p.slot - inner] = read(p.at).value;
        continue;
      }
      const ReadNode r = read(p.at);
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

// From the complete layout of depth 3.
void TreeEnsemble::CompileTests() {
  tests_.clear();
  tree_tests_.clear();
  if (complete_depth_ != kMaxByColumns) return;
  std::map<std::pair<uint32_t, uint32_t>, uint32_t> test_of;  // feature, threshold bits -> test
  for (const Split& s : splits_) {
    uint32_t bits;
    std::memcpy(&bits, &s.threshold, sizeof bits);
    const auto test = test_of.emplace(std::make_pair(s.feature, bits), static_cast<uint32_t>(tests_.size()));
    if (test.second) tests_.push_back({s.feature, s.threshold});
    tree_tests_.push_back(test.first->second);
  }
}

namespace {

constexpr size_t kBlockLanes = 64;  // candidates of a block
constexpr size_t kGroup = 16;  // lanes tested at a time

// Lanes [0, lanes) of a block of rows `stride` floats apart, as a column
// of kBlockLanes a feature; lanes from there up to width are zero.
void Transpose(const float* block, size_t lanes, size_t width, size_t stride, float* columns) {
  size_t k = 0;
#if defined(__SSE2__)
  // Four lanes by four features at a time, in registers.
  for (; k + 4 <= lanes; k += 4) {
    const float* r0 = block + k * stride;
    const float* r1 = r0 + stride;
    const float* r2 = r1 + stride;
    const float* r3 = r2 + stride;
    size_t c = 0;
    for (; c + 4 <= stride; c += 4) {
      __m128 a = _mm_loadu_ps(r0 + c), b = _mm_loadu_ps(r1 + c), d = _mm_loadu_ps(r2 + c), e = _mm_loadu_ps(r3 + c);
      _MM_TRANSPOSE4_PS(a, b, d, e);
      float* to = columns + c * kBlockLanes + k;
      _mm_storeu_ps(to, a);
      _mm_storeu_ps(to + kBlockLanes, b);
      _mm_storeu_ps(to + 2 * kBlockLanes, d);
      _mm_storeu_ps(to + 3 * kBlockLanes, e);
    }
    for (; c < stride; ++c) {
      float* to = columns + c * kBlockLanes + k;
      to[0] = r0[c];
      to[1] = r1[c];
      to[2] = r2[c];
      to[3] = r3[c];
    }
  }
#endif
  for (; k < lanes; ++k) {
    for (size_t c = 0; c < stride; ++c) columns[c * kBlockLanes + k] = block[k * stride + c];
  }
  for (size_t c = 0; c < stride; ++c) std::fill(columns + c * kBlockLanes + lanes, columns + c * kBlockLanes + width, 0.0f);
}

// out[k] = 0xFF when column[k] goes right of the threshold (above it, or
// NaN), else 0, for k < width (a multiple of kGroup).
void TestColumn(const float* column, float threshold, size_t width, uint8_t* out) {
#if defined(__SSE2__)
  const __m128 t = _mm_set1_ps(threshold);
  for (size_t k = 0; k < width; k += kGroup) {
    const __m128i a = _mm_castps_si128(_mm_cmpnle_ps(_mm_loadu_ps(column + k), t));
    const __m128i b = _mm_castps_si128(_mm_cmpnle_ps(_mm_loadu_ps(column + k + 4), t));
    const __m128i c = _mm_castps_si128(_mm_cmpnle_ps(_mm_loadu_ps(column + k + 8), t));
    const __m128i d = _mm_castps_si128(_mm_cmpnle_ps(_mm_loadu_ps(column + k + 12), t));
    const __m128i bytes = _mm_packs_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), bytes);
  }
#else
  for (size_t k = 0; k < width; ++k) out[k] = column[k] <= threshold ? 0 : 0xFF;
#endif
}

// The leaf of a depth-3 tree for each of `width` lanes (a multiple of
// kGroup), from the answers r[j] of its splits in heap order.
void ChooseLeaves(const uint8_t* const* r, size_t width, uint8_t* leaf) {
#if defined(__SSE2__)
  auto load = [](const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
  // b ? y : x for answers of 0 or 0xFF.
  auto pick = [](__m128i b, __m128i x, __m128i y) { return _mm_or_si128(_mm_and_si128(b, y), _mm_andnot_si128(b, x)); };
  const __m128i four = _mm_set1_epi8(4), two = _mm_set1_epi8(2), one = _mm_set1_epi8(1);
  for (size_t k = 0; k < width; k += kGroup) {
    const __m128i a = load(r[0] + k);
    const __m128i b = pick(a, load(r[1] + k), load(r[2] + k));
    const __m128i low = pick(b, load(r[3] + k), load(r[4] + k));
    const __m128i high = pick(b, load(r[5] + k), load(r[6] + k));
    const __m128i c = pick(a, low, high);
    const __m128i index =
        _mm_or_si128(_mm_or_si128(_mm_and_si128(a, four), _mm_and_si128(b, two)), _mm_and_si128(c, one));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(leaf + k), index);
  }
#else
  // Eight lanes a word.
  auto load = [](const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
  };
  auto pick = [](uint64_t b, uint64_t x, uint64_t y) { return (b & y) | (~b & x); };
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  for (size_t k = 0; k < width; k += 8) {
    const uint64_t a = load(r[0] + k);
    const uint64_t b = pick(a, load(r[1] + k), load(r[2] + k));
    const uint64_t low = pick(b, load(r[3] + k), load(r[4] + k));
    const uint64_t high = pick(b, load(r[5] + k), load(r[6] + k));
    const uint64_t c = pick(a, low, high);
    const uint64_t index = (a & 4 * kOnes) | (b & 2 * kOnes) | (c & kOnes);
    std::memcpy(leaf + k, &index, sizeof index);
  }
#endif
}

}  // namespace

void TreeEnsemble::ScoreByColumns(const float* features, size_t n, size_t stride, double* out) const {
  static_assert(kMaxByColumns == 3, "the leaf of a lane is chosen for trees of depth 3");
  constexpr size_t kInner = 7, kTips = 8;
  const size_t trees = roots_.size(), tests = tests_.size();
  // A block's features a column each, the answers of every distinct
  // test (a byte a lane), and every tree's leaf a lane. On the stack for
  // models of the Chinese one's size (a heap block per call cost a short
  // article more than scoring its candidates).
  const size_t column_bytes = stride * kBlockLanes * sizeof(float), need = column_bytes + (tests + trees) * kBlockLanes;
  alignas(16) unsigned char stack[40 * 1024];
  std::unique_ptr<unsigned char[]> heap;
  unsigned char* scratch = stack;
  if (need > sizeof stack) {
    heap.reset(new unsigned char[need]);
    scratch = heap.get();
  }
  float* columns = reinterpret_cast<float*>(scratch);
  uint8_t* right = scratch + column_bytes;
  uint8_t* leaf = right + tests * kBlockLanes;
  for (size_t first = 0; first < n; first += kBlockLanes) {
    const size_t lanes = std::min(kBlockLanes, n - first);
    // The last block of a short article holds a few candidates: its lanes
    // are tested in whole groups, not all kBlockLanes.
    const size_t width = (lanes + kGroup - 1) / kGroup * kGroup;
    const float* block = features + first * stride;
    Transpose(block, lanes, width, stride, columns);
    for (size_t i = 0; i < tests; ++i) {
      TestColumn(columns + tests_[i].feature * kBlockLanes, tests_[i].threshold, width, right + i * kBlockLanes);
    }
    // Each tree's leaf: a lane's answers are 0 or 0xFF bytes, so selecting
    // between two by a third is bitwise, for many lanes at once. Heap
    // order: node 0, then 1 and 2, then 3 to 6; the leaf is 4a + 2b + c.
    for (size_t t = 0; t < trees; ++t) {
      const uint32_t* test = tree_tests_.data() + t * kInner;
      const uint8_t* r[kInner];
      for (size_t j = 0; j < kInner; ++j) r[j] = right + test[j] * kBlockLanes;
      ChooseLeaves(r, width, leaf + t * kBlockLanes);
    }
    // A candidate's trees are added in their order, as a walk adds them.
    size_t k = 0;
#if defined(__SSE2__)
    // Four candidates at a time, each in its own half of a register: the
    // same additions in the same order, in two chains that do not wait on
    // one another.
    for (; k + 4 <= lanes; k += 4) {
      __m128d low = _mm_set1_pd(baseline_), high = low;
      const uint8_t* at = leaf + k;
      const double* tip = tips_.data();
      size_t t = 0;
      for (; t + 2 <= trees; t += 2, at += 2 * kBlockLanes, tip += 2 * kTips) {
        low = _mm_add_pd(low, _mm_loadh_pd(_mm_load_sd(tip + at[0]), tip + at[1]));
        high = _mm_add_pd(high, _mm_loadh_pd(_mm_load_sd(tip + at[2]), tip + at[3]));
        const uint8_t* at2 = at + kBlockLanes;
        const double* tip2 = tip + kTips;
        low = _mm_add_pd(low, _mm_loadh_pd(_mm_load_sd(tip2 + at2[0]), tip2 + at2[1]));
        high = _mm_add_pd(high, _mm_loadh_pd(_mm_load_sd(tip2 + at2[2]), tip2 + at2[3]));
      }
      if (t < trees) {
        low = _mm_add_pd(low, _mm_loadh_pd(_mm_load_sd(tip + at[0]), tip + at[1]));
        high = _mm_add_pd(high, _mm_loadh_pd(_mm_load_sd(tip + at[2]), tip + at[3]));
      }
      _mm_storeu_pd(out + first + k, low);
      _mm_storeu_pd(out + first + k + 2, high);
    }
#endif
    for (; k < lanes; ++k) {
      double score = baseline_;
      const uint8_t* at = leaf + k;
      const double* tip = tips_.data();
      size_t t = 0;
      for (; t + 4 <= trees; t += 4, at += 4 * kBlockLanes, tip += 4 * kTips) {
        score += tip[at[0]];
        score += tip[kTips + at[kBlockLanes]];
        score += tip[2 * kTips + at[2 * kBlockLanes]];
        score += tip[3 * kTips + at[3 * kBlockLanes]];
      }
      for (; t < trees; ++t, at += kBlockLanes, tip += kTips) score += tip[*at];
      out[first + k] = score;
    }
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
  // An imported model of shallow trees has only the complete layout.
  if (complete_depth_ > 0 && (n > 1 || nodes_.empty())) {
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
