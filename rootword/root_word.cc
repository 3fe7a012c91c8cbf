#include "root_word.h"

#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <string>

#include "run_log.h"
#include "text.h"
#include "word_tests.h"

namespace tarnix {
namespace {

constexpr char kEmptyOnEntry[] = "RootFileWord3 function: fileword and abstword is empty!";
constexpr char kEmptyAtEnd[] = "RootFileWord3 function: fileword and abstword is empty2!";

// Similarity above which a short contained word gives way to the longer
// one even when it is heavier; the limits keep long words from vanishing
// into a longer neighbour on similarity alone.
constexpr double kSimilarEnough = 0.6;
constexpr size_t kFullTextSimilarLimit = 8;   // bytes of the shorter key
constexpr size_t kAbstractSimilarLimit = 12;

using Entry = TermIndexMap::iterator;

// The tables of one call. Map values come from earlier stages; one that
// points outside its table is a fault upstream and stops the stage rather
// than reaching into foreign memory.
struct Tables {
  ArticleTerm* info_map;
  ArticleTerm* info_map1;
  TermClassMatch* info_map_class;

  ArticleTerm& Full(int32_t index) const {
    Check(index, kInfoMapCapacity);
    return info_map[index];
  }
  ArticleTerm& Abstract(int32_t index) const {
    Check(index, kInfoMap1Capacity);
    return info_map1[index];
  }
  int32_t Depth(int32_t index) const {
    Check(index, kInfoMapCapacity);
    return info_map_class[index].match_depth;
  }

 private:
  static void Check(int32_t index, int32_t capacity) {
    if (index < 0 || index >= capacity) throw std::out_of_range("term index outside its table");
  }
};

bool Contains(const std::string& q, const std::string& p) { return q.find(p) != std::string::npos; }

// Whether p is a prefix of q.
bool Heads(const std::string& p, const std::string& q) {
  return p.size() <= q.size() && q.compare(0, p.size(), p) == 0;
}

// A key reversed; a key ContraWord declines stays as it is.
std::string Reversed(const std::string& key) {
  std::string copy = key;
  ContraWord(copy);
  return copy;
}

TermIndexMap ReversedKeys(const TermIndexMap& map) {
  TermIndexMap reversed;
  for (const auto& entry : map) reversed.emplace(Reversed(entry.first), entry.second);
  return reversed;
}

// Refills target from a reversed-key map with the keys back in reading
// order, and empties the reversed-key map.
void RestoreFrom(TermIndexMap& reversed, TermIndexMap& target) {
  target.clear();
  for (const auto& entry : reversed) target.emplace(Reversed(entry.first), entry.second);
  reversed.clear();
}

// Adds the weight of the full-text term x to y. A y that agrees more
// deeply with the article class gains x's weight once more for every level
// of difference.
void AbsorbFullText(const Tables& t, int32_t y, int32_t x) {
  int64_t dy = t.Depth(y), dx = t.Depth(x);
  float factor = dy > dx ? static_cast<float>(dy - dx + 1) : 1.0f;
  t.Full(y).weight += factor * t.Full(x).weight;
}

void AbsorbAbstract(const Tables& t, int32_t y, int32_t x) {
  t.Abstract(y).weight += t.Abstract(x).weight;
}

// Which of a contained pair keeps its entry.
enum class Survivor { kCurrent, kSuccessor };

// Walks map comparing each entry m with its successor o. When o's key
// contains m's, decide() settles the weights and names the survivor; the
// other entry is erased. A surviving m is compared with its new successor,
// a surviving o becomes m. Every step either advances or erases an entry.
template <typename Decide>
void MergeNeighbours(TermIndexMap& map, Decide decide) {
  Entry m = map.begin();
  while (m != map.end()) {
    Entry o = std::next(m);
    if (o == map.end()) return;
    if (!Contains(o->first, m->first)) {
      m = o;
      continue;
    }
    if (decide(m, o) == Survivor::kSuccessor) {
      map.erase(m);
      m = o;
    } else {
      map.erase(o);
    }
  }
}

// The heavier of the two survives, the successor on equal weights.
template <typename Weight, typename Absorb>
Survivor HeavierSurvives(Entry m, Entry o, Weight weight, Absorb absorb) {
  if (weight(o->second) >= weight(m->second)) {
    absorb(o->second, m->second);
    return Survivor::kSuccessor;
  }
  absorb(m->second, o->second);
  return Survivor::kCurrent;
}

// Chinese full-text and abstract passes: a short word the dictionary calls
// similar to its longer neighbour gives way to it; otherwise the weight
// decides. similar_limit 0 leaves out the dictionary.
template <typename Weight, typename Absorb>
void MergeByWeight(TermIndexMap& map, size_t similar_limit, Weight weight, Absorb absorb) {
  MergeNeighbours(map, [&](Entry m, Entry o) {
    if (similar_limit > 0) {
      double s = GetSimlarity(o->first.c_str(), m->first.c_str());
      if (s > kSimilarEnough && m->first.size() < similar_limit) {
        absorb(o->second, m->second);
        return Survivor::kSuccessor;
      }
    }
    return HeavierSurvives(m, o, weight, absorb);
  });
}

void TakeClassAndSecondWord(ArticleTerm& to, const ArticleTerm& from) {
  SetField(to.class_code, FieldView(from.class_code));
  SetField(to.second_word, FieldView(from.second_word));
}

// Gives the abstract entry a the text of the heavier full-text neighbour g
// (of the map full, whose keys may be reversed), folds g into a's record
// and drops g. Returns the abstract entry to visit next, read after the new
// entry is in place so that a new key sorting after a is visited too.
Entry Rekey(const Tables& t, TermIndexMap& abstword, Entry a, TermIndexMap& full, Entry g,
            bool reversed) {
  abstword.emplace(reversed ? Reversed(g->first) : g->first, a->second);
  ArticleTerm& record = t.Abstract(a->second);
  const ArticleTerm& neighbour = t.Full(g->second);
  record.weight += neighbour.weight;
  TakeClassAndSecondWord(record, neighbour);
  full.erase(g);
  Entry next = std::next(a);
  abstword.erase(a);
  return next;
}

// Folds into each abstract term the full-text term of the same text, or
// else the full-text keys that border on it in key order: the one just
// before it when that heads its key, the one just after it when its key
// heads that. full is fileword, or fileword's reversed-key map when
// reversed is set. With rekey set, a heavier bordering term gives the
// abstract entry its text instead of being added to it.
void MergeAcross(const Tables& t, TermIndexMap& abstword, TermIndexMap& full, bool reversed,
                 bool rekey) {
  Entry a = abstword.begin();
  while (a != abstword.end()) {
    const std::string key = reversed ? Reversed(a->first) : a->first;
    ArticleTerm& record = t.Abstract(a->second);

    // lower_bound rather than find: of several equal keys the first one,
    // in insertion order, is taken.
    Entry same = full.lower_bound(key);
    if (same != full.end() && same->first == key) {
      const ArticleTerm& term = t.Full(same->second);
      record.weight += term.weight;
      TakeClassAndSecondWord(record, term);
      full.erase(same);
      ++a;
      continue;
    }

    // No full-text key equals key, so lower_bound is where key would be
    // inserted: its predecessor and successor are the bordering terms.
    Entry after = same;
    if (after != full.begin()) {
      Entry before = std::prev(after);
      if (Heads(before->first, key)) {
        const ArticleTerm& term = t.Full(before->second);
        if (rekey && record.weight < term.weight) {
          a = Rekey(t, abstword, a, full, before, reversed);
          continue;
        }
        record.weight += term.weight;
        full.erase(before);
      }
    }
    if (after != full.end() && Heads(key, after->first)) {
      const ArticleTerm& term = t.Full(after->second);
      if (rekey && record.weight < term.weight) {
        a = Rekey(t, abstword, a, full, after, reversed);
        continue;
      }
      record.weight += term.weight;
      full.erase(after);
    }
    ++a;
  }
}

bool Missing(const ArticleTerm* info_map, const ArticleTerm* info_map1,
             const TermClassMatch* info_map_class) {
  return info_map == nullptr || info_map1 == nullptr || info_map_class == nullptr;
}

bool EmptyAtEnd(const TermIndexMap& fileword, const TermIndexMap& abstword) {
  if (fileword.empty() && abstword.empty()) {
    WriteLog(kEmptyAtEnd);
    return true;
  }
  return false;
}

}  // namespace

bool RootFileWord3(TermIndexMap& fileword, TermIndexMap& abstword, ArticleTerm* info_map,
                   ArticleTerm* info_map1, TermClassMatch* info_map_class) {
  try {
    if (Missing(info_map, info_map1, info_map_class)) return false;
    if (fileword.empty() && abstword.empty()) {
      WriteLog(kEmptyOnEntry);
      return true;
    }
    const Tables t{info_map, info_map1, info_map_class};
    auto full_weight = [&](int32_t i) { return t.Full(i).weight; };
    auto full_absorb = [&](int32_t y, int32_t x) { AbsorbFullText(t, y, x); };
    auto abst_weight = [&](int32_t i) { return t.Abstract(i).weight; };
    auto abst_absorb = [&](int32_t y, int32_t x) { AbsorbAbstract(t, y, x); };

    MergeByWeight(fileword, kFullTextSimilarLimit, full_weight, full_absorb);
    TermIndexMap reversed = ReversedKeys(fileword);
    MergeByWeight(reversed, 0, full_weight, full_absorb);
    RestoreFrom(reversed, fileword);

    MergeByWeight(abstword, kAbstractSimilarLimit, abst_weight, abst_absorb);
    reversed = ReversedKeys(abstword);
    MergeByWeight(reversed, 0, abst_weight, abst_absorb);
    RestoreFrom(reversed, abstword);

    MergeAcross(t, abstword, fileword, false, true);
    reversed = ReversedKeys(fileword);
    MergeAcross(t, abstword, reversed, true, true);
    RestoreFrom(reversed, fileword);

    return !EmptyAtEnd(fileword, abstword);
  } catch (...) {
    WriteLog("RootFileWord3 Error!");
    return false;
  }
}

namespace {

// English full-text passes: the term that agrees more deeply with the
// article class absorbs the other; on equal depths the heavier shorter
// term absorbs the longer one unless it is a general word. text_of gives
// the shorter term's text for the general-word test.
template <typename TextOf>
void MergeEnglishFullText(const Tables& t, TermIndexMap& map, TextOf text_of) {
  MergeNeighbours(map, [&](Entry m, Entry o) {
    int32_t dm = t.Depth(m->second), d_o = t.Depth(o->second);
    if (d_o > dm) {
      AbsorbFullText(t, o->second, m->second);
      return Survivor::kSuccessor;
    }
    ArticleTerm& mt = t.Full(m->second);
    ArticleTerm& ot = t.Full(o->second);
    if (d_o < dm || (mt.weight >= ot.weight && !IsGeneralEnglish(text_of(m).c_str()))) {
      mt.weight += ot.weight;
      return Survivor::kCurrent;
    }
    ot.weight += mt.weight;
    return Survivor::kSuccessor;
  });
}

}  // namespace

bool RootFileWord3_English(TermIndexMap& fileword, TermIndexMap& abstword, ArticleTerm* info_map,
                           ArticleTerm* info_map1, TermClassMatch* info_map_class) {
  try {
    if (Missing(info_map, info_map1, info_map_class)) return false;
    if (fileword.empty() && abstword.empty()) {
      WriteLog(kEmptyOnEntry);
      return true;
    }
    const Tables t{info_map, info_map1, info_map_class};
    auto abst_weight = [&](int32_t i) { return t.Abstract(i).weight; };
    auto abst_absorb = [&](int32_t y, int32_t x) { AbsorbAbstract(t, y, x); };

    MergeEnglishFullText(t, fileword, [](Entry m) { return m->first; });
    // Reversed keys are no words; the record's own text is tested instead.
    TermIndexMap reversed = ReversedKeys(fileword);
    MergeEnglishFullText(t, reversed, [&](Entry m) { return FieldText(t.Full(m->second).word); });
    RestoreFrom(reversed, fileword);

    MergeByWeight(abstword, 0, abst_weight, abst_absorb);
    reversed = ReversedKeys(abstword);
    MergeByWeight(reversed, 0, abst_weight, abst_absorb);
    RestoreFrom(reversed, abstword);

    MergeAcross(t, abstword, fileword, false, false);
    reversed = ReversedKeys(fileword);
    MergeAcross(t, abstword, reversed, true, false);
    RestoreFrom(reversed, fileword);

    return !EmptyAtEnd(fileword, abstword);
  } catch (...) {
    WriteLog("RootFileWord3_English Error!");
    return false;
  }
}

}  // namespace tarnix
