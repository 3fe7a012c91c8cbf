// The stop words of the keyword list. Extend_KVR already proposes no
// listed term; this catches what Tarnix adds on its own (the English words
// of a Chinese title, an author keyword taken as it stands) and any engine
// build that does not read the list.
#ifndef TARNIX_OUTPUT_STOP_WORDS_H_
#define TARNIX_OUTPUT_STOP_WORDS_H_

#include <cstdint>

#include "tarnix/records.h"

namespace tarnix {

// Reads the list EKVR.ini names (key "stop_words" of [DictInfo]); false
// when it names a file that cannot be read. No list, no filtering.
bool LoadKeywordStopWords();
void ForgetKeywordStopWords();

// Removes the listed keywords, moving the rest up in order.
void DropStopWords(KeywordEntry* word_buffer, int32_t* buffer_size);

}  // namespace tarnix

#endif  // TARNIX_OUTPUT_STOP_WORDS_H_
