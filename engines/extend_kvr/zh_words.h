// What the big tables say of the tokens of a Chinese field: idf and class
// statistics per token, and the classifier's features of the article
// gathered on the way. The big tables are asked once per distinct word of
// the article; a small cache answers the repeats.
#ifndef TARNIX_ENGINES_EXTEND_KVR_ZH_WORDS_H_
#define TARNIX_ENGINES_EXTEND_KVR_ZH_WORDS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "article_terms.h"
#include "short_key_table.h"
#include "zh_buffers.h"

namespace ekvr {

// What the big tables say of one word; its class statistics are those of
// its lower-case form.
WordValues LookUpWord(const Resources& res, std::string_view s);

// What the big tables said of the words of earlier articles, for the
// tables loaded now. The commonest words recur in every article, and a
// word's entries in the idf list and the classifier are rarely in the
// processor's cache: asking this smaller table first saves most of those
// waits. It forgets everything when it reaches kMostWords.
class WordMemory {
 public:
  WordValues Get(const Resources& res, std::string_view s);
  void Clear() { table_.clear(); }

 private:
  static constexpr size_t kMostWords = 1 << 14;
  ShortKeyTable<WordValues> table_;
};

// LookUpWord through res.memory when there is one.
WordValues Recall(const Resources& res, std::string_view s);

// Fills values for the tokens of one text and adds its new features.
void TokenValues(std::string_view text, const std::vector<Token>& tokens, const Resources& res,
                 WordCache* cache, TokenTable* values, ClassifierFeatures* features);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_ZH_WORDS_H_
