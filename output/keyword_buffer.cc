#include "keyword_buffer.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "config.h"
#include "dictionary_lookup.h"
#include "general_words.h"
#include "lexmill.h"
#include "run_log.h"
#include "sort_keys.h"
#include "text.h"
#include "word_tests.h"

namespace tarnix {
namespace {

constexpr int kChinese = 1;
constexpr int kEnglish = 2;
constexpr int32_t kTitlePosition = 1;
// The abstract's candidates go among the leading full-text keywords, not
// after them: the abstract is the author's own summary of the article, so
// its terms belong near the top of the list. Up to this many end their
// block at slot 7; more start it at slot 2, keeping the two strongest
// full-text keywords first.
constexpr size_t kSmallBlockMax = 6;
constexpr int32_t kSmallBlockLast = 7;
constexpr int32_t kLargeBlockFirst = 2;

// One full-text candidate of the ranking: its own weight, and the first
// fileword entry with its text, whose record speaks for every duplicate.
struct Ranked {
  double weight;
  TermIndexMap::const_iterator entry;
};

// Descending weight; equal weights keep the fileword map's key order, and a
// NaN weight, which has no place among the others, goes last.
std::vector<Ranked> RankCandidates(const TermIndexMap& fileword, const ArticleTerm* info_map) {
  std::vector<Ranked> ranking;
  ranking.reserve(fileword.size());
  auto first = fileword.end();
  for (auto it = fileword.begin(); it != fileword.end(); ++it) {
    if (first == fileword.end() || first->first != it->first) first = it;
    ranking.push_back({static_cast<double>(info_map[it->second].weight), first});
  }
  StableRadixSort(ranking, [](const Ranked& r) { return DescendingWeightKey(r.weight); });
  return ranking;
}

// The weight of the full-text candidates on either side of where the block
// of abstract_count candidates would sit, so that the block weighs what its
// neighbours in the list weigh and the weights still fall as the ranks do.
// Integer parts are taken without converting to an integer type, so no
// weight can overflow one.
float FillInWeight(const std::vector<Ranked>& ranking, size_t abstract_count) {
  if (abstract_count == 0 || ranking.empty()) return 0.0f;
  float sum = 0.0f;
  auto add = [&](size_t element, bool integer_part) {
    if (element >= ranking.size()) return;
    const double weight = ranking[element].weight;
    sum = static_cast<float>(static_cast<double>(sum) + (integer_part ? std::trunc(weight) : weight));
  };
  if (abstract_count <= kSmallBlockMax) {
    add(7 - abstract_count, false);
    add(8 - abstract_count, false);
  } else {
    add(1, true);
    add(2, true);
  }
  return static_cast<float>(sum * 0.5);
}

struct Block {
  bool present = false;
  int32_t first = 0;
  int32_t last = 0;
};

// A block that would reach past the buffer is not placed at all.
Block PlaceBlock(size_t abstract_count, int32_t capacity) {
  Block block;
  if (abstract_count >= 1 && abstract_count <= kSmallBlockMax) {
    block = {true, kSmallBlockLast + 1 - static_cast<int32_t>(abstract_count), kSmallBlockLast};
  } else if (abstract_count > kSmallBlockMax &&
             static_cast<int64_t>(abstract_count) < static_cast<int64_t>(capacity) - 2) {
    block = {true, kLargeBlockFirst, static_cast<int32_t>(abstract_count) + 1};
  }
  if (block.present && block.last >= capacity) block = Block();
  return block;
}

// Chinese keywords are the candidate texts; English ones are the terms'
// second words, with the candidate text beside them.
void SetTexts(KeywordEntry& slot, int type, std::string_view text, const ArticleTerm& record) {
  SetField(slot.class_code, FieldView(record.class_code));
  if (type == kChinese) {
    SetField(slot.keyword_text, text);
    SetField(slot.second_text, FieldView(record.second_word));
  } else {
    SetField(slot.keyword_text, FieldView(record.second_word));
    SetField(slot.second_text, text);
  }
}

void FillBlock(const TermIndexMap& abstword, const ArticleTerm* info_map1,
               KeywordEntry* word_buffer, const Block& block, int type, bool floor_weights,
               float fill_in) {
  int32_t s = block.first;
  for (const auto& [text, index] : abstword) {
    const ArticleTerm& record = info_map1[index];
    KeywordEntry& slot = word_buffer[s++];
    SetTexts(slot, type, text, record);
    const double own = record.weight;
    const double fill = fill_in;
    if (floor_weights) {
      slot.weight = own > fill ? own : fill;
    } else {
      slot.weight = own == 0.0 ? fill : own;
    }
  }
}

// The general-word tests only find a dictionary that is already loaded.
bool EnsureGeneralDictionary() {
  const std::string name = SysGeneralDictName();
  int handle = Dict_Get_Handle(name.c_str(), "");
  if (handle == -1) handle = Dict_Load_New(name.c_str(), "");
  if (handle == -1) return false;
  Dict_Delete_Handle(handle);
  return true;
}

// general: the general dictionary's handle, -1 when it is not loaded.
bool IsGeneralCandidate(int general, const std::string& text, const ArticleTerm& record, int type) {
  const bool title = record.position == kTitlePosition;
  if (type == kChinese) {
    if (HighFreStructureIn(general, text.c_str()) == kHighFreStructure) return true;
    return title ? IsGeneralChineseStrictIn(general, text.c_str()) : IsGeneralChineseIn(general, text.c_str());
  }
  const std::string second = FieldText(record.second_word);
  if (HighFreStructureIn(general, second.c_str()) == kHighFreStructure) return true;
  if (title ? IsGeneralChineseStrictIn(general, second.c_str()) : IsGeneralChineseIn(general, second.c_str())) {
    return true;
  }
  if (IsGeneralEnglish(FieldText(record.word).c_str())) return true;
  return IsGeneralStructEnglish(&record);
}

// Whether every entry indexes a valid record of its table.
bool IndexesFit(const TermIndexMap& map, int32_t count) {
  return std::all_of(map.begin(), map.end(),
                     [count](const auto& entry) { return entry.second >= 0 && entry.second < count; });
}

// Moves a block slot down; the slot left behind is cleared.
void MoveSlot(KeywordEntry& from, KeywordEntry& to) {
  SetField(to.keyword_text, FieldView(from.keyword_text));
  SetField(to.second_text, FieldView(from.second_text));
  SetField(to.class_code, FieldView(from.class_code));
  to.weight = from.weight;
  to.frequency = from.frequency;
  from.keyword_text[0] = '\0';
  from.second_text[0] = '\0';
  from.class_code[0] = '\0';
  from.weight = 0.0;
  from.frequency = 0;
}

}  // namespace

bool PrintKeyWord(TermIndexMap& fileword, TermIndexMap& abstword, ArticleTerm* info_map,
                  int32_t n, ArticleTerm* info_map1, int32_t m, KeywordEntry* word_buffer,
                  int32_t* buffer_size, int type, bool floor_weights) {
  try {
    if (buffer_size == nullptr) return false;
    const int32_t capacity = *buffer_size;
    if (static_cast<int64_t>(capacity) <
        static_cast<int64_t>(fileword.size()) + static_cast<int64_t>(abstword.size())) {
      WriteLog("PrintKeyWord word_buffer size is smaller!");
    }
    if (n < 0 || m < 0 || fileword.size() > static_cast<size_t>(n) ||
        abstword.size() > static_cast<size_t>(m) || info_map == nullptr ||
        info_map1 == nullptr || word_buffer == nullptr) {
      return false;
    }
    if ((type != kChinese && type != kEnglish) || !IndexesFit(fileword, n) ||
        !IndexesFit(abstword, m)) {
      return false;
    }

    const std::vector<Ranked> ranking = RankCandidates(fileword, info_map);
    const float fill_in = FillInWeight(ranking, abstword.size());
    if (type == kChinese) General_Abstword(abstword);
    const Block block = PlaceBlock(abstword.size(), capacity);
    if (block.present) {
      FillBlock(abstword, info_map1, word_buffer, block, type, floor_weights, fill_in);
    }

    if (!EnsureGeneralDictionary()) {
      WriteLog("step20. sys_general_dic load failed!");
      return false;
    }
    if (capacity < 0) {
      WriteLog("*buffer_size is smaller than zero!");
      return false;
    }

    // Found once for all the candidates; nothing loads or unloads a
    // dictionary while they are tested.
    const DictHandle general(SysGeneralDictName());
    int32_t s = 0;
    for (const Ranked& candidate : ranking) {
      if (s >= capacity) break;
      if (block.present && s == block.first) {
        s = block.last + 1;
        if (s >= capacity) break;
      }
      const std::string& text = candidate.entry->first;
      const ArticleTerm& record = info_map[candidate.entry->second];
      if (IsGeneralCandidate(general.get(), text, record, type)) continue;
      KeywordEntry& slot = word_buffer[s++];
      SetTexts(slot, type, text, record);
      slot.weight = candidate.weight;
    }

    // Too few full-text candidates to reach the block: close the gap.
    if (block.present && s <= block.first) {
      if (s == block.first) {
        s = block.last + 1;
      } else {
        for (int32_t b = block.first; b <= block.last && s < capacity; ++b, ++s) {
          MoveSlot(word_buffer[b], word_buffer[s]);
        }
      }
    }
    if (s < capacity) *buffer_size = s;
    return true;
  } catch (...) {
    WriteLog("PrintKeyWord Error!");
    return false;
  }
}

}  // namespace tarnix
