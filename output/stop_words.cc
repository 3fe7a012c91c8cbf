#include "stop_words.h"

#include <memory>
#include <string>

#include "word_list.h"

namespace tarnix {
namespace {

// One list per process, like the engines' data.
std::shared_ptr<const StopWords>& List() {
  static std::shared_ptr<const StopWords> list;
  return list;
}

bool& Loaded() {
  static bool loaded = false;
  return loaded;
}

}  // namespace

bool LoadKeywordStopWords() {
  // Once per initialisation, however many languages it prepares.
  if (Loaded()) return true;
  std::string error;
  // Quiet about bad lines: Extend_KVR, which reads the same file first,
  // has named them.
  List() = LoadConfiguredStopWords(nullptr, &error);
  Loaded() = error.empty();
  return error.empty();
}

void ForgetKeywordStopWords() {
  List().reset();
  Loaded() = false;
}

void DropStopWords(KeywordEntry* word_buffer, int32_t* buffer_size) {
  const std::shared_ptr<const StopWords>& list = List();
  if (!list || word_buffer == nullptr || buffer_size == nullptr) return;
  int32_t kept = 0;
  for (int32_t i = 0; i < *buffer_size; ++i) {
    if (list->Contains(word_buffer[i].keyword_text)) continue;
    if (kept != i) word_buffer[kept] = word_buffer[i];
    ++kept;
  }
  *buffer_size = kept;
}

}  // namespace tarnix
