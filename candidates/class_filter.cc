#include "class_filter.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "run_log.h"
#include "sort_keys.h"
#include "term_access.h"
#include "text.h"
#include "word_table.h"

namespace tarnix {
namespace {


constexpr int32_t kTitlePosition = 1;
constexpr float kTitleFactor = 4.0f;
constexpr float kAbsorbedWeight = -1.0f;

using KeyOf = std::string_view (*)(const ArticleTerm&);

std::string_view WordKey(const ArticleTerm& term) { return FieldView(term.word); }
std::string_view SecondWordKey(const ArticleTerm& term) { return FieldView(term.second_word); }

// The depth factor is formed in double so that no depth overflows it, and
// the product is rounded to float once.
void BoostByClass(ArticleTerm& term, int32_t depth) {
  if (depth <= 0) return;
  term.weight = static_cast<float>(static_cast<double>(term.weight) *
                                   (static_cast<double>(depth) + 1.0));
  if (term.position == kTitlePosition) term.weight *= kTitleFactor;
}

// The merged record counts as a title term when either side was one; the
// side that was not is scaled up before the sum.
void Absorb(ArticleTerm& keeper, ArticleTerm& absorbed) {
  const bool keeper_title = keeper.position == kTitlePosition;
  const bool absorbed_title = absorbed.position == kTitlePosition;
  if (!keeper_title && absorbed_title) {
    keeper.weight = keeper.weight * kTitleFactor + absorbed.weight;
    keeper.position = kTitlePosition;
  } else if (keeper_title && !absorbed_title) {
    keeper.weight = keeper.weight + absorbed.weight * kTitleFactor;
  } else {
    keeper.weight = keeper.weight + absorbed.weight;
  }
  absorbed.weight = kAbsorbedWeight;
}

// The records under each key, the map's own entries first, for finding a
// record's keeper without a walk down the tree for every record. Records
// that find no keeper join the map at the end, key by key in key order and
// in record order under a key, which puts each after the entries already
// under its key, as one insertion at a time would, at a fraction of the
// cost. Keys view the map's node keys and the records' own texts, which
// stay put meanwhile.
class KeyIndex {
 public:
  KeyIndex(TermIndexMap& map, int32_t records) : map_(map) {
    const size_t most = map.size() + static_cast<size_t>(records);
    index_.reserve(most);
    chains_.reserve(most);
    links_.reserve(most);
    for (const auto& entry : map) AddMapEntry(entry.first, entry.second);
  }

  // The earlier record with the key and class code of term, if any; else
  // term's record index joins the key.
  ArticleTerm* KeeperOrAdd(std::string_view key, const ArticleTerm& term, int32_t a,
                           ArticleTerm* info_map) {
    auto [chain, added] = index_.Insert(key, static_cast<int32_t>(chains_.size()));
    if (!added) {
      const std::string_view code = FieldView(term.class_code);
      for (int32_t k = chains_[*chain].head; k != kNone; k = links_[k].next) {
        ArticleTerm& candidate = RecordAt(info_map, links_[k].record, kInfoMapCapacity);
        if (FieldView(candidate.class_code) == code) return &candidate;
      }
    }
    Append(*chain, added, key, a, false);
    return nullptr;
  }

  void AddToMap() {
    std::vector<ByteOrderKey> keys;
    keys.reserve(chains_.size());
    for (size_t c = 0; c < chains_.size(); ++c) {
      keys.push_back(ByteOrderKey::Of(chains_[c].key, static_cast<int32_t>(c)));
    }
    SortByteOrder(keys, [this](int32_t c) { return chains_[static_cast<size_t>(c)].key; });
    for (const ByteOrderKey& key : keys) {
      const Chain& chain = chains_[static_cast<size_t>(key.item)];
      for (int32_t k = chain.head; k != kNone; k = links_[k].next) {
        if (!links_[k].in_map) map_.emplace_hint(map_.end(), std::string(chain.key), links_[k].record);
      }
    }
  }

 private:
  static constexpr int32_t kNone = -1;

  struct Link {
    int32_t record;
    int32_t next;
    bool in_map;
  };
  struct Chain {
    std::string_view key;
    int32_t head;
    int32_t tail;
  };

  void AddMapEntry(std::string_view key, int32_t record) {
    auto [chain, added] = index_.Insert(key, static_cast<int32_t>(chains_.size()));
    Append(*chain, added, key, record, true);
  }

  // Puts a link to record at the end of the chain numbered `chain`, which
  // is a new one when `fresh`.
  void Append(int32_t chain, bool fresh, std::string_view key, int32_t record, bool in_map) {
    const int32_t k = static_cast<int32_t>(links_.size());
    links_.push_back({record, kNone, in_map});
    if (fresh) {
      chains_.push_back({key, k, k});
    } else {
      links_[chains_[chain].tail].next = k;
      chains_[chain].tail = k;
    }
  }

  TermIndexMap& map_;
  WordTable<int32_t> index_;  // key -> its chain
  std::vector<Chain> chains_;
  std::vector<Link> links_;
};

bool FilterByClass(TermIndexMap& map, ArticleTerm* info_map, int32_t n,
                   TermClassMatch* info_map_class, KeyOf key_of, const char* error_message) {
  try {
    if (!info_map || !info_map_class || !CountFits(n, kInfoMapCapacity)) return false;
    if (n == 0) return true;
    KeyIndex index(map, n);
    for (int32_t a = 0; a < n; ++a) {
      ArticleTerm& term = info_map[a];
      BoostByClass(term, info_map_class[a].match_depth);
      if (ArticleTerm* keeper = index.KeeperOrAdd(key_of(term), term, a, info_map)) {
        Absorb(*keeper, term);
      }
    }
    index.AddToMap();
    if (map.empty()) {
      WriteLog("eraseFileClass fileword is empty!");
      return false;
    }
    return true;
  } catch (...) {
    WriteLog(error_message);
    return false;
  }
}

}  // namespace

bool EraseFileClass(TermIndexMap& fileword, ArticleTerm* info_map, int32_t n,
                    TermClassMatch* info_map_class) {
  return FilterByClass(fileword, info_map, n, info_map_class, WordKey, "EraseFileClass Error!");
}

bool EraseFileClass_English(TermIndexMap& english_fileword, ArticleTerm* info_map, int32_t n,
                            TermClassMatch* info_map_class) {
  return FilterByClass(english_fileword, info_map, n, info_map_class, SecondWordKey,
                       "EraseFileClass_English Error!");
}

}  // namespace tarnix
