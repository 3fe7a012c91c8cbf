#include "article_class.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "extend_kvr.h"
#include "run_log.h"
#include "text.h"

namespace tarnix {
namespace {

constexpr int kCandidateCount = 100;
constexpr size_t kCandidateSize = 128;
constexpr size_t kStandWorkSize = 80;
constexpr size_t kMaxCodeLength = 100;  // codes this long or longer never match

// The article class buffer holds 99 bytes of text; longer codes are cut.
void SetArticleClass(char* article_class, std::string_view code) {
  CopyText(article_class, kArticleClassSize, code);
}

}  // namespace

bool GetAutoClass(ClassScoreMap& class_map, char* article_class, const char* class_name,
                  int32_t class_mode) {
  try {
    if (article_class == nullptr || class_name == nullptr) {
      WriteLog("GetAutoClass Wrong!");
      return false;
    }
    std::unique_ptr<char[]> storage(new (std::nothrow) char[kCandidateCount * kCandidateSize]);
    if (!storage) {
      WriteLog("GetAutoClass. artticlassno1 allocate memory failed!");
      return false;
    }
    char* classes[kCandidateCount];
    float scores[kCandidateCount] = {};
    for (int i = 0; i < kCandidateCount; ++i) {
      classes[i] = storage.get() + i * kCandidateSize;
      classes[i][0] = '\0';
    }

    int count = kCandidateCount;
    int classified = GetTxtClassifyTemp(classes, scores, &count, 0);
    // The candidates count whatever the result; never more than were asked.
    count = std::clamp(count, 0, kCandidateCount);
    for (int i = 0; i < count; ++i) classes[i][kCandidateSize - 1] = '\0';

    float total = 0.0f;
    for (int i = 0; i < count; ++i) total += scores[i];
    const float threshold = static_cast<float>(0.6 * total);
    float running = 0.0f;
    for (int i = 0; i < count; ++i) {
      class_map.emplace(classes[i], static_cast<double>(scores[i]));
      running += scores[i];
      if (running >= threshold) break;
    }

    int given = 0;
    if (class_mode == kClassModeDotted) {
      given = GetStandClass(class_name, article_class);
      if (given == 2) WriteLog("GetStandClass failed!");
    } else if (class_mode == kClassModeCharacters) {
      SetArticleClass(article_class, class_name);
      given = class_name[0] != '\0' ? 1 : 0;
    }

    const int32_t levels = ClassMatchDepth(article_class, article_class, class_mode);
    if (given != 0 && levels >= 4) {
      // A detailed class from the caller outranks the engine's guess.
    } else if (classified == 1) {
      SetArticleClass(article_class, count > 0 ? classes[0] : "");
    } else if (given == 0) {
      article_class[0] = '\0';
    }
    return true;
  } catch (...) {
    WriteLog("GetAutoClass error!");
    return false;
  }
}

int GetStandClass(const char* class_name, char* out) {
  if (class_name == nullptr || out == nullptr) return 2;
  const size_t length = std::strlen(class_name);
  if (length == 0 || length >= kStandWorkSize) return 0;
  char work[kStandWorkSize];
  std::memcpy(work, class_name, length + 1);
  int result = 0;
  for (size_t n = length; n > 0; --n) {
    work[n] = '\0';
    result = GetFormalizationClass(work, out);
    // Whatever the engine wrote, the buffer stays a text of at most 99 bytes.
    out[kArticleClassSize - 1] = '\0';
    if (result == 1) return 1;
  }
  return result;
}

int32_t ClassMatchDepth(const char* a, const char* b, int32_t class_mode) {
  if (a == nullptr || b == nullptr) return 0;
  const size_t la = BoundedLength(a, kMaxCodeLength + 1);
  const size_t lb = BoundedLength(b, kMaxCodeLength + 1);
  if (la == 0 || lb == 0 || la >= kMaxCodeLength || lb >= kMaxCodeLength) return 0;
  const size_t common = std::min(la, lb);
  int32_t count = 0;
  if (class_mode == kClassModeCharacters) {
    for (size_t i = 0; i < common && a[i] == b[i] && a[i] != '.'; ++i) ++count;
    return count;
  }
  if (class_mode != kClassModeDotted) return 0;
  for (size_t i = 0; i < common; ++i) {
    if (a[i] != b[i]) return count;
    if (i + 1 < common) {
      if (a[i + 1] == '.' && b[i + 1] == '.') ++count;
    } else {
      // The byte after the shared part ends a level on both sides when it
      // is the end of one code and a dot in the other, or both ends.
      const char x = a[i + 1];
      const char y = b[i + 1];
      if ((x == '\0' && y == '.') || (y == '\0' && x == '.') || (x == '\0' && y == '\0')) ++count;
    }
  }
  return count;
}

}  // namespace tarnix
