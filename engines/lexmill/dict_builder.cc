#include "dict_builder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>

#include "dict_image.h"
#include "gbk.h"

namespace lexmill {

namespace {

// Units of a GBK word; false when some byte does not start a valid character.
bool ToUnits(const std::string& word, std::vector<uint16_t>* units) {
  units->clear();
  const auto* p = reinterpret_cast<const unsigned char*>(word.data());
  for (size_t at = 0; at < word.size();) {
    const CharInfo c = ReadChar(p + at, word.size() - at);
    if (c.kind == CharKind::kInvalid) return false;
    units->push_back(c.unit);
    at += c.length;
  }
  return !units->empty();
}

struct Trie {
  std::vector<TrieNode> nodes;
  std::vector<uint16_t> edge_unit;
  std::vector<uint32_t> edge_target;
};

// Words are sorted by bytes, which for valid GBK is the order of their unit
// sequences, so the words below one node form one contiguous range and a
// word that ends at a node comes first in its range.
Trie BuildTrie(const std::vector<std::vector<uint16_t>>& words) {
  struct Pending {
    uint32_t node;
    size_t lo, hi, depth;
  };
  Trie t;
  t.nodes.push_back(TrieNode{0, 0, 0});
  std::deque<Pending> queue{{0, 0, words.size(), 0}};
  while (!queue.empty()) {
    const Pending p = queue.front();
    queue.pop_front();
    size_t i = p.lo;
    if (i < p.hi && words[i].size() == p.depth) {
      t.nodes[p.node].entry = static_cast<uint32_t>(i + 1);
      ++i;
    }
    t.nodes[p.node].edge_begin = static_cast<uint32_t>(t.edge_unit.size());
    uint32_t count = 0;
    while (i < p.hi) {
      const uint16_t unit = words[i][p.depth];
      size_t j = i;
      while (j < p.hi && words[j][p.depth] == unit) ++j;
      const auto child = static_cast<uint32_t>(t.nodes.size());
      t.nodes.push_back(TrieNode{0, 0, 0});
      t.edge_unit.push_back(unit);
      t.edge_target.push_back(child);
      queue.push_back(Pending{child, i, j, p.depth + 1});
      ++count;
      i = j;
    }
    t.nodes[p.node].edge_count = count;
  }
  return t;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

template <typename T>
bool WriteArray(std::FILE* f, const std::vector<T>& v) {
  return v.empty() || std::fwrite(v.data(), sizeof(T), v.size(), f) == v.size();
}

}  // namespace

bool WriteDictionary(std::vector<SourceEntry> entries, const std::string& path,
                     BuildStats* stats, std::string* error) {
  *stats = BuildStats{};
  std::stable_sort(entries.begin(), entries.end(),
                   [](const SourceEntry& a, const SourceEntry& b) { return a.word < b.word; });
  std::vector<std::vector<uint16_t>> words;
  std::vector<DictEntry> records;
  std::string info;
  uint64_t total = 0;
  uint32_t max_bytes = 0;
  std::vector<uint16_t> units;
  for (size_t i = 0; i < entries.size(); ++i) {
    const SourceEntry& e = entries[i];
    if (i > 0 && e.word == entries[i - 1].word) {
      ++stats->duplicates;
      continue;
    }
    if (!ToUnits(e.word, &units)) {
      ++stats->invalid_words;
      continue;
    }
    words.push_back(units);
    records.push_back(DictEntry{e.freq, static_cast<uint32_t>(info.size()),
                                static_cast<uint32_t>(e.info.size()), e.code, 0});
    info += e.info;
    total += e.freq;
    max_bytes = std::max(max_bytes, static_cast<uint32_t>(e.word.size()));
  }
  const Trie trie = BuildTrie(words);

  FileHeader h;
  std::memset(&h, 0, sizeof h);
  std::memcpy(h.magic, kDictMagic, sizeof h.magic);
  h.version = kDictVersion;
  h.byte_order = kByteOrderMark;
  h.entry_count = static_cast<uint32_t>(records.size());
  h.node_count = static_cast<uint32_t>(trie.nodes.size());
  h.edge_count = static_cast<uint32_t>(trie.edge_unit.size());
  h.info_bytes = static_cast<uint32_t>(info.size());
  h.total_freq = total;
  h.max_word_bytes = max_bytes;

  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "wb"));
  if (!f) {
    *error = "cannot create " + path;
    return false;
  }
  const bool ok = std::fwrite(&h, sizeof h, 1, f.get()) == 1 && WriteArray(f.get(), records) &&
                  WriteArray(f.get(), trie.nodes) && WriteArray(f.get(), trie.edge_unit) &&
                  WriteArray(f.get(), trie.edge_target) &&
                  (info.empty() || std::fwrite(info.data(), 1, info.size(), f.get()) == info.size());
  if (!ok || std::fclose(f.release()) != 0) {
    *error = "cannot write " + path;
    return false;
  }
  stats->written = records.size();
  return true;
}

}  // namespace lexmill
