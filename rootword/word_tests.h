// Word operations shared by the merging stages and the keyword output:
// character reversal, dictionary similarity, the decimal reader for the
// similar-word dictionary, and the English general-word test.
//
// None of them keeps state. Each catches every exception itself, logs its
// own message and returns its failure value (false, or 0.0 for
// GetSimlarity). A null text counts as missing.
#ifndef TARNIX_ROOTWORD_WORD_TESTS_H_
#define TARNIX_ROOTWORD_WORD_TESTS_H_

#include <string>

namespace tarnix {

// Reverses the characters of text in place, keeping the bytes of each
// double-byte character in their order; character boundaries come from the
// segmentation engine. False, and text unchanged, for an empty text, one of
// more than 127 bytes, or when the engine cannot cut it.
bool ContraWord(std::string& text);

// Similarity of b to a from the similar-word dictionary ("tarnix_sim_dict"):
// the number the entry of a gives for b. Callers pass the longer word as a
// and the shorter one, contained in it, as b. 1.0 for equal texts without a
// look-up; 0.0 when either is null or the dictionary gives nothing.
double GetSimlarity(const char* a, const char* b);
// The same with the similar-word dictionary's handle in hand (-1 when it is
// not loaded, which is logged as GetSimlarity logs it), for the merging
// passes that compare every pair of neighbouring candidates.
double GetSimlarityIn(int dict, const char* a, const char* b);

// Reads a plain decimal number without sign or exponent ("0.85", "12",
// ".5", "3."). Bytes other than digits are not rejected. The arithmetic is
// floating point, so no input overflows: a whole part of more than about
// 308 digits gives infinity.
double NumStrValue(std::string text);

// Whether every byte of text is an ASCII digit (true for the empty text,
// false for null).
bool IsNumStr(const char* text);

// Whether some byte of text is an ASCII capital letter (false for null).
bool HaveCapital(const char* text);

// Whether the shorter of text and pattern is a proper prefix (SameHead) or
// suffix (SameTail) of the longer; false for null or equal lengths.
bool SameHead(const char* text, const char* pattern);
bool SameTail(const char* text, const char* pattern);

// Whether an English term is a general word or phrase that must not become
// a keyword: numbers, phrases led or ended by a few auxiliary words,
// "during", short words without capitals, and what the English general-word
// dictionary ("tarnix_genneral_dict") holds. False for null or empty.
bool IsGeneralEnglish(const char* word);

}  // namespace tarnix

#endif  // TARNIX_ROOTWORD_WORD_TESTS_H_
