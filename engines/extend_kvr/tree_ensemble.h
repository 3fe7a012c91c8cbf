// A sum of regression trees over a candidate's features: the boosted trees
// that data/extend_kvr/train_en_model.py fits, read from the model file of
// a term model ("tree", "split" and "leaf" lines, see Parse).
#ifndef TARNIX_ENGINES_EXTEND_KVR_TREE_ENSEMBLE_H_
#define TARNIX_ENGINES_EXTEND_KVR_TREE_ENSEMBLE_H_

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
  size_t trees() const { return roots_.size(); }

  // The score of a candidate: the baseline plus one leaf of every tree.
  double Score(const float* features) const;

 private:
  struct Node {
    int32_t feature;  // -1 for a leaf
    uint32_t left;    // absolute node indices
    uint32_t right;
    double value;     // threshold of a split, score of a leaf
  };
  double baseline_ = 0.0;
  bool have_baseline_ = false;
  std::vector<uint32_t> roots_;
  std::vector<Node> nodes_;
};

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_TREE_ENSEMBLE_H_
