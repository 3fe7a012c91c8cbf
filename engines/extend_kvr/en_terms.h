// English term candidates: noun phrases of up to four words, found with the
// part-of-speech letters of the English general-word dictionary.
#ifndef TARNIX_ENGINES_EXTEND_KVR_EN_TERMS_H_
#define TARNIX_ENGINES_EXTEND_KVR_EN_TERMS_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ekvr {

struct EnglishWord {
  uint32_t begin;
  uint32_t end;
  bool sentence_start;  // punctuation or a line end stands before it
};

// The words of a text (a letter followed by letters, digits, inner hyphens
// and apostrophes); any other character breaks a phrase.
std::vector<EnglishWord> EnglishWords(std::string_view text);

// What a word can be in a noun phrase, from the dictionary's letters.
enum class WordKind {
  kNoun,       // noun, or unknown to the dictionary (technical words)
  kAdjective,  // adjective, may lead a noun
  kOther       // verb, adverb, pronoun, preposition, ... ends a phrase
};

// The dictionary's information text for a word is a run of records
// "word,letters,count;", largest count first. A word is a noun (or an
// adjective) when that record has at least a quarter of the largest count;
// a word the dictionary does not know (empty info) is a noun.
WordKind KindFromInfo(std::string_view info);

// Candidate spans [first, first + count) of words: every run of up to four
// nouns and adjectives within one phrase that ends with a noun.
struct WordSpan {
  uint32_t first;
  uint32_t count;
};
inline constexpr uint32_t kMaxPhraseWords = 4;
std::vector<WordSpan> EnglishCandidates(const std::vector<EnglishWord>& words,
                                        const std::vector<WordKind>& kinds);

// The lower-cased phrase with its last word made singular ("Neural Networks"
// -> "neural network"); the key English terms are told apart by.
std::string NormalizePhrase(std::string_view phrase);

// A singular form of one lower-case word by suffix rules.
std::string Singular(std::string_view word);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_EN_TERMS_H_
