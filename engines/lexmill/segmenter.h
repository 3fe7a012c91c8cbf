// Maximum-probability segmentation of GBK text over a dictionary.
//
// The text is first cut into tokens that no word may split: a run of ASCII
// letters, a run of ASCII digits, or one character. Blanks, punctuation,
// control and invalid bytes are segments of their own. Over the remaining
// tokens the dictionary's words form a graph of candidate words, and the
// segmentation is the path with the greatest sum of log frequencies,
// found right to left by dynamic programming. A token that starts no
// dictionary word is a segment of its own with the lowest probability.
#ifndef TARNIX_ENGINES_LEXMILL_SEGMENTER_H_
#define TARNIX_ENGINES_LEXMILL_SEGMENTER_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "dict_image.h"
#include "gbk.h"
#include "user_words.h"

namespace lexmill {

// Part-of-speech codes of segments that are not dictionary words. Words take
// the code of their dictionary entry (see the data README for the table).
inline constexpr int16_t kCodeLetters = 40;   // run of ASCII letters
inline constexpr int16_t kCodeNumber = 41;    // run of ASCII digits
inline constexpr int16_t kCodePunct = 42;     // punctuation or symbol
inline constexpr int16_t kCodeBlank = 43;     // blank
inline constexpr int16_t kCodeUnknown = 44;   // any other character

struct Segment {
  uint32_t end;  // exclusive byte offset
  int16_t code;
};

// Buffers reused between calls so that segmenting many short texts does not
// allocate each time.
class Segmenter {
 public:
  // Fills out with the segments of length bytes of text, in order. The
  // number of segments never exceeds length. max_word_bytes > 0 bounds the
  // byte length of dictionary words considered. With user words, the
  // segmentation covers as much of the text with them as it can (so each
  // one is cut whole wherever it occurs and does not overlap a longer
  // one), and the probabilities decide the rest.
  void Run(const DictImage& dict, const char* text, size_t length, size_t max_word_bytes,
           std::vector<Segment>* out, const UserWords* user = nullptr);

 private:
  struct Token {
    uint32_t begin;
    uint32_t end;
    uint16_t unit;  // the character of a one-character token
    CharKind kind;
  };
  void Tokenize(const unsigned char* text, size_t length);
  // Calls word(j, node) for every dictionary word that starts at token i
  // and ends with token j < word_end, shortest first.
  template <typename Fn>
  void ForEachWordAt(const DictImage& dict, const unsigned char* text, size_t i, size_t word_end,
                     size_t max_word_bytes, Fn&& word) const;
  void Solve(const DictImage& dict, const unsigned char* text, size_t max_word_bytes);
  void SolveWithUserWords(const DictImage& dict, const UserWords& user, const unsigned char* text,
                          size_t length, size_t max_word_bytes);

  std::vector<Token> tokens_;
  std::vector<double> route_;
  std::vector<uint32_t> next_;
  std::vector<uint32_t> entry_;  // entry + 1 of the word chosen at each token, or 0
  // With user words: the tokens from each token on that user words cover,
  // compared before route_, and the user word chosen there, or null.
  std::vector<uint32_t> cover_;
  std::vector<const UserWords::Word*> user_word_;
};

}  // namespace lexmill

#endif  // TARNIX_ENGINES_LEXMILL_SEGMENTER_H_
