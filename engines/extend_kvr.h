/*
 * Extend_KVR: the classification and term-scoring engine, as Tarnix
 * imports it.
 *
 * Any build of Extend_KVR that exports these nine functions with these
 * argument lists (C linkage, cdecl, plain names) can be dropped in beside
 * Tarnix without rebuilding it.
 *
 * Conventions:
 *   - Texts are NUL-terminated byte strings in the ANSI code page (GBK).
 *   - Results are compared exactly: 1 means success, with one exception:
 *     EKVR_Word_Init fails with 0 and succeeds with anything else.
 *   - Per article the calls come in this order: EKVR_Init_File2,
 *     SetCHIThreshold, EKVR_CalculateTxtValue, GetTxtClassifyTemp,
 *     GetFormalizationClass (class mode 1 only, possibly several times),
 *     EKVR_GetArticleInfo kind 1, EKVR_GetArticleInfo kind 2. The engine
 *     keeps the article of the last EKVR_Init_File2 for the calls after it.
 *   - The ArticleTerm layout and its position codes are in tarnix/records.h.
 */
#ifndef TARNIX_ENGINES_EXTEND_KVR_H_
#define TARNIX_ENGINES_EXTEND_KVR_H_

#include "tarnix/records.h"

#if defined(_WIN32)
#define EKVR_CALL __cdecl
#if defined(EKVR_BUILDING)
#define EKVR_API __declspec(dllexport)
#else
#define EKVR_API
#endif
#else
#define EKVR_CALL
#define EKVR_API __attribute__((visibility("default")))
#endif

/* Kinds of term list that EKVR_GetArticleInfo delivers. */
#define EKVR_KIND_FULL_TEXT 1 /* full-text terms, capacity 10000 */
#define EKVR_KIND_ABSTRACT 2  /* abstract and keyword terms, capacity 50 */

#ifdef __cplusplus
extern "C" {
#endif

/* Finds the engine's data; 1 = ready. */
EKVR_API int EKVR_CALL EKVR_SetPath(void);

/* Loads what articles of type (1 Chinese, 2 English) need; 0 = failure. */
EKVR_API int EKVR_CALL EKVR_Word_Init(int mode, int type);

/* Releases what EKVR_Word_Init loaded. */
EKVR_API int EKVR_CALL EKVR_FreeDict(void);

/* Makes this article the engine's current one; 1 = accepted. */
EKVR_API int EKVR_CALL EKVR_Init_File2(const char* title, const char* keyword,
                                       const char* abstract, const char* magazine,
                                       const char* file, char* extra);

/* Sets the term-selection threshold; 1 = accepted. */
EKVR_API int EKVR_CALL SetCHIThreshold(float threshold);

/* Computes the current article's term values; 1 = done. */
EKVR_API int EKVR_CALL EKVR_CalculateTxtValue(int mode, int class_mode);

/* Classifies the current article: classes holds *count pointers to 128-byte
 * buffers; on return *count candidates are written best first, with their
 * scores. 1 = classification succeeded. */
EKVR_API int EKVR_CALL GetTxtClassifyTemp(char** classes, float* scores,
                                          int* count, int mode);

/* 1 = text is a class of the standard scheme, and out (100 bytes) holds its
 * standard form. */
EKVR_API int EKVR_CALL GetFormalizationClass(const char* text, char* out);

/* Writes the current article's terms of the given kind from table[0];
 * *count is the capacity on entry and the number written on return. */
EKVR_API int EKVR_CALL EKVR_GetArticleInfo(ArticleTerm* table, int* count, int kind);

#ifdef __cplusplus
}  /* extern "C" */
#endif

#endif /* TARNIX_ENGINES_EXTEND_KVR_H_ */
