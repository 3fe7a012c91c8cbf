#include "dict_image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>

#include "gbk.h"

namespace lexmill {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Size of an open file, or -1. Seeks back to the start.
int64_t FileSize(std::FILE* f) {
  if (std::fseek(f, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(f);
  if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) return -1;
  return size;
}

template <typename T>
bool ReadArray(std::FILE* f, uint32_t count, std::vector<T>* out) {
  out->resize(count);
  return count == 0 || std::fread(out->data(), sizeof(T), count, f) == count;
}

bool Fail(std::string* error, const std::string& message) {
  *error = message;
  return false;
}

}  // namespace

std::unique_ptr<DictImage> DictImage::Load(const std::string& path, std::string* error) {
  File f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    *error = "cannot open " + path;
    return nullptr;
  }
  const int64_t size = FileSize(f.get());
  FileHeader h;
  if (size < static_cast<int64_t>(sizeof h) || std::fread(&h, sizeof h, 1, f.get()) != 1) {
    *error = path + ": too short for a dictionary";
    return nullptr;
  }
  if (std::memcmp(h.magic, kDictMagic, sizeof h.magic) != 0) {
    *error = path + ": not a compiled dictionary";
    return nullptr;
  }
  if (h.byte_order != kByteOrderMark || h.version != kDictVersion) {
    *error = path + ": unsupported version or byte order";
    return nullptr;
  }
  const uint64_t expected = sizeof h + uint64_t{h.entry_count} * sizeof(DictEntry) +
                            uint64_t{h.node_count} * sizeof(TrieNode) +
                            uint64_t{h.edge_count} * (sizeof(uint16_t) + sizeof(uint32_t)) +
                            h.info_bytes;
  if (expected != static_cast<uint64_t>(size) || h.node_count == 0) {
    *error = path + ": section sizes do not match the file size";
    return nullptr;
  }
  std::unique_ptr<DictImage> image(new DictImage());
  image->info_.resize(h.info_bytes);
  std::vector<TrieNode> nodes;
  const bool read = ReadArray(f.get(), h.entry_count, &image->entries_) &&
                    ReadArray(f.get(), h.node_count, &nodes) &&
                    ReadArray(f.get(), h.edge_count, &image->edge_unit_) &&
                    ReadArray(f.get(), h.edge_count, &image->edge_target_) &&
                    (h.info_bytes == 0 ||
                     std::fread(&image->info_[0], 1, h.info_bytes, f.get()) == h.info_bytes);
  if (!read) {
    *error = path + ": read error";
    return nullptr;
  }
  image->total_freq_ = h.total_freq;
  image->max_word_bytes_ = h.max_word_bytes;
  std::string why;
  if (!image->Check(nodes, &why)) {
    *error = path + ": " + why;
    return nullptr;
  }
  image->Index(nodes);
  return image;
}

bool DictImage::Check(const std::vector<TrieNode>& nodes, std::string* error) const {
  for (const DictEntry& e : entries_) {
    if (uint64_t{e.info_offset} + e.info_length > info_.size()) {
      return Fail(error, "information text out of range");
    }
  }
  for (const TrieNode& n : nodes) {
    if (uint64_t{n.edge_begin} + n.edge_count > edge_unit_.size()) {
      return Fail(error, "trie edges out of range");
    }
    if (n.entry > entries_.size()) return Fail(error, "trie entry out of range");
    for (uint32_t k = 1; k < n.edge_count; ++k) {
      if (edge_unit_[n.edge_begin + k - 1] >= edge_unit_[n.edge_begin + k]) {
        return Fail(error, "trie edges not sorted");
      }
    }
  }
  for (uint32_t t : edge_target_) {
    if (t == 0 || t >= nodes.size()) return Fail(error, "trie edge target out of range");
  }
  return true;
}

namespace {

// Two independent 64-bit mixes of a byte range, 8 bytes at a time.
class Digest {
 public:
  void Add(const void* data, size_t bytes) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (; bytes >= 8; p += 8, bytes -= 8) {
      uint64_t k;
      std::memcpy(&k, p, 8);
      Mix(k);
    }
    uint64_t k = bytes;  // the tail, with its length
    for (size_t i = 0; i < bytes; ++i) k |= uint64_t{p[i]} << (8 * i + 8);
    Mix(k);
  }
  uint64_t a() const { return a_ ^ (a_ >> 31); }
  uint64_t b() const { return b_ ^ (b_ >> 29); }

 private:
  void Mix(uint64_t k) {
    a_ = (a_ ^ (k * 0x9E3779B97F4A7C15ull)) * 0xBF58476D1CE4E5B9ull;
    a_ ^= a_ >> 32;
    b_ = (b_ + k) * 0x94D049BB133111EBull;
    b_ ^= b_ >> 29;
  }
  uint64_t a_ = 0x243F6A8885A308D3ull;
  uint64_t b_ = 0x13198A2E03707344ull;
};

}  // namespace

bool DictImage::TrieKey::operator<(const TrieKey& o) const {
  const int by_counts = std::memcmp(counts, o.counts, sizeof counts);
  return by_counts != 0 ? by_counts < 0 : std::memcmp(digest, o.digest, sizeof digest) < 0;
}

DictImage::TrieKey DictImage::KeyOf(const std::vector<TrieNode>& nodes) const {
  TrieKey key{{entries_.size(), nodes.size(), edge_unit_.size(), total_freq_}, {0, 0}};
  Digest d;
  d.Add(nodes.data(), nodes.size() * sizeof(TrieNode));
  d.Add(edge_unit_.data(), edge_unit_.size() * sizeof(uint16_t));
  d.Add(edge_target_.data(), edge_target_.size() * sizeof(uint32_t));
  for (const DictEntry& e : entries_) d.Add(&e.freq, sizeof e.freq);
  key.digest[0] = d.a();
  key.digest[1] = d.b();
  return key;
}

void DictImage::Index(const std::vector<TrieNode>& nodes) {
  min_log_prob_ = -std::log(static_cast<double>(std::max<uint64_t>(total_freq_, 1)));
  node_count_ = nodes.size();
  codes_.resize(entries_.size());
  for (size_t e = 0; e < entries_.size(); ++e) codes_[e] = entries_[e].code;
  // The tries of the dictionaries loaded, while one of them is; equal
  // sizes keep every index of a shared trie within this dictionary's
  // entries, whatever the digest says.
  static std::mutex mutex;
  static std::map<TrieKey, std::weak_ptr<const TrieTables>> loaded;
  const TrieKey key = KeyOf(nodes);
  {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = loaded.find(key);
    if (it != loaded.end()) {
      if (auto trie = it->second.lock()) Use(std::move(trie));
    }
  }
  if (!trie_) {
    // Built outside the lock: it takes tens of milliseconds, and a load of
    // another dictionary need not wait. Two loads of the same trie at once
    // may both build it; the first to finish is the one shared.
    std::shared_ptr<const TrieTables> built = BuildTrie(nodes);
    std::lock_guard<std::mutex> lock(mutex);
    std::weak_ptr<const TrieTables>& slot = loaded[key];
    std::shared_ptr<const TrieTables> shared = slot.lock();
    if (!shared) {
      slot = built;
      shared = std::move(built);
    }
    Use(std::move(shared));
    // Forget the tries nobody uses any more.
    for (auto i = loaded.begin(); i != loaded.end();) i = i->second.expired() ? loaded.erase(i) : std::next(i);
  }
  std::vector<uint16_t>().swap(edge_unit_);
  std::vector<uint32_t>().swap(edge_target_);
}

void DictImage::Use(std::shared_ptr<const TrieTables> trie) {
  trie_ = std::move(trie);
  edges_ = trie_->edges.data();
  wide_ = trie_->wide.data();
  wide_mask_ = trie_->wide_mask;
  wide_filter_ = trie_->wide_filter.data();
  wide_filter_mask_ = trie_->wide_filter_mask;
  root_nodes_ = trie_->root_nodes.data();
}

std::shared_ptr<DictImage::TrieTables> DictImage::BuildTrie(const std::vector<TrieNode>& nodes) const {
  auto trie = std::make_shared<TrieTables>();
  // Every node but the root is the target of an edge; its record goes into
  // that edge, so the children of a node lie where its edges do.
  auto record = [&](uint16_t unit, const TrieNode& n) {
    const float lp = n.entry == 0 ? 0.0f : static_cast<float>(LogProb(entries_[n.entry - 1]));
    uint16_t children = kWide;
    if (n.edge_count <= kScanLimit) {
      children = static_cast<uint16_t>(n.edge_count);
      for (uint32_t k = 0; k < n.edge_count; ++k) children |= UnitBit(edge_unit_[n.edge_begin + k]);
    }
    return Node{unit, children, n.edge_begin, n.entry, lp};
  };
  std::vector<Node>& edges = trie->edges;
  edges.resize(edge_unit_.size());
  for (size_t k = 0; k < edges.size(); ++k) edges[k] = record(edge_unit_[k], nodes[edge_target_[k]]);
  trie->root_nodes.assign(65536, Node{0, 0, 0, 0, 0.0f});
  const TrieNode& root = nodes[0];
  for (uint32_t k = 0; k < root.edge_count; ++k) {
    const Node& child = edges[root.edge_begin + k];
    trie->root_nodes[child.unit] = child;
  }
  IndexWide(nodes, trie.get());
  return trie;
}

void DictImage::IndexWide(const std::vector<TrieNode>& nodes, TrieTables* trie) const {
  // The root's children are found through root_nodes instead.
  size_t wide_edges = 0;
  for (size_t i = 1; i < nodes.size(); ++i) {
    if (nodes[i].edge_count > kScanLimit) wide_edges += nodes[i].edge_count;
  }
  size_t slots = 16;
  while (slots < wide_edges * 2) slots *= 2;  // at most half full
  std::vector<WideEdge>& wide = trie->wide;
  wide.assign(slots, WideEdge{0, Node{0, 0, 0, 0, 0.0f}});
  trie->wide_mask = slots - 1;
  size_t words = 1;
  while (words * 8 < wide_edges) words *= 2;  // about 8 bits a pair
  trie->wide_filter.assign(words, 0);
  trie->wide_filter_mask = words - 1;
  const std::vector<Node>& edges = trie->edges;
  for (size_t i = 1; i < nodes.size(); ++i) {
    const TrieNode& n = nodes[i];
    if (n.edge_count <= kScanLimit) continue;
    // Check keeps edge_begin + edge_count within the edges, so the key
    // cannot wrap to the empty mark.
    const uint32_t key = n.edge_begin + 1;
    for (uint32_t k = 0; k < n.edge_count; ++k) {
      const uint32_t child = n.edge_begin + k;
      size_t s = WideSlot(key, edges[child].unit, trie->wide_mask);
      while (wide[s].node != 0) s = (s + 1) & trie->wide_mask;
      wide[s] = WideEdge{key, edges[child]};
      const uint64_t x = PairMix(key, edges[child].unit);
      trie->wide_filter[PairWord(x, trie->wide_filter_mask)] |= PairBits(x);
    }
  }
}

double DictImage::LogProb(const DictEntry& e) const {
  return std::log(static_cast<double>(std::max<uint32_t>(e.freq, 1))) + min_log_prob_;
}

const DictEntry* DictImage::Find(const char* word, size_t length) const {
  if (length == 0) return nullptr;
  const auto* p = reinterpret_cast<const unsigned char*>(word);
  const Node* node = nullptr;
  for (size_t at = 0; at < length;) {
    const CharInfo c = ReadChar(p + at, length - at);
    if (c.kind == CharKind::kInvalid) return nullptr;
    node = at == 0 ? RootChild(c.unit) : ChildOf(*node, c.unit);
    if (node == nullptr) return nullptr;
    at += c.length;
  }
  return EntryOf(*node);
}

}  // namespace lexmill
