// The two map types every stage works on, and the term tables of one call.
#ifndef TARNIX_COMMON_TERM_MAPS_H_
#define TARNIX_COMMON_TERM_MAPS_H_

#include <cstdint>
#include <map>
#include <string>

#include "node_arena.h"
#include "tarnix/records.h"
#include "text.h"

namespace tarnix {

// Key text -> index into a term table. std::string compares like memcmp,
// that is by unsigned bytes, so GBK keys sort after every ASCII key and a
// prefix sorts before its extensions; equal keys keep their insertion order.
// A call's maps take their nodes from the call's arena.
using TermIndexMap = std::multimap<std::string, int32_t, std::less<std::string>,
                                   ArenaAllocator<std::pair<const std::string, int32_t>>>;

// Class code -> score. emplace() keeps the first score of a code.
using ClassScoreMap = std::map<std::string, double>;

// Capacities of the tables Tarnix_Direct owns.
constexpr int32_t kInfoMapCapacity = 10000;    // full-text terms
constexpr int32_t kInfoMap1Capacity = 50;      // abstract and keyword terms
constexpr size_t kArticleClassSize = 100;      // the article class buffer

// The state every record has before the engine fills a table. Inline: the
// tables are set up record by record, ten thousand of them per call.
inline void InitArticleTerm(ArticleTerm& term, float weight) {
  term.word[0] = '\0';
  term.class_code[0] = '\0';
  term.second_word[0] = '\0';
  term.weight = weight;
  term.reserved1 = 0;
  term.frequency = 0;
  term.reserved2 = -1;
  term.reserved3 = -1;
  term.position = -1;
}

// Whether a record still holds what InitArticleTerm gave it.
inline bool IsInitialArticleTerm(const ArticleTerm& term, float weight) {
  return term.word[0] == '\0' && term.class_code[0] == '\0' && term.second_word[0] == '\0' &&
         term.weight == weight && term.reserved1 == 0 && term.frequency == 0 && term.reserved2 == -1 &&
         term.reserved3 == -1 && term.position == -1;
}

inline void InitTermClassMatch(TermClassMatch& match) {
  match.word[0] = '\0';
  match.match_depth = 0;
}

// Terminates every text field of a record the engine wrote, so that a field
// filled to its last byte is read as cut there.
inline void TerminateTextFields(ArticleTerm& term) {
  TerminateField(term.word);
  TerminateField(term.class_code);
  TerminateField(term.second_word);
}

}  // namespace tarnix

#endif  // TARNIX_COMMON_TERM_MAPS_H_
