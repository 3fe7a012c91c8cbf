#include "full_text_selection.h"

#include <iterator>

#include "run_log.h"
#include "term_access.h"

namespace tarnix {
namespace {


// Whether entry r should replace entry p, its predecessor with the same key.
bool Outranks(int32_t r, int32_t p, const ArticleTerm* info_map,
              const TermClassMatch* info_map_class) {
  const int32_t dp = RecordAt(info_map_class, p, kInfoMapCapacity).match_depth;
  const int32_t dr = RecordAt(info_map_class, r, kInfoMapCapacity).match_depth;
  if (dp != dr) return dr > dp;
  return RecordAt(info_map, p, kInfoMapCapacity).weight <
         RecordAt(info_map, r, kInfoMapCapacity).weight;
}

}  // namespace

bool SelectFileWord(TermIndexMap& map, ArticleTerm* info_map, TermClassMatch* info_map_class) {
  try {
    if (map.empty()) return true;
    if (!info_map || !info_map_class) return false;
    auto p = map.begin();
    while (p != map.end()) {
      auto r = std::next(p);
      if (r == map.end()) break;
      if (r->first != p->first) {
        p = r;
      } else if (Outranks(r->second, p->second, info_map, info_map_class)) {
        map.erase(p);
        p = r;
      } else {
        map.erase(r);
      }
    }
    if (map.empty()) {
      WriteLog("selectfileword  fileword is empty!");
      return false;
    }
    return true;
  } catch (...) {
    WriteLog("SelectFileWord Error!");
    return false;
  }
}

}  // namespace tarnix
