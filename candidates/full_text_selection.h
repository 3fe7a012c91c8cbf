// Full-text selection: one fileword entry per text, the one whose class
// agrees best with the article class.
#ifndef TARNIX_CANDIDATES_FULL_TEXT_SELECTION_H_
#define TARNIX_CANDIDATES_FULL_TEXT_SELECTION_H_

#include "tarnix/records.h"
#include "term_maps.h"

namespace tarnix {

// Of each run of equal keys in map keeps the entry with the greatest match
// depth, then the greatest weight, then the earliest; the records are not
// changed. An empty map succeeds at once.
bool SelectFileWord(TermIndexMap& map, ArticleTerm* info_map, TermClassMatch* info_map_class);

}  // namespace tarnix

#endif  // TARNIX_CANDIDATES_FULL_TEXT_SELECTION_H_
