// A sum of regression trees over a candidate's features: the boosted trees
// that data/extend_kvr/train_en_model.py fits, read from the model file of
// a term model ("tree", "split" and "leaf" lines, see Parse).
#ifndef TARNIX_ENGINES_EXTEND_KVR_TREE_ENSEMBLE_H_
#define TARNIX_ENGINES_EXTEND_KVR_TREE_ENSEMBLE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ekvr {

class TreeEnsemble {
 public:
  // Reads the lines of one model file that belong to the trees:
  //   baseline B            the score before any tree
  //   tree                  starts a tree; its first node is its root
  //   split F T L R         go to node L of this tree when feature F <= T,
  //                         else to node R (both after this node)
  //   leaf V                add V to the score
  // Returns false with *error set on a line it cannot take; Accepts tells
  // whether a line is one of these at all. Finish checks the whole.
  static bool Accepts(std::string_view keyword);
  bool ParseLine(const std::vector<std::string_view>& cols, int features, std::string* error);
  bool Finish(std::string* error);
  void Clear();

  bool empty() const { return roots_.empty(); }

  // The trees as a compiled image holds them: every tree's nodes in
  // preorder, children by absolute index, a split's threshold as the
  // scorer compares it (read again, it gives the same float). Part of the
  // image format (table_image.h).
  struct WrittenNode {
    int32_t feature;  // -1 for a leaf
    uint32_t left;
    uint32_t right;
    uint32_t reserved;
    double value;     // threshold of a split, score of a leaf
  };
  double baseline() const { return baseline_; }
  bool has_baseline() const { return have_baseline_; }
  // False (and nothing out) for trees imported shallow enough to be kept
  // in their complete layout alone: their image is what they are.
  bool Export(std::vector<uint32_t>* roots, std::vector<WrittenNode>* nodes) const;
  // Takes trees as Export gives them, with every check the text's lines
  // and Finish make; false with *error otherwise. The roots and nodes are
  // read in place (an image's mapped bytes, any alignment): copying them
  // out first would cost a process as many fresh pages again.
  bool Import(double baseline, bool has_baseline, const void* roots, size_t root_count, const void* nodes,
              size_t node_count, int features, std::string* error);

  // The score of a candidate: the baseline plus one leaf of every tree.
  double Score(const float* features) const;
  // The scores of n candidates whose features stand `stride` floats apart,
  // the same values as Score's. A few candidates walk each tree side by
  // side: their walks do not wait on one another.
  void ScoreMany(const float* features, size_t n, size_t stride, double* out) const;

 private:
  // As read: absolute node indices, thresholds as written.
  struct ReadNode {
    int32_t feature;  // -1 for a leaf
    uint32_t left;
    uint32_t right;
    double value;     // threshold of a split, score of a leaf
  };
  // As walked, for trees of any depth: each tree in preorder, 16 bytes a
  // node. A leaf leads to itself. A split's threshold is the largest float
  // not above the written one: comparing the float feature with it decides
  // as comparing the exact values would.
  struct Node {
    float threshold;
    uint32_t feature;
    uint32_t left;
    uint32_t right;
  };
  // Shallow trees (all of depth kMaxComplete or less, as the Chinese model
  // is) are also laid out complete, to one depth: splits in heap order
  // (children of i at 2i + 1 and 2i + 2), then the leaves; a leaf above
  // that depth fills its subtree. A walk is then the same few steps of
  // arithmetic for every candidate, without a branch to mispredict.
  static constexpr uint32_t kMaxComplete = 6;
  struct Split {
    float threshold;
    uint32_t feature;
  };
  // Lays out the nodes read(i) gives, i < count, from roots_: the complete
  // layout where the trees are shallow enough, and the walkable one where
  // they are not or where `walkable` asks for it (to be exported again).
  template <typename Source>
  void Compile(const Source& read, size_t count, bool walkable);
  template <typename Source>
  void CompileWalk(const Source& read, size_t count);
  template <typename Source>
  void CompileComplete(const Source& read, uint32_t depth);
  // Splits on the longest path of any tree from roots_ (the read layout).
  template <typename Source>
  uint32_t Deepest(const Source& read) const;
  void ScoreComplete(const float* features, size_t n, size_t stride, double* out) const;
  // Trees this shallow (the Chinese model's) are cheaper still to score by
  // testing every split of a tree for a whole block of candidates (7 tests
  // a tree at depth 3) than by walking: the tests need no gather. Trees
  // share most of their splits (the Chinese model's 100 trees test 202
  // distinct feature and threshold pairs in 643 splits), so each distinct
  // test is made once for the block, and the trees only combine answers.
  static constexpr uint32_t kMaxByColumns = 3;
  void CompileTests();
  void ScoreByColumns(const float* features, size_t n, size_t stride, double* out) const;

  double baseline_ = 0.0;
  bool have_baseline_ = false;
  std::vector<uint32_t> roots_;  // into read_ while reading, into nodes_ after
  std::vector<ReadNode> read_;
  std::vector<Node> nodes_;
  std::vector<double> leaves_;  // by node index; 0 for splits
  uint32_t complete_depth_ = 0;   // 0: no complete layout
  std::vector<Split> splits_;     // (2^depth - 1) a tree
  std::vector<double> tips_;      // 2^depth a tree
  // For ScoreByColumns: the distinct tests of the splits, and each tree's
  // seven splits as tests.
  struct Test {
    uint32_t feature;
    float threshold;
  };
  std::vector<Test> tests_;
  std::vector<uint32_t> tree_tests_;
};

static_assert(sizeof(TreeEnsemble::WrittenNode) == 24, "WrittenNode is part of the image format");

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_TREE_ENSEMBLE_H_
