// The exported entry points: no exception crosses the C boundary; any
// failure inside is reported as the function's failure result.
#include <cstdio>
#include <exception>

#include "engine.h"
#include "extend_kvr.h"

namespace {

template <typename Body>
int Guard(const char* function, Body body) {
  try {
    return body();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Extend_KVR: %s failed: %s\n", function, e.what());
  } catch (...) {
    std::fprintf(stderr, "Extend_KVR: %s failed\n", function);
  }
  return 0;
}

}  // namespace

extern "C" {

EKVR_API int EKVR_CALL EKVR_SetPath(void) {
  return Guard("EKVR_SetPath", [] { return ekvr::TheEngine().SetPath(); });
}

EKVR_API int EKVR_CALL EKVR_Word_Init(int mode, int type) {
  return Guard("EKVR_Word_Init", [=] { return ekvr::TheEngine().WordInit(mode, type); });
}

EKVR_API int EKVR_CALL EKVR_FreeDict(void) {
  return Guard("EKVR_FreeDict", [] { return ekvr::TheEngine().FreeDict(); });
}

EKVR_API int EKVR_CALL EKVR_Init_File2(const char* title, const char* keyword,
                                       const char* abstract, const char* magazine,
                                       const char* file, char* extra) {
  return Guard("EKVR_Init_File2", [=] {
    return ekvr::TheEngine().InitFile(title, keyword, abstract, magazine, file, extra);
  });
}

EKVR_API int EKVR_CALL SetCHIThreshold(float threshold) {
  return Guard("SetCHIThreshold", [=] { return ekvr::TheEngine().SetThreshold(threshold); });
}

EKVR_API int EKVR_CALL EKVR_CalculateTxtValue(int mode, int class_mode) {
  return Guard("EKVR_CalculateTxtValue",
               [=] { return ekvr::TheEngine().Calculate(mode, class_mode); });
}

EKVR_API int EKVR_CALL GetTxtClassifyTemp(char** classes, float* scores, int* count, int /*mode*/) {
  return Guard("GetTxtClassifyTemp",
               [=] { return ekvr::TheEngine().Classify(classes, scores, count); });
}

EKVR_API int EKVR_CALL GetFormalizationClass(const char* text, char* out) {
  return Guard("GetFormalizationClass", [=] { return ekvr::TheEngine().Formalize(text, out); });
}

EKVR_API int EKVR_CALL EKVR_GetArticleInfo(ArticleTerm* table, int* count, int kind) {
  return Guard("EKVR_GetArticleInfo",
               [=] { return ekvr::TheEngine().ArticleInfo(table, count, kind); });
}

}  // extern "C"
