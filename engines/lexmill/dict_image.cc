#include "dict_image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>

#include "gbk.h"
#include "platform.h"

namespace lexmill {

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

struct Span {
  size_t count;
  size_t bytes;  // of one element
};

// The element counts and sizes of the sections a header describes.
void SectionSpans(const FileHeader& h, Span* spans, size_t node_bytes, size_t wide_bytes) {
  spans[kSectionEntries] = {h.entry_count, sizeof(DictEntry)};
  spans[kSectionCodes] = {h.entry_count, sizeof(uint16_t)};
  spans[kSectionEdges] = {h.edge_count, node_bytes};
  spans[kSectionRoot] = {kRootUnits, node_bytes};
  spans[kSectionWide] = {h.wide_slots, wide_bytes};
  spans[kSectionFilter] = {h.filter_words, sizeof(uint64_t)};
  spans[kSectionInfo] = {h.info_bytes, 1};
}

bool IsPowerOfTwo(uint32_t n) { return n != 0 && (n & (n - 1)) == 0; }

}  // namespace

DictImage::~DictImage() = default;

std::unique_ptr<DictImage> DictImage::Load(const std::string& path, std::string* error) {
  std::shared_ptr<const tarnix::MappedFile> file = tarnix::MappedFile::Open(path, error);
  if (!file) return nullptr;
  auto refuse = [&](const char* why) {
    *error = path + ": " + why;
    return nullptr;
  };
  FileHeader h;
  if (file->size() < sizeof h) return refuse("too short for a dictionary");
  std::memcpy(&h, file->data(), sizeof h);
  if (std::memcmp(h.magic, kDictMagic, sizeof h.magic) != 0) return refuse("not a compiled dictionary");
  if (h.byte_order != kByteOrderMark || h.version != kDictVersion) {
    return refuse("unsupported version or byte order (rebuild it with lexmill_dictc)");
  }
  if (h.file_bytes != file->size()) return refuse("file size does not match its header (cut short?)");
  if (h.node_count == 0 || h.node_count - 1 != h.edge_count || !IsPowerOfTwo(h.wide_slots) ||
      !IsPowerOfTwo(h.filter_words)) {
    return refuse("inconsistent section sizes");
  }
  Span spans[kSectionCount];
  SectionSpans(h, spans, sizeof(Node), sizeof(WideEdge));
  for (int s = 0; s < kSectionCount; ++s) {
    const uint64_t at = h.offset[s];
    if (at % kSectionAlign != 0 || at < sizeof h || at > h.file_bytes ||
        uint64_t{spans[s].count} * spans[s].bytes > h.file_bytes - at) {
      return refuse("section offset or size out of the file");
    }
  }
  std::unique_ptr<DictImage> image(new DictImage());
  const char* base = file->data();
  image->entries_ = reinterpret_cast<const DictEntry*>(base + h.offset[kSectionEntries]);
  image->entry_count_ = h.entry_count;
  image->codes_ = reinterpret_cast<const uint16_t*>(base + h.offset[kSectionCodes]);
  image->edge_count_ = h.edge_count;
  image->info_ = base + h.offset[kSectionInfo];
  image->info_bytes_ = h.info_bytes;
  image->node_count_ = h.node_count;
  image->total_freq_ = h.total_freq;
  image->max_word_bytes_ = h.max_word_bytes;
  image->min_log_prob_ = -std::log(static_cast<double>(std::max<uint64_t>(h.total_freq, 1)));
  image->file_ = file;
  // The tries of the dictionaries loaded, while one of them is. Equal
  // counts keep every index of a shared trie within this dictionary's
  // entries and edges, whatever the digest says.
  static std::mutex mutex;
  static std::map<TrieKey, std::weak_ptr<const TrieTables>> loaded;
  const TrieKey key{{h.entry_count, h.node_count, h.edge_count, h.total_freq},
                    {h.trie_digest[0], h.trie_digest[1]}};
  {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = loaded.find(key);
    if (it != loaded.end()) {
      if (auto trie = it->second.lock()) image->Use(std::move(trie));
    }
  }
  if (!image->trie_) {
    auto trie = std::make_shared<TrieTables>();
    trie->file = file;
    trie->edges = reinterpret_cast<const Node*>(base + h.offset[kSectionEdges]);
    trie->root_nodes = reinterpret_cast<const Node*>(base + h.offset[kSectionRoot]);
    trie->wide = reinterpret_cast<const WideEdge*>(base + h.offset[kSectionWide]);
    trie->wide_mask = h.wide_slots - 1;
    trie->wide_filter = reinterpret_cast<const uint64_t*>(base + h.offset[kSectionFilter]);
    trie->wide_filter_mask = h.filter_words - 1;
    image->Use(trie);
    std::lock_guard<std::mutex> lock(mutex);
    std::weak_ptr<const TrieTables>& slot = loaded[key];
    if (slot.expired()) slot = trie;
    // Forget the tries nobody uses any more.
    for (auto i = loaded.begin(); i != loaded.end();) i = i->second.expired() ? loaded.erase(i) : std::next(i);
  }
  return image;
}

bool DictImage::TrieKey::operator<(const TrieKey& o) const {
  const int by_counts = std::memcmp(counts, o.counts, sizeof counts);
  return by_counts != 0 ? by_counts < 0 : std::memcmp(digest, o.digest, sizeof digest) < 0;
}

void DictImage::Use(std::shared_ptr<const TrieTables> trie) {
  trie_ = std::move(trie);
  edges_ = trie_->edges;
  wide_ = trie_->wide;
  wide_mask_ = trie_->wide_mask;
  wide_filter_ = trie_->wide_filter;
  wide_filter_mask_ = trie_->wide_filter_mask;
  root_nodes_ = trie_->root_nodes;
}

double DictImage::LogProbOf(uint32_t freq, double min_log_prob) {
  return std::log(static_cast<double>(std::max<uint32_t>(freq, 1))) + min_log_prob;
}

double DictImage::LogProb(const DictEntry& e) const { return LogProbOf(e.freq, min_log_prob_); }

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Appends the elements of v at the next multiple of kSectionAlign and
// returns where they start.
template <typename T>
uint64_t Append(const T* data, size_t count, std::string* out) {
  out->resize((out->size() + kSectionAlign - 1) / kSectionAlign * kSectionAlign, '\0');
  const uint64_t at = out->size();
  out->append(reinterpret_cast<const char*>(data), count * sizeof(T));
  return at;
}

}  // namespace

bool DictImage::Write(const DictParts& parts, const std::string& path, std::string* error) {
  const std::vector<TrieNode>& nodes = parts.nodes;
  const std::vector<uint16_t>& edge_unit = parts.edge_unit;
  const double min_log_prob = -std::log(static_cast<double>(std::max<uint64_t>(parts.total_freq, 1)));
  // Every node but the root is the target of an edge; its record goes into
  // that edge, so the children of a node lie where its edges do.
  auto record = [&](uint16_t unit, const TrieNode& n) {
    const float lp =
        n.entry == 0 ? 0.0f : static_cast<float>(LogProbOf(parts.entries[n.entry - 1].freq, min_log_prob));
    uint16_t children = kWide;
    if (n.edge_count <= kScanLimit) {
      children = static_cast<uint16_t>(n.edge_count);
      for (uint32_t k = 0; k < n.edge_count; ++k) children |= UnitBit(edge_unit[n.edge_begin + k]);
    }
    return Node{unit, children, n.edge_begin, n.entry, lp};
  };
  std::vector<Node> edges(edge_unit.size());
  for (size_t k = 0; k < edges.size(); ++k) edges[k] = record(edge_unit[k], nodes[parts.edge_target[k]]);
  std::vector<Node> root(kRootUnits, Node{0, 0, 0, 0, 0.0f});
  for (uint32_t k = 0; k < nodes[0].edge_count; ++k) {
    const Node& child = edges[nodes[0].edge_begin + k];
    root[child.unit] = child;
  }
  // The root's children are found through root instead.
  size_t wide_edges = 0;
  for (size_t i = 1; i < nodes.size(); ++i) {
    if (nodes[i].edge_count > kScanLimit) wide_edges += nodes[i].edge_count;
  }
  size_t slots = 16;
  while (slots < wide_edges * 2) slots *= 2;  // at most half full
  std::vector<WideEdge> wide(slots, WideEdge{0, Node{0, 0, 0, 0, 0.0f}});
  const size_t wide_mask = slots - 1;
  size_t words = 1;
  while (words * 8 < wide_edges) words *= 2;  // about 8 bits a pair
  std::vector<uint64_t> filter(words, 0);
  for (size_t i = 1; i < nodes.size(); ++i) {
    const TrieNode& n = nodes[i];
    if (n.edge_count <= kScanLimit) continue;
    const uint32_t key = n.edge_begin + 1;
    for (uint32_t k = 0; k < n.edge_count; ++k) {
      const Node& child = edges[n.edge_begin + k];
      size_t s = WideSlot(key, child.unit, wide_mask);
      while (wide[s].node != 0) s = (s + 1) & wide_mask;
      wide[s] = WideEdge{key, child};
      const uint64_t x = PairMix(key, child.unit);
      filter[PairWord(x, words - 1)] |= PairBits(x);
    }
  }
  std::vector<uint16_t> codes(parts.entries.size());
  for (size_t e = 0; e < codes.size(); ++e) codes[e] = parts.entries[e].code;

  FileHeader h;
  std::memset(&h, 0, sizeof h);
  std::memcpy(h.magic, kDictMagic, sizeof h.magic);
  h.version = kDictVersion;
  h.byte_order = kByteOrderMark;
  h.total_freq = parts.total_freq;
  h.entry_count = static_cast<uint32_t>(parts.entries.size());
  h.node_count = static_cast<uint32_t>(nodes.size());
  h.edge_count = static_cast<uint32_t>(edges.size());
  h.wide_slots = static_cast<uint32_t>(slots);
  h.filter_words = static_cast<uint32_t>(words);
  h.info_bytes = static_cast<uint32_t>(parts.info.size());
  h.max_word_bytes = parts.max_word_bytes;
  Digest d;
  d.Add(nodes.data(), nodes.size() * sizeof(TrieNode));
  d.Add(edge_unit.data(), edge_unit.size() * sizeof(uint16_t));
  d.Add(parts.edge_target.data(), parts.edge_target.size() * sizeof(uint32_t));
  for (const DictEntry& e : parts.entries) d.Add(&e.freq, sizeof e.freq);
  h.trie_digest[0] = d.a();
  h.trie_digest[1] = d.b();

  std::string out(sizeof h, '\0');
  h.offset[kSectionEntries] = Append(parts.entries.data(), parts.entries.size(), &out);
  h.offset[kSectionCodes] = Append(codes.data(), codes.size(), &out);
  h.offset[kSectionEdges] = Append(edges.data(), edges.size(), &out);
  h.offset[kSectionRoot] = Append(root.data(), root.size(), &out);
  h.offset[kSectionWide] = Append(wide.data(), wide.size(), &out);
  h.offset[kSectionFilter] = Append(filter.data(), filter.size(), &out);
  h.offset[kSectionInfo] = Append(parts.info.data(), parts.info.size(), &out);
  h.file_bytes = out.size();
  std::memcpy(&out[0], &h, sizeof h);

  const std::string temp = path + ".new";
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(temp.c_str(), "wb"));
  if (!f) {
    *error = "cannot create " + temp;
    return false;
  }
  const bool written = std::fwrite(out.data(), 1, out.size(), f.get()) == out.size();
  if (!written || std::fclose(f.release()) != 0) {
    std::remove(temp.c_str());
    *error = "cannot write " + temp;
    return false;
  }
  // Where rename does not replace a file (Windows), the old one goes first.
  if (std::rename(temp.c_str(), path.c_str()) != 0 &&
      (std::remove(path.c_str()) != 0 || std::rename(temp.c_str(), path.c_str()) != 0)) {
    std::remove(temp.c_str());
    *error = "cannot replace " + path;
    return false;
  }
  return true;
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
