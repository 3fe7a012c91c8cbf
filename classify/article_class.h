// The article's class code: chosen from the caller's code and the
// classification engine's candidates, and the depth to which two codes
// agree.
#ifndef TARNIX_CLASSIFY_ARTICLE_CLASS_H_
#define TARNIX_CLASSIFY_ARTICLE_CLASS_H_

#include <cstdint>

#include "term_maps.h"

namespace tarnix {

// Class-code schemes (the caller's class_mode).
constexpr int32_t kClassModeCharacters = 0;  // levels are characters before the first dot
constexpr int32_t kClassModeDotted = 1;      // levels are dot-separated, standardised by the engine

// Fills class_map with the smallest leading group of the engine's candidate
// classes whose scores reach 60 % of their total, and writes the article
// class into article_class (kArticleClassSize bytes, empty on entry): the
// caller's class when it has at least four levels, else the engine's best
// candidate when classification succeeded, else the caller's class (empty
// when there is none).
bool GetAutoClass(ClassScoreMap& class_map, char* article_class, const char* class_name,
                  int32_t class_mode);

// Standardises class_name through the engine, trying ever shorter prefixes:
// 1 = found and written to out (kArticleClassSize bytes); 2 = a null
// argument; otherwise the engine's last answer (0 for an empty or too long
// class_name).
int GetStandClass(const char* class_name, char* out);

// How many levels the codes a and b share under class_mode; 0 for null,
// empty or over-long (100 bytes or more) codes and for other modes.
int32_t ClassMatchDepth(const char* a, const char* b, int32_t class_mode);

}  // namespace tarnix

#endif  // TARNIX_CLASSIFY_ARTICLE_CLASS_H_
