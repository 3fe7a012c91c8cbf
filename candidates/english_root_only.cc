#include "english_root_only.h"

#include <iterator>
#include <string>

#include "run_log.h"
#include "term_access.h"
#include "text.h"
#include "word_tests.h"

namespace tarnix {
namespace {


// A short key that its neighbour resembles this closely is taken over
// whatever the weights say.
constexpr double kSimilarEnough = 0.6;
constexpr size_t kShortKey = 8;

struct Tables {
  ArticleTerm* info_map;
  TermClassMatch* info_map_class;

  ArticleTerm& term(int32_t i) const { return RecordAt(info_map, i, kInfoMapCapacity); }
  int32_t depth(int32_t i) const {
    return RecordAt(info_map_class, i, kInfoMapCapacity).match_depth;
  }
};

// Record x's weight goes to record y, scaled up when y agrees more deeply
// with the article class. The factor is formed in double, so that no pair
// of depths overflows it; x's own record is left as it is.
void AbsorbInto(int32_t y, int32_t x, const Tables& t) {
  const double dy = t.depth(y);
  const double dx = t.depth(x);
  const double factor = dy > dx ? dy - dx + 1.0 : 1.0;
  ArticleTerm& keeper = t.term(y);
  keeper.weight = static_cast<float>(static_cast<double>(keeper.weight) +
                                     factor * static_cast<double>(t.term(x).weight));
}

// Walks map in key order comparing each entry with its successor only. When
// the successor's key contains the entry's key, the two merge into the
// heavier one (the successor on equal weights); with_similarity lets a
// short, similar key go to its successor whatever the weights.
void MergeNeighbours(TermIndexMap& map, const Tables& t, bool with_similarity) {
  auto m = map.begin();
  while (m != map.end()) {
    auto o = std::next(m);
    if (o == map.end()) break;
    if (o->first.find(m->first) == std::string::npos) {
      m = o;
      continue;
    }
    bool to_successor = false;
    if (with_similarity) {
      const double s = GetSimlarity(o->first.c_str(), m->first.c_str());
      to_successor = s > kSimilarEnough && m->first.size() < kShortKey;
    }
    if (to_successor || t.term(o->second).weight >= t.term(m->second).weight) {
      AbsorbInto(o->second, m->second, t);
      map.erase(m);
      m = o;
    } else {
      AbsorbInto(m->second, o->second, t);
      map.erase(o);
    }
  }
}

// The map with every key reversed; keys the reversal declines stay as they
// are, as ContraWord leaves them.
TermIndexMap Reversed(const TermIndexMap& map) {
  TermIndexMap reversed(map.get_allocator());
  for (const auto& entry : map) {
    std::string key = entry.first;
    ContraWord(key);
    reversed.emplace(std::move(key), entry.second);
  }
  return reversed;
}

}  // namespace

bool RootFileWordOnly(TermIndexMap& english_fileword, TermIndexMap& fileword,
                      ArticleTerm* info_map, TermClassMatch* info_map_class) {
  try {
    if (!info_map || !info_map_class) return false;
    if (english_fileword.empty()) {
      WriteLog("RootFileWordOnly function: fileword and abstword is empty!");
      return true;
    }
    const Tables t{info_map, info_map_class};
    MergeNeighbours(english_fileword, t, true);

    TermIndexMap reversed = Reversed(english_fileword);
    MergeNeighbours(reversed, t, false);
    english_fileword = Reversed(reversed);
    reversed.clear();

    for (const auto& entry : english_fileword) {
      fileword.emplace(FieldText(t.term(entry.second).word), entry.second);
    }
    if (english_fileword.empty()) {
      WriteLog("RootFileWordOnly function: fileword is empty2!");
      return false;
    }
    return true;
  } catch (...) {
    WriteLog("RootFileWordOnly Error!");
    return false;
  }
}

}  // namespace tarnix
