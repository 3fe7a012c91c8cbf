// Scripted Extend_KVR.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "scripted_engines.h"

using scripted::Extend;
using scripted::Record;

namespace {

std::string Text(const char* s) { return s ? std::string(s) : std::string("(null)"); }

// Whether every record of the table is in the state the caller must set up
// before the engine fills it.
bool Initialised(const ArticleTerm* table, int capacity, float weight) {
  for (int i = 0; i < capacity; ++i) {
    const ArticleTerm& t = table[i];
    if (t.word[0] || t.class_code[0] || t.second_word[0] || t.weight != weight ||
        t.reserved1 != 0 || t.frequency != 0 || t.reserved2 != -1 || t.reserved3 != -1 ||
        t.position != -1) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" {

int EKVR_SetPath(void) {
  SCRIPTED_RECORD("EKVR_SetPath", {});
  return Extend().set_path;
}

int EKVR_Word_Init(int mode, int type) {
  SCRIPTED_RECORD("EKVR_Word_Init", {std::to_string(mode), std::to_string(type)});
  return Extend().word_init;
}

int EKVR_FreeDict(void) {
  SCRIPTED_RECORD("EKVR_FreeDict", {});
  return 1;
}

int EKVR_Init_File2(const char* title, const char* keyword, const char* abstract,
                    const char* magazine, const char* file, char* extra) {
  SCRIPTED_RECORD("EKVR_Init_File2",
         {Text(title), Text(keyword), Text(abstract), Text(magazine), Text(file), Text(extra)});
  return Extend().init_file2;
}

int SetCHIThreshold(float threshold) {
  uint32_t bits;
  std::memcpy(&bits, &threshold, sizeof bits);
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", bits);
  SCRIPTED_RECORD("SetCHIThreshold", {hex});
  return Extend().chi_threshold;
}

int EKVR_CalculateTxtValue(int mode, int class_mode) {
  SCRIPTED_RECORD("EKVR_CalculateTxtValue", {std::to_string(mode), std::to_string(class_mode)});
  return Extend().calculate;
}

int GetTxtClassifyTemp(char** classes, float* scores, int* count, int mode) {
  int capacity = count ? *count : -1;
  SCRIPTED_RECORD("GetTxtClassifyTemp", {std::to_string(capacity), std::to_string(mode)});
  const auto& candidates = Extend().classes;
  size_t written = std::min(candidates.size(), static_cast<size_t>(std::max(capacity, 0)));
  for (size_t i = 0; i < written; ++i) {
    // Fills the whole 128-byte buffer when the code is that long, without a
    // NUL, as a careless engine might.
    size_t n = std::min(candidates[i].first.size(), static_cast<size_t>(128));
    std::memcpy(classes[i], candidates[i].first.data(), n);
    if (n < 128) classes[i][n] = '\0';
    scores[i] = candidates[i].second;
  }
  if (count) {
    *count = Extend().reported_class_count.value_or(static_cast<int>(written));
  }
  return Extend().classify;
}

int GetFormalizationClass(const char* text, char* out) {
  SCRIPTED_RECORD("GetFormalizationClass", {Text(text)});
  auto f = Extend().formal.find(Text(text));
  if (f == Extend().formal.end()) return Extend().formal_miss;
  std::memcpy(out, f->second.data(), std::min(f->second.size(), static_cast<size_t>(99)));
  out[std::min(f->second.size(), static_cast<size_t>(99))] = '\0';
  return 1;
}

int EKVR_GetArticleInfo(ArticleTerm* table, int* count, int kind) {
  int capacity = count ? *count : -1;
  bool full = kind == EKVR_KIND_FULL_TEXT;
  // Whether the table came initialised is worked out only for the record:
  // it reads every record of the table.
  SCRIPTED_RECORD("EKVR_GetArticleInfo",
                  {std::to_string(capacity), std::to_string(kind),
                   table && capacity > 0 && Initialised(table, capacity, full ? 0.0f : 100.0f)
                       ? "initialised"
                       : "not initialised"});
  const auto& records = full ? Extend().full_text : Extend().abstract_terms;
  size_t written = std::min(records.size(), static_cast<size_t>(std::max(capacity, 0)));
  for (size_t i = 0; i < written; ++i) table[i] = records[i];
  const auto& reported = full ? Extend().reported_full_count : Extend().reported_abstract_count;
  if (count) *count = reported.value_or(static_cast<int>(written));
  return full ? Extend().full_text_result : Extend().abstract_result;
}

}  // extern "C"
