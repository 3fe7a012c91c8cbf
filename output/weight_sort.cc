#include "weight_sort.h"

#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "run_log.h"
#include "text.h"

namespace tarnix {
namespace {

// Exchanges two text fields as texts: the bytes after each terminating NUL
// stay where they are.
template <size_t N>
void SwapText(char (&a)[N], char (&b)[N]) {
  char held[N];
  SetField(held, FieldView(a));
  SetField(a, FieldView(b));
  SetField(b, FieldView(held));
}

// Everything of a keyword moves except the reserved bytes, which belong to
// the host.
void SwapKeywords(KeywordEntry& a, KeywordEntry& b) {
  SwapText(a.keyword_text, b.keyword_text);
  SwapText(a.second_text, b.second_text);
  SwapText(a.class_code, b.class_code);
  std::swap(a.frequency, b.frequency);
  std::swap(a.weight, b.weight);
}

}  // namespace

bool MaoPaoSort(KeywordEntry* word_buffer, int32_t n) {
  if (n == 0) return true;
  if (word_buffer == nullptr || n < 0) return false;
  for (int32_t i = 0; i + 1 < n; ++i) {
    for (int32_t j = i + 1; j < n; ++j) {
      if (word_buffer[i].weight < word_buffer[j].weight) SwapKeywords(word_buffer[i], word_buffer[j]);
    }
  }
  return true;
}

int32_t TrimTrailingZeros(const KeywordEntry* word_buffer, int32_t count) {
  while (count > 0 && word_buffer[count - 1].weight == 0.0) --count;
  return count;
}

bool WordValueChang(ClassScoreMap& class_map, const char* article_class,
                    KeywordEntry* word_buffer, int32_t* buffer_size) {
  try {
    if (buffer_size == nullptr) return false;
    const int32_t count = *buffer_size;
    if (count == 0) return true;
    if (word_buffer == nullptr || count < 0 || article_class == nullptr) return false;

    // A keyword of the article's own class always counts as matching.
    class_map.emplace(std::string(article_class, strnlen(article_class, kArticleClassSize - 1)),
                      0.0);
    std::string code;
    for (int32_t k = 0; k < count; ++k) {
      code.assign(FieldView(word_buffer[k].class_code));
      word_buffer[k].weight *= class_map.count(code) ? 2.0 : 0.5;
    }
    MaoPaoSort(word_buffer, count);
    *buffer_size = TrimTrailingZeros(word_buffer, count);
    return true;
  } catch (...) {
    WriteLog("WordValueChang Error!");
    return false;
  }
}

}  // namespace tarnix
