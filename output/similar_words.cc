#include "similar_words.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "config.h"
#include "dictionary_lookup.h"
#include "run_log.h"
#include "text.h"
#include "weight_sort.h"
#include "word_tests.h"

namespace tarnix {
namespace {

constexpr int32_t kInitialWindow = 8;
constexpr size_t kSimilarInfoSize = 1024;
constexpr double kSimilarityLimit = 0.6;

// The similarity that info (an entry list "word:similarity;...") gives the
// first match of `word` followed by ":", or -1 when there is none. The
// match may lie inside a longer word of the list.
double ListedSimilarity(std::string_view info, std::string_view word) {
  std::string pattern(word);
  pattern += ':';
  const size_t at = info.find(pattern);
  if (at == std::string_view::npos) return -1.0;
  const size_t start = at + pattern.size();
  const size_t end = info.find(';', start);
  if (end == std::string_view::npos) return -1.0;
  return NumStrValue(std::string(info.substr(start, end - start)));
}

}  // namespace

bool SimilarWordDel(KeywordEntry* word_buffer, int32_t* buffer_size) {
  try {
    if (buffer_size == nullptr) return false;
    int32_t count = *buffer_size;
    if (count == 0) return true;
    if (word_buffer == nullptr || count < 0) return false;

    {
      DictHandle dict(SimilarDictName());
      if (!dict.valid()) {
        WriteLog("SimilarWordDel function: can not Getdict QOVA_SIM_CHN_DICT!");
        return false;
      }
      char info[kSimilarInfoSize];
      std::string word;
      int32_t window = std::min(kInitialWindow, count);
      for (int32_t i = 0; i < window - 1; ++i) {
        // Word i's entry is the same for every later word it is compared
        // with (only weights change in the loop), so it is looked up once;
        // a word the dictionary lacks is compared with none.
        word.assign(FieldView(word_buffer[i].keyword_text));
        if (!LookUpInfo(word.c_str(), dict.get(), info, sizeof info, static_cast<int>(sizeof info))) {
          continue;
        }
        for (int32_t j = i + 1; j < window; ++j) {
          const double similarity =
              ListedSimilarity(info, FieldView(word_buffer[j].keyword_text));
          if (!(similarity > kSimilarityLimit)) continue;
          KeywordEntry& earlier = word_buffer[i];
          KeywordEntry& later = word_buffer[j];
          if (earlier.weight == 0.0 || later.weight == 0.0) continue;
          // Each removal lets one more keyword into the comparison.
          if (window < count) ++window;
          if (earlier.weight < later.weight) {
            earlier.weight = 0.0;
            break;
          }
          later.weight = 0.0;
        }
      }
    }

    MaoPaoSort(word_buffer, count);
    *buffer_size = TrimTrailingZeros(word_buffer, count);
    return true;
  } catch (...) {
    WriteLog("SimilarWordDel Error!");
    return false;
  }
}

}  // namespace tarnix
