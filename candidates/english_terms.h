// English terms in the titles of Chinese articles (abbreviations, names of
// methods), added to the abstract candidates.
#ifndef TARNIX_CANDIDATES_ENGLISH_TERMS_H_
#define TARNIX_CANDIDATES_ENGLISH_TERMS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "tarnix/records.h"

namespace tarnix {

// Segments title (at most 1024 bytes) with the Chinese classification
// dictionary ("classify_chn_dict"), joins runs of English words and keeps
// the pieces that look like English terms, in title order. Fails when the
// title has no English, cannot be segmented or its dictionary is not
// loaded; terms is empty then. Exhausted memory while building the list
// propagates as std::bad_alloc.
bool GetEngLishWord(std::vector<std::string>& terms, const char* title);

// Appends the English terms of title to info_map1 (*m valid records, raised
// by the number added, never beyond kInfoMap1Capacity) as abstract terms
// weighing 0.8 of the heaviest title term among the n records of info_map.
// Titles that cannot carry terms succeed with nothing added. A term longer
// than the word field is cut at the last character that fits.
bool AddEngLishWord(ArticleTerm* info_map, int32_t n, ArticleTerm* info_map1, int32_t* m,
                    const char* title, const char* article_class);

}  // namespace tarnix

#endif  // TARNIX_CANDIDATES_ENGLISH_TERMS_H_
