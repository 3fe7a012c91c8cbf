// The abstract candidates (the abstword map over the abstract and keyword
// table), and the removal of over-long texts from either candidate map.
#ifndef TARNIX_CANDIDATES_ABSTRACT_CANDIDATES_H_
#define TARNIX_CANDIDATES_ABSTRACT_CANDIDATES_H_

#include <cstddef>
#include <cstdint>

#include "tarnix/records.h"
#include "term_maps.h"

namespace tarnix {

// Maps mode for Erase_Longword.
constexpr int kLongwordFileword = 0;  // never empties the map
constexpr int kLongwordAbstword = 1;

// Texts longer than this many bytes (seven double-byte characters) are
// removed by Erase_Longword.
constexpr size_t kLongwordLimit = 14;

// Indexes the records of info_map1 (m valid, at most kInfoMap1Capacity) at
// position 0 by their word. An empty result is not an error.
bool EraseAbstword(TermIndexMap& abstword, ArticleTerm* info_map1, int32_t m);

// Of each run of equal keys keeps the heaviest entry, the earliest on ties.
bool SelectWord(TermIndexMap& abstword, ArticleTerm* info_map1);

// Removes the entries whose keys are longer than kLongwordLimit bytes. In
// mode kLongwordFileword a long key that is the map's last entry stays.
bool Erase_Longword(TermIndexMap& map, int mode);

}  // namespace tarnix

#endif  // TARNIX_CANDIDATES_ABSTRACT_CANDIDATES_H_
