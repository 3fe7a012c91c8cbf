// Removal of keywords that the similar-word dictionary calls similar to a
// heavier keyword at the head of the list.
#ifndef TARNIX_OUTPUT_SIMILAR_WORDS_H_
#define TARNIX_OUTPUT_SIMILAR_WORDS_H_

#include <cstdint>

#include "tarnix/records.h"

namespace tarnix {

// Among the first 8 keywords of the weight-sorted buffer (one more for
// every keyword removed), sets the weight of the lighter of two keywords to
// 0.0 when the dictionary entry ("tarnix_sim_dict") of the earlier one gives
// the later one a similarity above 0.6; then re-sorts and drops the zero
// weights from the end of *buffer_size. False when the dictionary is not
// loaded and the buffer is not empty.
bool SimilarWordDel(KeywordEntry* word_buffer, int32_t* buffer_size);

}  // namespace tarnix

#endif  // TARNIX_OUTPUT_SIMILAR_WORDS_H_
