#include "term_set.h"

#include <algorithm>
#include <cstring>

#include "gbk_chars.h"

namespace ekvr {

void SplitWords(std::string_view second, std::vector<std::string_view>* words) {
  words->clear();
  // Words are a few bytes: a byte loop is cheaper than a library search
  // per word.
  size_t at = 0;
  for (size_t i = 0; i < second.size(); ++i) {
    if (second[i] != ' ') continue;
    words->push_back(second.substr(at, i - at));
    at = i + 1;
  }
  words->push_back(second.substr(at));
}

Term& TermSet::Add(std::string_view key, std::string_view word, std::string_view second,
                   int parts, Position pos, size_t offset) {
  const auto [slot, added] = index_.Insert(key, static_cast<uint32_t>(terms_.size()));
  const size_t i = *slot;
  if (added) {
    terms_.emplace_back();
    Term& t = terms_.back();
    // A new term's texts are empty: appending to them skips the general
    // replacement path of an assignment, and an empty second text needs
    // nothing at all.
    t.word.append(word.data(), word.size());
    if (!second.empty()) t.second.append(second.data(), second.size());
    t.parts = parts;
  }
  Term& t = terms_[i];
  if (t.freq[pos]++ == 0) t.first_offset[pos] = static_cast<int>(offset);
  return t;
}

Term* TermSet::Find(std::string_view key) {
  const uint32_t* found = index_.Find(key);
  return found == nullptr ? nullptr : &terms_[*found];
}

void TermSet::Reserve(size_t n) {
  index_.reserve(n);
  terms_.reserve(n);
}

void TermSet::Clear() {
  index_.clear();
  terms_.clear();
}

void FillRecord(ArticleTerm* record, const Term& term, Position pos, float weight, int frequency) {
  std::memset(record, 0, sizeof *record);
  SetCut(record->word, term.word);
  SetCut(record->class_code, term.class_code);
  SetCut(record->second_word, term.second);
  record->weight = weight;
  record->frequency = frequency;
  record->reserved1 = term.parts;
  record->reserved2 = term.first_offset[pos];
  record->reserved3 = term.Fields();
  record->position = pos;
}

int WriteFullText(const TermSet& terms, ArticleTerm* table, int capacity) {
  struct Entry {
    float weight;
    int term;
    int pos;
  };
  std::vector<Entry> entries;
  const auto& all = terms.terms();
  entries.reserve(all.size() * 2);  // most terms occur in one or two fields
  for (size_t i = 0; i < all.size(); ++i) {
    if (!all[i].keep) continue;
    for (int p = 0; p < kPositionCount; ++p) {
      if (all[i].freq[p] > 0) entries.push_back({all[i].weight[p], static_cast<int>(i), p});
    }
  }
  // Heaviest first, equal weights in the order of the terms: only the
  // records that fit are put in order.
  const int n = std::min<int>(capacity, static_cast<int>(entries.size()));
  if (n <= 0) return 0;
  // No two entries compare equal (a term has one entry per field), so
  // selecting the n first and sorting only them gives the very order a
  // full sort would, in less time than a partial heap sort.
  const auto heavier = [](const Entry& a, const Entry& b) {
    if (a.weight != b.weight) return a.weight > b.weight;
    return a.term != b.term ? a.term < b.term : a.pos < b.pos;
  };
  if (static_cast<size_t>(n) < entries.size()) {
    std::nth_element(entries.begin(), entries.begin() + n, entries.end(), heavier);
  }
  std::sort(entries.begin(), entries.begin() + n, heavier);
  for (int k = 0; k < n; ++k) {
    const Term& t = all[entries[k].term];
    const auto pos = static_cast<Position>(entries[k].pos);
    FillRecord(&table[k], t, pos, entries[k].weight, t.freq[pos]);
  }
  return n;
}

int WriteWholeTerms(const TermSet& terms, ArticleTerm* table, int capacity) {
  const auto& all = terms.terms();
  std::vector<int> order;
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i].keep) order.push_back(static_cast<int>(i));
  }
  const int n = std::min<int>(capacity, static_cast<int>(order.size()));
  if (n <= 0) return 0;
  const auto heavier = [&all](int a, int b) { return all[a].total != all[b].total ? all[a].total > all[b].total : a < b; };
  if (static_cast<size_t>(n) < order.size()) std::nth_element(order.begin(), order.begin() + n, order.end(), heavier);
  std::sort(order.begin(), order.begin() + n, heavier);
  for (int k = 0; k < n; ++k) {
    const Term& t = all[order[k]];
    Position pos = kPosBody;
    int frequency = 0;
    bool placed = false;
    for (Position p : {kPosTitle, kPosAbstract, kPosBody, kPosKeywords}) {
      frequency += t.freq[p];
      if (!placed && t.freq[p] > 0) {
        pos = p;
        placed = true;
      }
    }
    FillRecord(&table[k], t, pos, static_cast<float>(t.total), frequency);
  }
  return n;
}

int WriteAbstract(const std::vector<AuthorKeyword>& keywords, const TermSet& terms,
                  ArticleTerm* table, int capacity, int abstract_terms) {
  const int limit = std::min(capacity, kAbstractLimit);
  int n = 0;
  for (const AuthorKeyword& k : keywords) {
    if (n >= limit) return n;
    Term t;
    t.word = k.word;
    t.second = k.second;
    t.class_code = k.class_code;
    t.freq[kPosKeywords] = 1;
    t.first_offset[kPosKeywords] = -1;
    FillRecord(&table[n++], t, kPosKeywords, k.weight, k.frequency);
  }
  std::vector<int> order;
  const auto& all = terms.terms();
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i].keep && all[i].freq[kPosAbstract] > 0) order.push_back(static_cast<int>(i));
  }
  std::stable_sort(order.begin(), order.end(),
                   [&all](int a, int b) { return all[a].total > all[b].total; });
  int taken = 0;
  for (int i : order) {
    if (n >= limit || taken++ >= abstract_terms) break;
    FillRecord(&table[n++], all[i], kPosAbstract, static_cast<float>(all[i].total),
               all[i].TotalFrequency());
  }
  return n;
}

}  // namespace ekvr
