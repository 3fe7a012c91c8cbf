// The compiled dictionary: a character trie over GBK words with one entry
// (frequency, part-of-speech code, information text) per word.
//
// The file holds the tables the look-ups read, as they lie in memory, so
// that loading maps it and points into it: nothing is rebuilt, start-up
// takes milliseconds, and every process using a dictionary shares its
// pages. All integers are little-endian; each section starts at a multiple
// of kSectionAlign, named by its offset in the header:
//   FileHeader
//   DictEntry[entry_count]          entries in byte order of their words
//   uint16_t codes[entry_count]     the code of each entry (see CodeOf)
//   Node edges[edge_count]          the trie, see DictImage::Node
//   Node root[kRootUnits]           children of the root by unit
//   WideEdge wide[wide_slots]       hashed children of wide nodes
//   uint64_t filter[filter_words]   filter of the pairs in wide
//   char info[info_bytes]           information texts, not NUL-terminated
// A unit is the byte of a one-byte character or lead << 8 | trail of a
// double-byte one (gbk.h). The header, section offsets and sizes are
// checked at load, so a cut, foreign or misplaced file is refused. Indices
// inside the sections are checked where they are followed instead: a
// check of every node at load read the whole 60 MB of the default
// dictionaries at every start, most of a process's start-up, while a
// short article touches a few hundred nodes. A file damaged inside its
// sections may then answer wrongly, but never reads outside them.
#ifndef TARNIX_ENGINES_LEXMILL_DICT_IMAGE_H_
#define TARNIX_ENGINES_LEXMILL_DICT_IMAGE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {
class MappedFile;
}

namespace lexmill {

inline constexpr char kDictMagic[8] = {'L', 'X', 'M', 'D', 'I', 'C', 'T', '\0'};
inline constexpr uint32_t kDictVersion = 2;
inline constexpr uint32_t kByteOrderMark = 0x01020304;
inline constexpr uint32_t kSectionAlign = 64;  // a cache line
inline constexpr uint32_t kRootUnits = 65536;

// The sections in file order.
enum DictSection : int {
  kSectionEntries,
  kSectionCodes,
  kSectionEdges,
  kSectionRoot,
  kSectionWide,
  kSectionFilter,
  kSectionInfo,
  kSectionCount
};

struct FileHeader {
  char magic[8];
  uint32_t version;
  uint32_t byte_order;  // kByteOrderMark as the writing host stored it
  uint64_t file_bytes;
  uint64_t total_freq;
  uint32_t entry_count;
  uint32_t node_count;  // nodes of the trie, the root included
  uint32_t edge_count;
  uint32_t wide_slots;    // a power of two
  uint32_t filter_words;  // a power of two
  uint32_t info_bytes;
  uint32_t max_word_bytes;
  uint32_t reserved;
  // Digest of the trie's nodes, edges and word frequencies: dictionaries
  // with equal counts and digests share one trie in memory.
  uint64_t trie_digest[2];
  uint64_t offset[kSectionCount];
};
static_assert(sizeof(FileHeader) == 136, "header layout is part of the file format");

struct DictEntry {
  uint32_t freq;
  uint32_t info_offset;
  uint32_t info_length;
  uint16_t code;
  uint16_t reserved;
};
static_assert(sizeof(DictEntry) == 16, "entry layout is part of the file format");

// A trie node as the dictionary compiler builds it, before Write lays the
// trie out in the file's form.
struct TrieNode {
  uint32_t edge_begin;
  uint32_t edge_count;
  uint32_t entry;  // entry index + 1; 0 = no word ends here
};
static_assert(sizeof(TrieNode) == 12, "nodes are hashed into the trie digest as they lie");

// What the dictionary compiler hands to DictImage::Write.
struct DictParts {
  std::vector<DictEntry> entries;
  std::vector<TrieNode> nodes;  // node 0 is the root; edges of a node are
                                // contiguous and sorted by unit
  std::vector<uint16_t> edge_unit;    // character unit of each edge
  std::vector<uint32_t> edge_target;  // node reached by each edge
  std::string info;
  uint64_t total_freq = 0;
  uint32_t max_word_bytes = 0;
};

class DictImage {
 public:
  // Maps and checks a compiled file. Null with *error set on any problem.
  static std::unique_ptr<DictImage> Load(const std::string& path, std::string* error);
  // Lays parts out in the file's form and writes them to path, through a
  // file renamed over it: processes that have the old one mapped keep it.
  static bool Write(const DictParts& parts, const std::string& path, std::string* error);
  ~DictImage();

  // A trie node as kept in memory, stored in the edge that leads to it:
  // the unit of that edge beside the node's own children, entry and log
  // probability. The children of a node are one run of these, sorted by
  // unit, so a step down the trie reads one place (the run it scans holds
  // the node it finds) instead of an edge list and then a node array.
  // A node's children field holds their number in its low four bits (up
  // to kScanLimit; kWide for more) and, for a node with a scanned run, a
  // signature of their units in the twelve above: a bit per unit, chosen
  // by UnitBit. Most walks end with a step to a unit no child has, and the
  // signature turns most of those away without reading the run.
  struct Node {
    uint16_t unit;         // the unit of the edge into this node
    uint16_t children;     // count and signature, see above; 0 = a leaf
    uint32_t first_child;  // index in edges_ of its first edge
    uint32_t entry;        // entry index + 1; 0 = no word ends here
    float log_prob;        // LogProb of that entry
  };

  // The node reached from the root along unit, or null. The first level is
  // copied into a table of all 65536 units, since every walk starts there.
  const Node* RootChild(uint16_t unit) const {
    const Node& n = root_nodes_[unit];
    return n.entry != 0 || n.children != 0 ? &n : nullptr;
  }
  // The child of node along unit, or null. A short run is scanned, and
  // the scan stops at the first unit past the one sought.
  const Node* ChildOf(const Node& node, uint16_t unit) const {
    const unsigned count = node.children & kCountMask;
    if (count == kWide) return FindWide(node.first_child, unit);
    if ((node.children & UnitBit(unit)) == 0) return nullptr;
    if (uint64_t{node.first_child} + count > edge_count_) return nullptr;  // damaged
    const Node* child = edges_ + node.first_child;
    for (const Node* end = child + count; child != end; ++child) {
      if (child->unit >= unit) return child->unit == unit ? child : nullptr;
    }
    return nullptr;
  }
  // Whether the two read one trie in memory (see TrieTables).
  bool SharesTrieWith(const DictImage& other) const { return edges_ == other.edges_; }

  // Entry of the word that ends at node, or null.
  const DictEntry* EntryOf(const Node& node) const {
    return node.entry - 1u < entry_count_ ? &entries_[node.entry - 1] : nullptr;  // 0 wraps
  }
  // The part-of-speech code of entry index + 1 as a node holds it (not 0).
  // Kept apart from the entries, a sixth of their size: segmentation asks
  // for the code of every word it cuts, in no order, and nothing else of
  // the entry.
  // A damaged node's entry past the last has code 0.
  uint16_t CodeOf(uint32_t node_entry) const {
    return node_entry - 1u < entry_count_ ? codes_[node_entry - 1] : 0;
  }
  // Entry of the GBK word of length bytes, or null.
  const DictEntry* Find(const char* word, size_t length) const;

  // Empty for a damaged entry whose text lies outside the section.
  std::string_view Info(const DictEntry& e) const {
    if (uint64_t{e.info_offset} + e.info_length > info_bytes_) return {};
    return std::string_view(info_ + e.info_offset, e.info_length);
  }
  // Natural log of the word's share of the total frequency; words listed
  // with frequency 0 count as 1, like characters the dictionary lacks.
  double LogProb(const DictEntry& e) const;
  double MinLogProb() const { return min_log_prob_; }

  size_t entry_count() const { return entry_count_; }
  size_t node_count() const { return node_count_; }
  uint32_t max_word_bytes() const { return max_word_bytes_; }

 private:
  DictImage() = default;
  static double LogProbOf(uint32_t freq, double min_log_prob);
  // Children of nodes with more than kScanLimit of them, hashed by (the
  // node's first edge, unit): one probe instead of a scan through cold
  // memory. The first edge identifies the node, and copies of first-level
  // nodes alike. The slot holds a copy of the child, so that the probe is
  // the only read: most walks take this path at their second character
  // (first characters have many followers), and a second read of the child
  // in edges_ was as slow as the probe.
  struct WideEdge {
    uint32_t node;  // the node's first edge + 1; 0 = an empty slot
    Node child;     // the child, its unit included
  };
  static_assert(sizeof(Node) == 16 && alignof(Node) <= kSectionAlign, "Node is part of the file format");
  static_assert(sizeof(WideEdge) == 20, "WideEdge is part of the file format");
  static constexpr uint32_t kScanLimit = 8;
  static constexpr unsigned kCountMask = 15, kWide = 15;
  static_assert(kScanLimit < kWide, "a scanned run's count must fit below the wide mark");
  // One of the twelve signature bits, from the top bits of a product that
  // spreads neighbouring units apart.
  static uint16_t UnitBit(uint16_t unit) {
    const uint32_t pick = static_cast<uint32_t>((uint64_t{unit * 0x9E3779B1u} * 12) >> 32);
    return static_cast<uint16_t>(16u << pick);
  }
  static size_t WideSlot(uint32_t node, uint16_t unit, size_t mask) {
    return ((node * 0x9E3779B1u) ^ (unit * 0x85EBCA77u)) & mask;
  }
  // A filter of the (node, unit) pairs in wide_, a 64-bit word of it per
  // pair: half of the pairs a text asks for (a character and the one after
  // it) begin no word, and the filter, a fortieth of the table's size,
  // answers those from the cache where the table would wait for memory.
  static uint64_t PairMix(uint32_t node, uint16_t unit) {
    uint64_t x = (uint64_t{node} << 16 | unit) * 0x9E3779B97F4A7C15ull;
    return x ^ (x >> 29);
  }
  static uint64_t PairBits(uint64_t x) {
    return uint64_t{1} << (x & 63) | uint64_t{1} << (x >> 6 & 63) | uint64_t{1} << (x >> 12 & 63);
  }
  static size_t PairWord(uint64_t x, size_t mask) { return static_cast<size_t>(x >> 40) & mask; }
  const Node* FindWide(uint32_t first_child, uint16_t unit) const {
    const uint32_t node = first_child + 1;
    const uint64_t x = PairMix(node, unit);
    const uint64_t bits = PairBits(x);
    if ((wide_filter_[PairWord(x, wide_filter_mask_)] & bits) != bits) return nullptr;
    // A probe ends at an empty slot; one pass round a damaged table
    // without any ends it too.
    size_t i = WideSlot(node, unit, wide_mask_);
    for (size_t left = wide_mask_ + 1; left != 0; --left, i = (i + 1) & wide_mask_) {
      const WideEdge& e = wide_[i];
      if (e.node == node && e.child.unit == unit) return &e.child;
      if (e.node == 0) return nullptr;
    }
    return nullptr;
  }

  // The trie as the walks read it, in a mapped file. Two dictionaries
  // compiled from the same words with the same frequencies (the
  // segmentation and the general dictionary are) have the same one, and
  // share it: the second's trie is neither checked nor read, and look-ups
  // in either find the nodes the other's walks brought into the cache.
  struct TrieTables {
    std::shared_ptr<const tarnix::MappedFile> file;
    const Node* edges = nullptr;  // the node each edge leads to, in edge order
    const WideEdge* wide = nullptr;
    size_t wide_mask = 0;
    const uint64_t* wide_filter = nullptr;
    size_t wide_filter_mask = 0;
    const Node* root_nodes = nullptr;  // children of the root by unit
  };
  // What a trie is shared by: the sizes and the digest the file states.
  struct TrieKey {
    uint64_t counts[4];
    uint64_t digest[2];
    bool operator<(const TrieKey& o) const;
  };
  void Use(std::shared_ptr<const TrieTables> trie);

  std::shared_ptr<const tarnix::MappedFile> file_;
  const DictEntry* entries_ = nullptr;
  size_t entry_count_ = 0;
  const uint16_t* codes_ = nullptr;
  size_t edge_count_ = 0;
  std::shared_ptr<const TrieTables> trie_;
  // trie_'s tables, read directly by the walks.
  const Node* edges_ = nullptr;
  const WideEdge* wide_ = nullptr;
  size_t wide_mask_ = 0;
  const uint64_t* wide_filter_ = nullptr;
  size_t wide_filter_mask_ = 0;
  const Node* root_nodes_ = nullptr;
  const char* info_ = nullptr;
  size_t info_bytes_ = 0;
  size_t node_count_ = 0;
  double min_log_prob_ = 0.0;
  uint64_t total_freq_ = 0;
  uint32_t max_word_bytes_ = 0;
};

}  // namespace lexmill

#endif  // TARNIX_ENGINES_LEXMILL_DICT_IMAGE_H_
