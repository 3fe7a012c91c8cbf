// Tests that call a candidate keyword a general word of the language, or a
// loose two-part phrase of general words, so that it stays out of the
// output. They read the general dictionary ("sys_general_dic" in the
// engine's file) and the English general dictionary ("tarnix_genneral_dict")
// and load neither: a dictionary that is not loaded makes every test say
// "not general".
#ifndef TARNIX_OUTPUT_GENERAL_WORDS_H_
#define TARNIX_OUTPUT_GENERAL_WORDS_H_

#include <cstdint>

#include "tarnix/records.h"
#include "term_maps.h"

namespace tarnix {

// Results of HighFreStructure.
enum HighFreResult : int32_t {
  kHighFreStructure = 0,    // a two-part high-frequency structure
  kHighFreNoDictionary = 1,  // the general dictionary is not loaded
  kHighFreNotSegmented = 2,  // the engine could not segment the word
  kHighFreNotTwoParts = 3,   // not exactly two segments
  kHighFreNoWord = 4,        // no word, word over 13 bytes, or an internal error
  kHighFrePartUnknown = 5,   // a part is not in the dictionary
  kHighFreNoPattern = 6,     // no pattern matched
};

// Whether a general-dictionary info text ("<ignored> <code> <frequency>
// ...") gives `code` a frequency of at least threshold. Only the first pair
// with that code counts.
bool PosAndFre(const char* info, int32_t code, int32_t threshold);

// Whether an English general-dictionary info text ("<ignored>,<letters>,
// <count>;...") has a record with exactly `letters` and a count of at least
// threshold. A malformed record ends the search with false.
bool PosAndFreEnglish(const char* info, const char* letters, int32_t threshold);

// Whether word (at most 8 bytes) is general; IsGeneralChineseStrict asks
// for higher frequencies and is used for title terms.
bool IsGeneralChinese(const char* word);
bool IsGeneralChineseStrict(const char* word);

// Whether word (at most 13 bytes) splits into two parts that form a
// high-frequency structure; one of the HighFreResult codes.
int32_t HighFreStructure(const char* word);

// The same three tests with the general dictionary's handle in hand (-1
// when it is not loaded), for a caller that tests every candidate of an
// article: finding the dictionary by its name for every word cost a
// third as much as the tests themselves.
bool IsGeneralChineseIn(int dict, const char* word);
bool IsGeneralChineseStrictIn(int dict, const char* word);
int32_t HighFreStructureIn(int dict, const char* word);

// Whether the term's `word` is an English two-word general structure.
bool IsGeneralStructEnglish(const ArticleTerm* term);

// Erases the abstract candidates that IsGeneralChinese calls general.
void General_Abstword(TermIndexMap& abstword);

}  // namespace tarnix

#endif  // TARNIX_OUTPUT_GENERAL_WORDS_H_
