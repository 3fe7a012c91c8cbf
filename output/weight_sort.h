// The final order of the keyword buffer and the class adjustment of weights.
#ifndef TARNIX_OUTPUT_WEIGHT_SORT_H_
#define TARNIX_OUTPUT_WEIGHT_SORT_H_

#include <cstdint>

#include "tarnix/records.h"
#include "term_maps.h"

namespace tarnix {

// Sorts the first n records by descending weight with the exchange sort
// whose order for equal weights hosts rely on (weights 1, 1, 2 in A, B, C
// end as C, B, A). Only the texts, frequency and weight move. False for a
// missing buffer with n != 0 or a negative n.
bool MaoPaoSort(KeywordEntry* word_buffer, int32_t n);

// Doubles the weight of keywords whose class code is a candidate class of
// the article (the article class is added to class_map first, with score
// 0.0) and halves the others; re-sorts and drops trailing zero weights from
// *buffer_size.
bool WordValueChang(ClassScoreMap& class_map, const char* article_class,
                    KeywordEntry* word_buffer, int32_t* buffer_size);

// The count without the records of weight exactly 0.0 at its end.
int32_t TrimTrailingZeros(const KeywordEntry* word_buffer, int32_t count);

}  // namespace tarnix

#endif  // TARNIX_OUTPUT_WEIGHT_SORT_H_
