// Term tables for the candidate tests, initialised the way the pipeline
// initialises them.
#ifndef TARNIX_CANDIDATES_CANDIDATES_TEST_SUPPORT_H_
#define TARNIX_CANDIDATES_CANDIDATES_TEST_SUPPORT_H_

#include <string>
#include <utility>
#include <vector>

#include "tarnix/records.h"
#include "scripted_engines.h"
#include "term_maps.h"

namespace candidates_testing {

struct Tables {
  std::vector<ArticleTerm> terms;
  std::vector<TermClassMatch> classes;

  explicit Tables(size_t capacity, float initial_weight = 0.0f)
      : terms(capacity), classes(capacity) {
    for (ArticleTerm& t : terms) tarnix::InitArticleTerm(t, initial_weight);
    for (TermClassMatch& c : classes) tarnix::InitTermClassMatch(c);
  }

  // Places an engine record at index i with its class match depth.
  void Set(size_t i, const ArticleTerm& term, int depth = 0) {
    terms[i] = term;
    classes[i].match_depth = depth;
  }
  ArticleTerm* info_map() { return terms.data(); }
  TermClassMatch* info_map_class() { return classes.data(); }
};

using Entries = std::vector<std::pair<std::string, int32_t>>;

inline Entries EntriesOf(const tarnix::TermIndexMap& map) {
  return Entries(map.begin(), map.end());
}

}  // namespace candidates_testing

#endif  // TARNIX_CANDIDATES_CANDIDATES_TEST_SUPPORT_H_
