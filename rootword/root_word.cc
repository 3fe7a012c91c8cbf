#include "root_word.h"

#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "config.h"
#include "dictionary_lookup.h"
#include "run_log.h"
#include "sort_keys.h"
#include "term_access.h"
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
    CheckIndex(index, kInfoMapCapacity);
    return info_map[index];
  }
  ArticleTerm& Abstract(int32_t index) const {
    CheckIndex(index, kInfoMap1Capacity);
    return info_map1[index];
  }
  int32_t Depth(int32_t index) const {
    CheckIndex(index, kInfoMapCapacity);
    return info_map_class[index].match_depth;
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

// A candidate map walked in reading order.
struct ReadingOrder {
  using Map = TermIndexMap;
  using Iter = Map::iterator;

  Map& map;

  static int32_t IndexOf(Iter e) { return e->second; }
  static const std::string& ReadingKey(Iter e) { return e->first; }
  std::string KeyFor(const std::string& reading_key) const { return reading_key; }
  void Erase(Iter e) { map.erase(e); }
};

// The reversed-key map of a candidate map: each ContraWord image points at
// the entry it was made from. An entry erased here is erased from the
// candidate map too, so the candidate map never has to be rebuilt by
// reversing the reversed keys once more, which would cost a second engine
// call per key and could garble a key the engine cuts differently when
// read backwards.
struct Backwards {
  using Image = std::pair<const std::string, TermIndexMap::iterator>;
  using Map = std::multimap<std::string, TermIndexMap::iterator, std::less<std::string>,
                            ArenaAllocator<Image>>;
  using Iter = Map::iterator;

  TermIndexMap& reading;
  Map map;

  // Equal images keep the candidates' order, as inserting them one by one
  // would; sorted first, they go in at the end without a search each.
  explicit Backwards(TermIndexMap& candidates)
      : reading(candidates), map(ArenaAllocator<Image>(candidates.get_allocator())) {
    std::vector<std::string> images;
    std::vector<TermIndexMap::iterator> entries;
    images.reserve(reading.size());
    entries.reserve(reading.size());
    for (auto e = reading.begin(); e != reading.end(); ++e) {
      images.push_back(Reversed(e->first));
      entries.push_back(e);
    }
    std::vector<ByteOrderKey> order;
    order.reserve(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
      order.push_back(ByteOrderKey::Of(images[i], static_cast<int32_t>(i)));
    }
    SortByteOrder(order, [&images](int32_t i) -> const std::string& {
      return images[static_cast<size_t>(i)];
    });
    for (const ByteOrderKey& key : order) {
      const auto i = static_cast<size_t>(key.item);
      map.emplace_hint(map.end(), std::move(images[i]), entries[i]);
    }
  }

  static int32_t IndexOf(Iter e) { return e->second->second; }
  static const std::string& ReadingKey(Iter e) { return e->second->first; }
  std::string KeyFor(const std::string& reading_key) const { return Reversed(reading_key); }
  void Erase(Iter e) {
    reading.erase(e->second);
    map.erase(e);
  }

  // Forgets the image of a candidate entry that is about to be erased
  // from the candidate map by a pass in reading order.
  void Forget(TermIndexMap::iterator entry) {
    auto range = map.equal_range(Reversed(entry->first));
    for (auto e = range.first; e != range.second; ++e) {
      if (e->second == entry) {
        map.erase(e);
        return;
      }
    }
    // An engine that cuts the same text differently the second time: find
    // the image the long way rather than leave one pointing at nothing.
    for (auto e = map.begin(); e != map.end(); ++e) {
      if (e->second == entry) {
        map.erase(e);
        return;
      }
    }
  }
};

// The candidate map in reading order while its reversed-key map is kept
// for a later pass: erasures reach both.
struct ReadingOrderKeepingBackwards : ReadingOrder {
  Backwards& backwards;

  ReadingOrderKeepingBackwards(TermIndexMap& candidates, Backwards& reversed)
      : ReadingOrder{candidates}, backwards(reversed) {}
  void Erase(Iter e) {
    backwards.Forget(e);
    map.erase(e);
  }
};

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

// Walks the view's map comparing each entry m with its successor o. When
// o's key contains m's, decide() settles the weights and names the
// survivor; the other entry is erased. A surviving m is compared with its
// new successor, a surviving o becomes m. Every step either advances or
// erases an entry.
template <typename View, typename Decide>
void MergeNeighbours(View& view, Decide decide) {
  auto& map = view.map;
  auto m = map.begin();
  while (m != map.end()) {
    auto o = std::next(m);
    if (o == map.end()) return;
    if (!Contains(o->first, m->first)) {
      m = o;
      continue;
    }
    if (decide(m, o) == Survivor::kSuccessor) {
      view.Erase(m);
      m = o;
    } else {
      view.Erase(o);
    }
  }
}

// The heavier of the two survives, the successor on equal weights.
template <typename Weight, typename Absorb>
Survivor HeavierSurvives(int32_t m, int32_t o, Weight weight, Absorb absorb) {
  if (weight(o) >= weight(m)) {
    absorb(o, m);
    return Survivor::kSuccessor;
  }
  absorb(m, o);
  return Survivor::kCurrent;
}

// Chinese full-text and abstract passes: a short word the dictionary calls
// similar to its longer neighbour gives way to it; otherwise the weight
// decides. similar_limit 0 leaves out the dictionary.
template <typename View, typename Weight, typename Absorb>
void MergeByWeight(View& view, size_t similar_limit, Weight weight, Absorb absorb) {
  using Iter = typename View::Iter;
  // Found at the first pair that asks, once for the pass: nothing loads
  // or unloads it meanwhile.
  std::optional<DictHandle> similar;
  MergeNeighbours(view, [&](Iter m, Iter o) {
    const int32_t mi = View::IndexOf(m), oi = View::IndexOf(o);
    if (similar_limit > 0 && !similar) similar.emplace(SimilarDictName());
    // Only a short word can give way on similarity, so a long one is not
    // looked up; without the dictionary every pair still logs its absence.
    const bool short_word = m->first.size() < similar_limit;
    if (similar_limit > 0 && (short_word || !similar->valid())) {
      const double s = GetSimlarityIn(similar->get(), o->first.c_str(), m->first.c_str());
      if (s > kSimilarEnough && short_word) {
        absorb(oi, mi);
        return Survivor::kSuccessor;
      }
    }
    return HeavierSurvives(mi, oi, weight, absorb);
  });
}

void TakeClassAndSecondWord(ArticleTerm& to, const ArticleTerm& from) {
  SetField(to.class_code, FieldView(from.class_code));
  SetField(to.second_word, FieldView(from.second_word));
}

// Gives the abstract entry a the text of the heavier full-text neighbour g,
// folds g into a's record and drops g. Returns the abstract entry to visit
// next, read after the new entry is in place so that a new key sorting
// after a is visited too.
template <typename View>
Entry Rekey(const Tables& t, TermIndexMap& abstword, Entry a, View& full, typename View::Iter g) {
  abstword.emplace(View::ReadingKey(g), a->second);
  ArticleTerm& record = t.Abstract(a->second);
  const ArticleTerm& neighbour = t.Full(View::IndexOf(g));
  record.weight += neighbour.weight;
  TakeClassAndSecondWord(record, neighbour);
  full.Erase(g);
  Entry next = std::next(a);
  abstword.erase(a);
  return next;
}

// Folds into each abstract term the full-text term of the same text, or
// else the full-text keys that border on it in key order: the one just
// before it when that heads its key, the one just after it when its key
// heads that. The view gives fileword's keys as read or reversed. With
// rekey set, a heavier bordering term gives the abstract entry its text
// instead of being added to it.
template <typename View>
void MergeAcross(const Tables& t, TermIndexMap& abstword, View& full, bool rekey) {
  auto& map = full.map;
  Entry a = abstword.begin();
  while (a != abstword.end()) {
    const std::string key = full.KeyFor(a->first);
    ArticleTerm& record = t.Abstract(a->second);

    // lower_bound rather than find: of several equal keys the first one,
    // in insertion order, is taken.
    auto same = map.lower_bound(key);
    if (same != map.end() && same->first == key) {
      const ArticleTerm& term = t.Full(View::IndexOf(same));
      record.weight += term.weight;
      TakeClassAndSecondWord(record, term);
      full.Erase(same);
      ++a;
      continue;
    }

    // No full-text key equals key, so lower_bound is where key would be
    // inserted: its predecessor and successor are the bordering terms.
    auto after = same;
    if (after != map.begin()) {
      auto before = std::prev(after);
      if (Heads(before->first, key)) {
        const ArticleTerm& term = t.Full(View::IndexOf(before));
        if (rekey && record.weight < term.weight) {
          a = Rekey(t, abstword, a, full, before);
          continue;
        }
        record.weight += term.weight;
        full.Erase(before);
      }
    }
    if (after != map.end() && Heads(key, after->first)) {
      const ArticleTerm& term = t.Full(View::IndexOf(after));
      if (rekey && record.weight < term.weight) {
        a = Rekey(t, abstword, a, full, after);
        continue;
      }
      record.weight += term.weight;
      full.Erase(after);
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

// English full-text passes: the term that agrees more deeply with the
// article class absorbs the other; on equal depths the heavier shorter
// term absorbs the longer one unless it is a general word. text_of gives
// the shorter term's text for the general-word test.
template <typename View, typename TextOf>
void MergeEnglishFullText(const Tables& t, View& view, TextOf text_of) {
  using Iter = typename View::Iter;
  MergeNeighbours(view, [&](Iter m, Iter o) {
    const int32_t mi = View::IndexOf(m), oi = View::IndexOf(o);
    int32_t dm = t.Depth(mi), d_o = t.Depth(oi);
    if (d_o > dm) {
      AbsorbFullText(t, oi, mi);
      return Survivor::kSuccessor;
    }
    ArticleTerm& mt = t.Full(mi);
    ArticleTerm& ot = t.Full(oi);
    if (d_o < dm || (mt.weight >= ot.weight && !IsGeneralEnglish(text_of(m).c_str()))) {
      mt.weight += ot.weight;
      return Survivor::kCurrent;
    }
    ot.weight += mt.weight;
    return Survivor::kSuccessor;
  });
}

// The frame both languages share: the entry checks, the full-text passes
// (in reading order, then backwards; the language decides how two terms
// merge), the abstract passes, the merge across the two lists and the
// exit. A fault inside stops the stage with its message.
template <typename FullTextPass>
bool MergeRootWords(const char* fault, TermIndexMap& fileword, TermIndexMap& abstword, ArticleTerm* info_map,
                    ArticleTerm* info_map1, TermClassMatch* info_map_class, int32_t abstract_similar_limit,
                    bool chinese, FullTextPass full_text_pass) {
  try {
    if (Missing(info_map, info_map1, info_map_class)) return false;
    if (fileword.empty() && abstword.empty()) {
      WriteLog(kEmptyOnEntry);
      return true;
    }
    const Tables t{info_map, info_map1, info_map_class};
    auto abst_weight = [&](int32_t i) { return t.Abstract(i).weight; };
    auto abst_absorb = [&](int32_t y, int32_t x) { AbsorbAbstract(t, y, x); };

    ReadingOrder full{fileword};
    full_text_pass(t, full);
    // Kept until the last pass: fileword loses entries in between, which
    // the view keeps it informed of, but gains none.
    Backwards full_backwards(fileword);
    full_text_pass(t, full_backwards);

    ReadingOrder abst{abstword};
    MergeByWeight(abst, abstract_similar_limit, abst_weight, abst_absorb);
    Backwards abst_backwards(abstword);
    MergeByWeight(abst_backwards, 0, abst_weight, abst_absorb);

    ReadingOrderKeepingBackwards full_keeping(fileword, full_backwards);
    MergeAcross(t, abstword, full_keeping, chinese);
    MergeAcross(t, abstword, full_backwards, chinese);

    return !EmptyAtEnd(fileword, abstword);
  } catch (...) {
    WriteLog(fault);
    return false;
  }
}

}  // namespace

bool RootFileWord3(TermIndexMap& fileword, TermIndexMap& abstword, ArticleTerm* info_map,
                   ArticleTerm* info_map1, TermClassMatch* info_map_class) {
  // The heavier term absorbs its neighbour; similar neighbours merge only
  // in reading order.
  auto pass = [](const Tables& t, auto& view) {
    const bool backwards = std::is_same_v<std::decay_t<decltype(view)>, Backwards>;
    MergeByWeight(
        view, backwards ? 0 : kFullTextSimilarLimit, [&](int32_t i) { return t.Full(i).weight; },
        [&](int32_t y, int32_t x) { AbsorbFullText(t, y, x); });
  };
  return MergeRootWords("RootFileWord3 Error!", fileword, abstword, info_map, info_map1, info_map_class,
                        kAbstractSimilarLimit, true, pass);
}

bool RootFileWord3_English(TermIndexMap& fileword, TermIndexMap& abstword, ArticleTerm* info_map,
                           ArticleTerm* info_map1, TermClassMatch* info_map_class) {
  auto pass = [](const Tables& t, auto& view) {
    if constexpr (std::is_same_v<std::decay_t<decltype(view)>, Backwards>) {
      // Reversed keys are no words; the record's own text is tested instead.
      MergeEnglishFullText(t, view,
                           [&](Backwards::Iter m) { return FieldText(t.Full(Backwards::IndexOf(m)).word); });
    } else {
      MergeEnglishFullText(t, view, [](Entry m) { return m->first; });
    }
  };
  return MergeRootWords("RootFileWord3_English Error!", fileword, abstword, info_map, info_map1,
                        info_map_class, 0, false, pass);
}

}  // namespace tarnix
