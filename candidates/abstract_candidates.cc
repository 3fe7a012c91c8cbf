#include "abstract_candidates.h"

#include <iterator>

#include "run_log.h"
#include "term_access.h"
#include "text.h"

namespace tarnix {
namespace {


// Abstract terms, and the English title terms added to the table.
constexpr int32_t kAbstractPosition = 0;

float WeightAt(const ArticleTerm* info_map1, int32_t index) {
  return RecordAt(info_map1, index, kInfoMap1Capacity).weight;
}

}  // namespace

bool EraseAbstword(TermIndexMap& abstword, ArticleTerm* info_map1, int32_t m) {
  try {
    if (!info_map1 || !CountFits(m, kInfoMap1Capacity)) return false;
    for (int32_t i = 0; i < m; ++i) {
      if (info_map1[i].position == kAbstractPosition) {
        abstword.emplace(FieldText(info_map1[i].word), i);
      }
    }
    return true;
  } catch (...) {
    WriteLog("EraseAbstword Error!");
    return false;
  }
}

bool SelectWord(TermIndexMap& abstword, ArticleTerm* info_map1) {
  try {
    if (!info_map1) return false;
    auto q = abstword.begin();
    while (q != abstword.end()) {
      auto s = std::next(q);
      if (s == abstword.end()) break;
      if (s->first != q->first) {
        q = s;
      } else if (WeightAt(info_map1, q->second) < WeightAt(info_map1, s->second)) {
        abstword.erase(q);
        q = s;
      } else {
        abstword.erase(s);
      }
    }
    return true;
  } catch (...) {
    WriteLog("SelectWord Error!");
    return false;
  }
}

bool Erase_Longword(TermIndexMap& map, int mode) {
  try {
    for (auto it = map.begin(); it != map.end();) {
      auto next = std::next(it);
      if (it->first.size() > kLongwordLimit) {
        // The full-text map must keep at least one candidate.
        if (map.size() < 2 && mode == kLongwordFileword) return true;
        map.erase(it);
      }
      it = next;
    }
    return true;
  } catch (...) {
    WriteLog("Erase_Longword Error!");
    return false;
  }
}

}  // namespace tarnix
