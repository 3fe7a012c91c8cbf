// The caller's keyword array, filled from the candidate maps that root-word
// merging leaves behind.
#ifndef TARNIX_OUTPUT_KEYWORD_BUFFER_H_
#define TARNIX_OUTPUT_KEYWORD_BUFFER_H_

#include <cstdint>

#include "tarnix/records.h"
#include "term_maps.h"

namespace tarnix {

// Writes the full-text candidates of fileword (indexes into info_map, n
// records) that survive the general-word tests into word_buffer in
// descending weight, with a block of slots reserved for the abstract
// candidates of abstword (indexes into info_map1, m records): slots
// 8 - a to 7 for a of 1 to 6 candidates, slots 2 to a + 1 for more. The
// block is pulled down behind the full-text candidates when they do not
// reach it. Abstract candidates without a weight of their own (or, with
// floor_weights, lighter than it) take the mean weight of the full-text
// candidates around the block. type 1 (Chinese) first erases general words
// from abstword; type 2 (English) takes the keyword text from the terms'
// second word. *buffer_size is the capacity on entry and the number of
// slots filled on success; `frequency` is left to SortByPos.
bool PrintKeyWord(TermIndexMap& fileword, TermIndexMap& abstword, ArticleTerm* info_map,
                  int32_t n, ArticleTerm* info_map1, int32_t m, KeywordEntry* word_buffer,
                  int32_t* buffer_size, int type, bool floor_weights);

}  // namespace tarnix

#endif  // TARNIX_OUTPUT_KEYWORD_BUFFER_H_
