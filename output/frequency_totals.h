// Each keyword's frequency, summed over the places where the article has it.
#ifndef TARNIX_OUTPUT_FREQUENCY_TOTALS_H_
#define TARNIX_OUTPUT_FREQUENCY_TOTALS_H_

#include <cstdint>

#include "tarnix/records.h"

namespace tarnix {

// Writes the `frequency` of keyword slots 0 to *buffer_size - 1: for each
// position 0 to 3 among the records with the keyword's text, the frequency
// of the first such record. The full-text table is searched first, the
// abstract table only when the full text has no record of that text; every
// record found is used up for later keywords. The counts are read only; no
// order changes.
bool SortByPos(ArticleTerm* info_map, int32_t* n, ArticleTerm* info_map1, int32_t* m,
               KeywordEntry* word_buffer, int32_t* buffer_size);

}  // namespace tarnix

#endif  // TARNIX_OUTPUT_FREQUENCY_TOTALS_H_
