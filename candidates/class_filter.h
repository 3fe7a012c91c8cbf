// The class filter: the first stage over the full-text term table. It
// raises each term by its agreement with the article class and by its place
// in the title, indexes the terms by text, and folds repeated occurrences of
// one text with one class code into the first of them.
#ifndef TARNIX_CANDIDATES_CLASS_FILTER_H_
#define TARNIX_CANDIDATES_CLASS_FILTER_H_

#include <cstdint>

#include "tarnix/records.h"
#include "term_maps.h"

namespace tarnix {

// Chinese articles: fileword is keyed by each record's word. info_map holds
// n valid records (at most kInfoMapCapacity), info_map_class the match
// depth of each. A record folded into an earlier one gets weight -1.0 and
// no map entry. Fails for missing tables, a count outside the table, or
// when nothing entered the map ("eraseFileClass fileword is empty!").
bool EraseFileClass(TermIndexMap& fileword, ArticleTerm* info_map, int32_t n,
                    TermClassMatch* info_map_class);

// English articles: the same, keyed by each record's second_word.
bool EraseFileClass_English(TermIndexMap& english_fileword, ArticleTerm* info_map, int32_t n,
                            TermClassMatch* info_map_class);

}  // namespace tarnix

#endif  // TARNIX_CANDIDATES_CLASS_FILTER_H_
