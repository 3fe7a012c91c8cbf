/*
 * Binary record layouts shared with the classification engine and the host.
 *
 * These three records cross library borders byte for byte: ArticleTerm
 * tables are filled by Extend_KVR, KeywordEntry arrays belong to the host
 * program that calls Tarnix_Direct. Layout rules:
 *   - little-endian, no padding beyond what the tables below show;
 *   - every text field is a NUL-terminated byte string in the system's ANSI
 *     code page (GBK for Chinese, ASCII for English); a field of N bytes
 *     holds at most N - 1 bytes of text.
 *
 * ArticleTerm, 332 bytes: one term of the article.
 *   off size field
 *     0  101 word         the term text as found in the article
 *   101  103 class_code   class code of the term (abstract table: the
 *                         article class, written by Tarnix)
 *   204    4 weight       float32; -1.0 marks a record absorbed into another
 *   208    4 reserved1    engine-owned; 0 before the engine fills the table
 *   212    4 frequency    int32 occurrences of the term
 *   216  104 second_word  the engine's second text of the term
 *   320    4 reserved2    engine-owned; -1 before the engine fills the table
 *   324    4 reserved3    engine-owned; -1 before the engine fills the table
 *   328    4 position     int32 position code (1 = title, 0 = abstract)
 *
 * TermClassMatch, 108 bytes: class agreement of one full-text term.
 *     0  104 word         copy of the term's word
 *   104    4 match_depth  agreement depth with the article class; 0 = none
 *
 * KeywordEntry, 528 bytes: one keyword in the host's output array.
 *     0  128 keyword_text the keyword
 *   128  256 second_text  the keyword's second text
 *   384    4 frequency    int32 frequency summed over positions
 *   388  128 class_code   class code of the term the keyword came from
 *   516    4 reserved     never written by Tarnix
 *   520    8 weight       float64 weight; the list is ordered by it
 *
 * All members are naturally aligned at these offsets on every supported
 * target (x86-64 Linux, i686 Windows), so no packing directive is needed;
 * the checks at the end of this file hold the layouts in place.
 */
#ifndef TARNIX_COMMON_RECORDS_H_
#define TARNIX_COMMON_RECORDS_H_

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ArticleTerm {
  char word[101];
  char class_code[103];
  float weight;
  int32_t reserved1;
  int32_t frequency;
  char second_word[104];
  int32_t reserved2;
  int32_t reserved3;
  int32_t position;
} ArticleTerm;

typedef struct TermClassMatch {
  char word[104];
  int32_t match_depth;
} TermClassMatch;

typedef struct KeywordEntry {
  char keyword_text[128];
  char second_text[256];
  int32_t frequency;
  char class_code[128];
  char reserved[4];
  double weight;
} KeywordEntry;

#ifdef __cplusplus
}  /* extern "C" */
#define TARNIX_LAYOUT_CHECK(cond, what) static_assert(cond, what)
#else
#define TARNIX_LAYOUT_CHECK(cond, what) _Static_assert(cond, what)
#endif

TARNIX_LAYOUT_CHECK(sizeof(float) == 4 && sizeof(double) == 8, "IEEE sizes");
TARNIX_LAYOUT_CHECK(sizeof(ArticleTerm) == 332, "ArticleTerm is 332 bytes");
TARNIX_LAYOUT_CHECK(offsetof(ArticleTerm, class_code) == 101, "class_code");
TARNIX_LAYOUT_CHECK(offsetof(ArticleTerm, weight) == 204, "weight");
TARNIX_LAYOUT_CHECK(offsetof(ArticleTerm, reserved1) == 208, "reserved1");
TARNIX_LAYOUT_CHECK(offsetof(ArticleTerm, frequency) == 212, "frequency");
TARNIX_LAYOUT_CHECK(offsetof(ArticleTerm, second_word) == 216, "second_word");
TARNIX_LAYOUT_CHECK(offsetof(ArticleTerm, reserved2) == 320, "reserved2");
TARNIX_LAYOUT_CHECK(offsetof(ArticleTerm, reserved3) == 324, "reserved3");
TARNIX_LAYOUT_CHECK(offsetof(ArticleTerm, position) == 328, "position");
TARNIX_LAYOUT_CHECK(sizeof(TermClassMatch) == 108, "TermClassMatch is 108 bytes");
TARNIX_LAYOUT_CHECK(offsetof(TermClassMatch, match_depth) == 104, "match_depth");
TARNIX_LAYOUT_CHECK(sizeof(KeywordEntry) == 528, "KeywordEntry is 528 bytes");
TARNIX_LAYOUT_CHECK(offsetof(KeywordEntry, second_text) == 128, "second_text");
TARNIX_LAYOUT_CHECK(offsetof(KeywordEntry, frequency) == 384, "frequency");
TARNIX_LAYOUT_CHECK(offsetof(KeywordEntry, class_code) == 388, "class_code");
TARNIX_LAYOUT_CHECK(offsetof(KeywordEntry, weight) == 520, "weight");

#undef TARNIX_LAYOUT_CHECK

#endif /* TARNIX_COMMON_RECORDS_H_ */
