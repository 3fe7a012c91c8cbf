/*
 * Tarnix: keyword extraction for journal articles. Public C interface.
 *
 * Conventions:
 *   - All texts are NUL-terminated byte strings in the ANSI code page: GBK
 *     for Chinese articles (type 1), ASCII for English ones (type 2).
 *     Lengths and limits count bytes.
 *   - Every function runs on the caller's thread; Tarnix starts no threads.
 *     The classification engine holds one current article, so articles are
 *     processed one at a time.
 *   - Call Tarnix_Initial once before the first article and
 *     Tarnix_FreeDict once after the last.
 *   - Nothing of Tarnix's own outlives a call. What it writes besides the
 *     keyword list is the run log "Tarnix_Log.log" in the current
 *     directory. Configuration is read from ".\Tarnix.ini" and ".\EKVR.ini"
 *     in the current directory, section "DictInfo".
 *   - Functions are exported with C linkage, the cdecl convention and
 *     plain names.
 */
#ifndef TARNIX_API_TARNIX_H_
#define TARNIX_API_TARNIX_H_

#include "records.h"

#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(_WIN32)
#define TARNIX_CALL __cdecl
#if defined(TARNIX_BUILDING)
#define TARNIX_EXPORT __declspec(dllexport)
#else
#define TARNIX_EXPORT
#endif
#else
#define TARNIX_CALL
#if defined(TARNIX_BUILDING)
#define TARNIX_EXPORT __attribute__((visibility("default")))
#else
#define TARNIX_EXPORT
#endif
#endif

/* Results of Tarnix_Direct. */
#define TARNIX_OK 0
#define TARNIX_FAILED 9

/* The smallest capacity, in records, that Tarnix_Direct accepts. */
#define TARNIX_MIN_BUFFER 800

#ifdef __cplusplus
extern "C" {
#endif

/* Prepares the engines for articles of type (1 Chinese, 2 English); loads
 * the English general-word dictionary for type 2 and the similar-word
 * dictionary when load_similar is true. Returns 0 on success, 1 when the
 * classification engine finds no data, 2 when it cannot load it, 3 when the
 * similar-word dictionary and 4 when the English general-word dictionary
 * cannot be loaded. */
TARNIX_EXPORT int TARNIX_CALL Tarnix_Initial(int type, bool load_similar);

/* Extracts the keywords of one article into word_buffer. *buffer_size is
 * the capacity in records on entry (at least TARNIX_MIN_BUFFER) and the
 * number of keywords on return, sorted by descending weight.
 * class_mode: 0 = the caller's class code counts by characters before its
 * first dot, 1 = dotted codes standardised by the engine, other = no class.
 * Only the low byte of floor_weights is used. Returns TARNIX_OK, or
 * TARNIX_FAILED with *buffer_size 0 (the run log says why). */
TARNIX_EXPORT int TARNIX_CALL Tarnix_Direct(const char* title, const char* abstract,
                                            const char* keyword, const char* file,
                                            const char* magazine, const char* class_name,
                                            KeywordEntry* word_buffer, int* buffer_size,
                                            int type, int class_mode, int floor_weights);

/* Releases the engines and unloads every dictionary; returns the
 * segmentation engine's result. */
TARNIX_EXPORT int TARNIX_CALL Tarnix_FreeDict(void);

/* Rescales the weights of *buffer_size entries to sum to 1. 0 = done. */
TARNIX_EXPORT int TARNIX_CALL Word_Normal(KeywordEntry* word_buffer, int* buffer_size);

/* Rescales the weights of *buffer_size entries to whole numbers forming a
 * vector of length about 10000. 0 = done. */
TARNIX_EXPORT int TARNIX_CALL Word_Normal_Ten(KeywordEntry* word_buffer, int* buffer_size);

#ifdef __cplusplus
}  /* extern "C" */
#endif

#endif /* TARNIX_API_TARNIX_H_ */
