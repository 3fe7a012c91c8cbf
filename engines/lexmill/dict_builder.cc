#include "dict_builder.h"

#include <algorithm>
#include <deque>
#include <utility>

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
  Trie trie = BuildTrie(words);
  const size_t written = records.size();
  DictParts parts;
  parts.entries = std::move(records);
  parts.nodes = std::move(trie.nodes);
  parts.edge_unit = std::move(trie.edge_unit);
  parts.edge_target = std::move(trie.edge_target);
  parts.info = std::move(info);
  parts.total_freq = total;
  parts.max_word_bytes = max_bytes;
  if (!DictImage::Write(parts, path, error)) return false;
  stats->written = written;
  return true;
}

}  // namespace lexmill
