// English term candidates: tokens and sentences of a text, noun phrases
// over the tagger's word classes, the key that groups a phrase's variants
// and the form a reader is shown.
#ifndef TARNIX_ENGINES_EXTEND_KVR_EN_TERMS_H_
#define TARNIX_ENGINES_EXTEND_KVR_EN_TERMS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "en_tagger.h"

namespace ekvr {

struct EnglishToken {
  enum Kind : uint8_t {
    kWord,     // a letter, or digits followed by a letter, then letters, digits, inner - and '
    kNumber,   // digits, with inner . or ,
    kPunct,    // one ASCII character that is neither
    kForeign   // one double-byte character
  };
  uint32_t begin;
  uint32_t end;
  Kind kind;
  bool sentence_start;  // the first token of its sentence
};

// The tokens of a text. A sentence ends after . ! ? followed by a blank and
// no lower-case letter, at a blank line, and at a double-byte character.
std::vector<EnglishToken> EnglishTokens(std::string_view text);

// [first, end) token ranges of the sentences, each at most max_tokens long
// (a longer run is cut: the tagger's cost and memory stay bounded).
struct TokenRange {
  uint32_t first;
  uint32_t end;
};
std::vector<TokenRange> Sentences(const std::vector<EnglishToken>& tokens, uint32_t max_tokens = 256);

// What a word can be in a noun phrase, from the dictionary's letters: the
// coarse guess used when no tagger model is loaded. The dictionary's
// information text for a word is a run of records "word,letters,count;",
// largest count first; a word is a noun (or an adjective) when that record
// has at least a quarter of the largest count, and an unknown word is a
// noun.
WordClass ClassFromInfo(std::string_view info);

// Candidate spans [first, first + count) of tokens: every run of up to
// kMaxPhraseWords words within one sentence and without punctuation between
// them, made of nouns, names, adjectives, participles and gerunds, that
// starts with a word that can lead a noun phrase and ends with a noun or
// name (or a gerund after a noun: "data mining"). A gerund alone is a
// candidate where it names an activity ("for clustering.", "using
// squashing"): no object follows it and no verb or adverb stands before it.
// -ing words that work as prepositions or verbs ("using", "including",
// "following") never end a phrase. `text` is what the tokens index.
struct WordSpan {
  uint32_t first;
  uint32_t count;
};
inline constexpr uint32_t kMaxPhraseWords = 4;
void EnglishCandidates(std::string_view text, const std::vector<EnglishToken>& tokens,
                       const std::vector<WordClass>& classes, std::vector<WordSpan>* out);

// The key a phrase's variants share: words lower-cased, the last one made
// singular ("Neural Networks" and "neural network" -> "neural network").
std::string PhraseKey(const std::vector<std::string_view>& words);
// The same into a reused buffer.
void PhraseKeyInto(const std::string_view* words, size_t count, std::string* key);
std::string NormalizePhrase(std::string_view phrase);  // the same of a blank-separated phrase

// A singular form of one lower-case word by suffix rules; words that only
// look plural (analysis, series, species, physics, bus) stay as they are.
std::string Singular(std::string_view word);
void AppendSingular(std::string_view word, std::string* out);

// An acronym or a word in mixed case: a capital after the first letter
// (SVM, mRNA, LaTeX, GPUs, k-NN).
bool IsAcronymLike(std::string_view word);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_EN_TERMS_H_
