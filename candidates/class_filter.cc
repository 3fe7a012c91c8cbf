#include "class_filter.h"

#include <string>
#include <string_view>

#include "run_log.h"
#include "term_access.h"
#include "text.h"

namespace tarnix {
namespace {

using candidates_internal::CountFits;
using candidates_internal::RecordAt;

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

// The earlier record with this record's key and class code, if any.
ArticleTerm* FindKeeper(TermIndexMap& map, const std::string& key, const ArticleTerm& term,
                        ArticleTerm* info_map) {
  const std::string_view code = FieldView(term.class_code);
  auto range = map.equal_range(key);
  for (auto it = range.first; it != range.second; ++it) {
    ArticleTerm& candidate = RecordAt(info_map, it->second, kInfoMapCapacity);
    if (FieldView(candidate.class_code) == code) return &candidate;
  }
  return nullptr;
}

bool FilterByClass(TermIndexMap& map, ArticleTerm* info_map, int32_t n,
                   TermClassMatch* info_map_class, KeyOf key_of, const char* error_message) {
  try {
    if (!info_map || !info_map_class || !CountFits(n, kInfoMapCapacity)) return false;
    if (n == 0) return true;
    for (int32_t a = 0; a < n; ++a) {
      ArticleTerm& term = info_map[a];
      BoostByClass(term, info_map_class[a].match_depth);
      std::string key(key_of(term));
      ArticleTerm* keeper = FindKeeper(map, key, term, info_map);
      if (keeper) {
        Absorb(*keeper, term);
      } else {
        map.emplace(std::move(key), a);  // after the entries already under key
      }
    }
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
