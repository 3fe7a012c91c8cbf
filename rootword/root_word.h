// Root-word merging: candidates whose texts contain one another are folded
// into one root entry that collects their weights, first among the
// full-text candidates, then among the abstract candidates, then between
// the two maps. Every step runs on the texts as they are and again on the
// texts reversed character by character, so that words sharing their first
// or their last characters meet as neighbours in key order. Only neighbours
// are ever compared.
#ifndef TARNIX_ROOTWORD_ROOT_WORD_H_
#define TARNIX_ROOTWORD_ROOT_WORD_H_

#include "tarnix/records.h"
#include "term_maps.h"

namespace tarnix {

// The merge of a Chinese article. fileword indexes info_map (and
// info_map_class, which runs parallel to it); abstword indexes info_map1.
// Full-text merges are decided by weight, scaled by class agreement, and
// by the similar-word dictionary for short contained words; a full-text
// neighbour heavier than the abstract term it borders on hands its text to
// the abstract entry. False for a missing table, when both maps end empty,
// or on an exception ("RootFileWord3 Error!"); maps and records keep the
// changes made so far.
bool RootFileWord3(TermIndexMap& fileword, TermIndexMap& abstword, ArticleTerm* info_map,
                   ArticleTerm* info_map1, TermClassMatch* info_map_class);

// The merge of an English article: full-text merges are decided by class
// agreement first, then by weight, and a general word never survives as
// the root; bordering full-text terms are always folded into the abstract
// term, which keeps its text. Failures as for RootFileWord3, with
// "RootFileWord3_English Error!" on an exception.
bool RootFileWord3_English(TermIndexMap& fileword, TermIndexMap& abstword, ArticleTerm* info_map,
                           ArticleTerm* info_map1, TermClassMatch* info_map_class);

}  // namespace tarnix

#endif  // TARNIX_ROOTWORD_ROOT_WORD_H_
