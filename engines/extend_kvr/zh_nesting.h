// The nesting walk of the Chinese terms: every run of whole words inside a
// longer term that is a term itself.
#ifndef TARNIX_ENGINES_EXTEND_KVR_ZH_NESTING_H_
#define TARNIX_ENGINES_EXTEND_KVR_ZH_NESTING_H_

#include <vector>

#include "nesting.h"
#include "term_set.h"

namespace ekvr {

// total holds every term's occurrences, by index: the walk asks for the
// counts of pieces all over the term set, and they are closer together
// there than in the terms.
Nesting NestChineseTerms(TermSet* terms, const std::vector<int>& total);
// The same into *out, whose memory it reuses.
void NestChineseTerms(TermSet* terms, const std::vector<int>& total, Nesting* out);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_ZH_NESTING_H_
