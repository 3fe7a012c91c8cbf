// English part-of-speech tags for the term candidates: a bigram hidden
// Markov model over treebank tags, decoded sentence by sentence with
// Viterbi. The model (en_tagger.txt in the data folder) is generated at
// build time by data/extend_kvr/gen_en_tagger.py from tagged-corpus counts;
// its format is described in data/extend_kvr/README.md.
//
// Words the counts do not know get their tags from their last letters and
// their shape (capitalised, all capitals, with digits, hyphenated). The
// candidate rules need only coarse classes (noun, adjective, verb...), so
// the tagger also maps each tag to one.
#ifndef TARNIX_ENGINES_EXTEND_KVR_EN_TAGGER_H_
#define TARNIX_ENGINES_EXTEND_KVR_EN_TAGGER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "table_image.h"
#include "word_table.h"

namespace ekvr {

inline constexpr const char* kEnglishTaggerFile = "en_tagger.txt";

// Coarse word classes the candidate rules need.
enum class WordClass : uint8_t {
  kNoun,         // NN NNS
  kProperNoun,   // NNP NNPS
  kAdjective,    // JJ JJR JJS
  kVerb,         // VB VBD VBP VBZ MD
  kGerund,       // VBG
  kParticiple,   // VBN
  kAdverb,       // RB RBR RBS RP WRB
  kDeterminer,   // DT PDT WDT EX (det in the data)
  kPronoun,      // PRP PRP$ WP WP$
  kPreposition,  // IN TO
  kConjunction,  // CC
  kNumber,       // CD
  kPunctuation,  // pp ppc pps ppl ppr lrb rrb sym ppd ($)
  kOther         // FW UH LS POS ...
};

// The class of a tag of the model by its name ("nn", "vbg", "det"...);
// kOther for a name it does not know.
WordClass ClassOfTagName(std::string_view name);

class EnglishTagger {
 public:
  // Working memory of Tag, kept by a caller that tags many sentences so
  // that tagging allocates only when a sentence is longer than any before.
  struct Scratch {
    struct Option {
      uint8_t tag;
      float emission;  // log P(token | tag), up to a factor shared by the token's options
    };
    std::vector<Option> options;    // every token's options, token after token
    std::vector<uint32_t> first;    // where each token's options start; one more at the end
    std::vector<float> score;       // best path score ending in each option
    std::vector<uint8_t> back;      // the previous token's option on that path
  };

  bool Load(const std::string& path, std::string* error);
  // The same from text in memory. A malformed model is rejected with the
  // number of the offending line and leaves the tagger unloaded.
  bool Parse(std::string_view text, std::string* error);
  bool loaded() const { return !tag_names_.empty(); }
  // A compiled model (table_image.h), mapped and asked in place. Its
  // options are checked whole here (every tag below the tag count), its
  // tables' spans at each look-up. A damaged image leaves the tagger as
  // it was.
  bool LoadImage(const std::string& path, std::string* error);
  bool WriteImage(const std::string& path, uint64_t source_size, std::string* error) const;

  // Tags one sentence. tokens are the sentence's tokens as written (words
  // with their case, numbers, and punctuation marks as separate tokens such
  // as ",", "(", ":", "."). Returns one tag index per token (indices into
  // tag_names()); an unloaded tagger returns nothing.
  void Tag(const std::vector<std::string_view>& tokens, std::vector<uint8_t>* tags) const;
  void Tag(const std::vector<std::string_view>& tokens, std::vector<uint8_t>* tags, Scratch* scratch) const;

  const std::vector<std::string>& tag_names() const { return tag_names_; }
  WordClass ClassOf(uint8_t tag) const { return tag < classes_.size() ? classes_[tag] : WordClass::kOther; }
  // The index of a tag by name, or -1.
  int TagIndex(std::string_view name) const;

 private:
  struct Span {
    uint32_t first = 0;
    uint32_t count = 0;
  };
  using Option = Scratch::Option;
  class ModelReader;  // en_tagger_model.cc

  // Longest suffix key, without its shape letter.
  static constexpr size_t kMaxSuffix = 15;

  void Clear();
  // Appends the options of one token to scratch->options. initial: no word
  // came before it in the sentence.
  void AddOptions(std::string_view token, bool initial, Scratch* scratch) const;
  const Span* FindWord(std::string_view word) const {
    return image_ == nullptr ? words_.Find(word) : Checked(mapped_words_.Find(word));
  }
  // A span of a mapped table, or null when it lies outside the options.
  const Span* Checked(const Span* s) const {
    return s == nullptr || s->first > entries_size_ || s->count > entries_size_ - s->first ? nullptr : s;
  }
  // The options of an unknown word by its shape and last letters (lower:
  // read the letters in lower case).
  Span UnknownSpan(std::string_view word, char shape, bool lower) const;
  void Append(Span span, Scratch* scratch) const;
  // Appends a with weight wa and b with weight wb, summed tag by tag in
  // probability: a word that may be read two ways.
  void AppendMixed(const Option* a, size_t na, float wa, const Option* b, size_t nb, float wb,
                   Scratch* scratch) const;
  void AppendMixed(Span a, float wa, Span b, float wb, Scratch* scratch) const;

  std::vector<std::string> tag_names_;
  std::vector<WordClass> classes_;
  size_t tag_count_ = 0;
  std::vector<float> start_;        // log P(tag | sentence start)
  std::vector<float> transition_;   // [previous * tag_count_ + tag]: log P(tag | previous)
  std::vector<float> log_count_;    // log of each tag's occurrences in the counts
  std::vector<Option> entries_;     // the options of every word and suffix
  tarnix::WordTable<Span> words_;
  tarnix::WordTable<Span> suffixes_;  // shape class letter + last letters
  // What the look-ups read: the arrays above, or a compiled model's.
  const Option* entries_data_ = nullptr;
  size_t entries_size_ = 0;
  std::unique_ptr<MappedImage> image_;
  tarnix::WordTableView<Span> mapped_words_;
  tarnix::WordTableView<Span> mapped_suffixes_;
  Span number_;   // the options of numbers (*NUM* in the counts)
  Span ordinal_;  // of 1st, 2nd... (*ORD*)
  int nnp_ = -1;
  size_t max_suffix_ = 0;
};

// A compiled model holds the options and spans as they are (table_image.h).
static_assert(sizeof(EnglishTagger::Scratch::Option) == 8, "an option is 8 bytes in every build");

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_EN_TAGGER_H_
