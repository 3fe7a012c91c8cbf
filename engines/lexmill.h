/*
 * Lexmill: the segmentation and dictionary engine, as Tarnix imports it.
 *
 * Any build of Lexmill that exports these eleven functions with these
 * argument lists (C linkage, cdecl, plain names) can be dropped in beside
 * Tarnix without rebuilding it.
 *
 * Conventions:
 *   - Texts are NUL-terminated byte strings in the ANSI code page (GBK).
 *   - Dictionaries are addressed by name. Dict_Load_New loads one and
 *     returns a handle; Dict_Get_Handle takes a handle of a dictionary that
 *     is already loaded; Dict_Delete_Handle gives a handle back and leaves
 *     the dictionary loaded; Dict_Unload_New unloads it. A handle of -1
 *     means failure (not loaded). The second argument of Dict_Load_New and
 *     Dict_Get_Handle is always the empty text.
 *   - Functions returning bool report success in the low byte only.
 */
#ifndef TARNIX_ENGINES_LEXMILL_H_
#define TARNIX_ENGINES_LEXMILL_H_

#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(_WIN32)
#define LEXMILL_CALL __cdecl
#if defined(LEXMILL_BUILDING)
#define LEXMILL_API __declspec(dllexport)
#else
#define LEXMILL_API
#endif
#else
#define LEXMILL_CALL
#define LEXMILL_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Loads the named dictionary; returns a handle, or -1. */
LEXMILL_API int LEXMILL_CALL Dict_Load_New(const char* name, const char* path);

/* Handle of an already loaded dictionary, or a negative value. */
LEXMILL_API int LEXMILL_CALL Dict_Get_Handle(const char* name, const char* path);

/* Gives a handle back; the dictionary stays loaded. */
LEXMILL_API int LEXMILL_CALL Dict_Delete_Handle(int handle);

/* Unloads the dictionary the handle refers to. */
LEXMILL_API int LEXMILL_CALL Dict_Unload_New(int handle);

/* Releases everything the engine holds. */
LEXMILL_API int LEXMILL_CALL Free_All_Space(void);

/* Looks word up; 1 = found, and info holds the entry's information text,
 * NUL-terminated within size bytes. */
LEXMILL_API int LEXMILL_CALL Dict_Search_Get_Info(const char* word, int handle,
                                                  char* info, int size);

/* Segments length bytes of text with the dictionary of handle. On success
 * word_ends[k] is the end offset (exclusive) of word k; the entries after
 * the last word are left as they were (the callers zero them). When tags is
 * not null, tags[k] receives word k's part-of-speech code. The engine never
 * writes more than length + 1 entries into either array. */
LEXMILL_API bool LEXMILL_CALL QX_Word_Sect(const char* text, int* word_ends,
                                           int length, int handle, int want_tags,
                                           int16_t* tags, int max_word, int mode,
                                           int reserved1, int reserved2);

/* Finds the character boundaries of length bytes of text: *count = number
 * of characters, char_ends[k] = end offset of character k, types[k] = its
 * kind (types holds 128 bytes). */
LEXMILL_API bool LEXMILL_CALL Code_Determine(const char* text, int* char_ends,
                                             char* types, int length, int* count,
                                             int reserved1, int reserved2);

/* Whether the whole text is English letters / a number / punctuation. */
LEXMILL_API bool LEXMILL_CALL IsEnglishLetter(const char* text, int reserved);
LEXMILL_API bool LEXMILL_CALL IsNumber(const char* text, int reserved);
LEXMILL_API bool LEXMILL_CALL IsPunctuation(const char* text, int reserved);

#ifdef __cplusplus
}  /* extern "C" */
#endif

#endif /* TARNIX_ENGINES_LEXMILL_H_ */
