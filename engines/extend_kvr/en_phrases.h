// The candidate phrases of an English article: the noun phrases of each
// text, tagged and grouped by their key, with what the article shows of
// them (their written forms, where they stand, the words around them) and
// how it writes each word (case evidence for names and acronyms).
#ifndef TARNIX_ENGINES_EXTEND_KVR_EN_PHRASES_H_
#define TARNIX_ENGINES_EXTEND_KVR_EN_PHRASES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "article_terms.h"
#include "en_terms.h"
#include "word_table.h"

namespace ekvr {

struct Form {
  std::string text;
  int count;
  bool from_title;  // seen in a title written in title case or capitals
};

// What the English analysis keeps of a term beside the common Term.
struct PhraseInfo {
  std::string key;
  std::vector<Form> forms;
  std::string lower;  // its words lower-cased, blank-separated, as first seen
  double first = -1.0, last = -1.0;  // offsets in reading order
  WordClass first_class = WordClass::kNoun, last_class = WordClass::kNoun;
  bool proper = false;
  // Occurrences in the article's own text; of those, the ones cut before
  // the noun they modify ("efficient decision" of "efficient decision
  // tree") and the ones that are the tail of a longer noun phrase.
  int seen = 0, cut = 0, tail = 0;
};

// How a word is written in the article's prose: a capitalised word that
// never appears in lower case, and not only at the start of sentences, is
// a name (Bayes, Kubernetes, Markov).
struct CaseEvidence {
  int lower = 0;
  int capital_inside = 0;
  int upper = 0;  // written in capitals
};

// Whether a title is written in title case or in capitals, so that its
// capitals say nothing about names and acronyms.
enum class TitleCase { kSentence, kTitle, kCapitals };
TitleCase TitleCaseOf(std::string_view text, const std::vector<EnglishToken>& tokens);

struct EnglishState {
  EnglishState(const Resources& r, const EnglishInfoFn& i, TermSet* t) : res(r), info(i), terms(t) {}
  const Resources& res;
  const EnglishInfoFn& info;
  TermSet* terms;
  std::vector<PhraseInfo> phrases;  // parallel to terms
  tarnix::WordTable<CaseEvidence> evidence;  // by the word in lower case
  std::string lower;  // reused buffers
  std::string key;
  std::unordered_map<std::string, WordClass> fallback_classes;
  TitleCase title_case = TitleCase::kSentence;
  size_t words = 0;  // word tokens of the article's own text
  std::vector<std::string_view> sentence;
  std::vector<uint8_t> tags;
  EnglishTagger::Scratch scratch;
  std::vector<WordClass> classes;
  std::vector<WordSpan> spans;
  std::vector<std::string_view> parts;
};

// Adds the candidates of one text of field pos, whose first byte stands at
// `base` in the article's reading order. whole, when given, says whether
// one candidate is the whole text.
void AddText(std::string_view text, Position pos, size_t base, bool* whole, EnglishState* st);

// The article's commonest form of the phrase (forms of the prose before a
// title in title case), each word shown as a reader is shown it: acronyms
// and names as written, any other word in lower case.
std::string Display(const PhraseInfo& p, const Term& t, const EnglishState& st);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_EN_PHRASES_H_
