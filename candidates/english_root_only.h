// Root-only merging of the English full-text candidates: a candidate whose
// text contains its neighbour's takes it over, first on the texts as they
// are (heads), then on the reversed texts (tails). The survivors form the
// fileword map, keyed by word, that the later English stages use.
#ifndef TARNIX_CANDIDATES_ENGLISH_ROOT_ONLY_H_
#define TARNIX_CANDIDATES_ENGLISH_ROOT_ONLY_H_

#include "tarnix/records.h"
#include "term_maps.h"

namespace tarnix {

// english_fileword is keyed by second_word, one entry per key; fileword is
// empty on entry and receives one entry per survivor. An empty English map
// is logged and succeeds with fileword left empty.
bool RootFileWordOnly(TermIndexMap& english_fileword, TermIndexMap& fileword,
                      ArticleTerm* info_map, TermClassMatch* info_map_class);

}  // namespace tarnix

#endif  // TARNIX_CANDIDATES_ENGLISH_ROOT_ONLY_H_
