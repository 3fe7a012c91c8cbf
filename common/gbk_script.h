// Traditional and Simplified Chinese in GBK. GBK holds both scripts, and a
// character-level conversion keeps every byte length and offset, so a text
// in Traditional characters can be segmented and analysed in Simplified
// ones while its words are still cut from the text itself.
#ifndef TARNIX_COMMON_GBK_SCRIPT_H_
#define TARNIX_COMMON_GBK_SCRIPT_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnix {

// Characters of a GBK text that only Traditional writing uses: those the
// conversion changes and that GB2312, the Simplified character set, does
// not hold (乾, 於 and 著 stay: Simplified texts use them too).
size_t TraditionalOnlyChars(std::string_view gbk);
// Whether there is one: the question of every segmentation and look-up,
// answered at the first.
bool HasTraditionalOnlyChars(std::string_view gbk);

// Whether a GBK text is written in Traditional characters: at least three
// Traditional-only characters, and at least one in twenty of its Chinese
// characters.
bool LooksTraditional(std::string_view gbk);
// The same over several texts taken together (an article's fields).
bool LooksTraditional(const std::string* texts, size_t count);

// Replaces every Traditional character of a GBK text by its Simplified
// form (OpenCC's character table, common/gbk_t2s_table.inc), in place;
// returns how many it replaced. Single bytes and characters without a
// Simplified form stay.
size_t SimplifyGbk(std::string* gbk);
size_t SimplifyGbk(char* gbk, size_t size);

// Puts an article's own characters back into texts cut from its Simplified
// copy. Learn sees each text beside its copy (same length) and counts which
// Traditional character stands for which Simplified one; Restore then
// writes, for each Simplified character, the form the article uses most.
class ScriptRestorer {
 public:
  void Learn(std::string_view original, std::string_view simplified);
  bool empty() const { return counts_.empty(); }
  void Restore(char* gbk, size_t size) const;
  void Restore(std::string* gbk) const { Restore(gbk->data(), gbk->size()); }

 private:
  void Choose();
  std::map<std::pair<uint16_t, uint16_t>, int> counts_;  // (simplified, original) -> times
  std::vector<std::pair<uint16_t, uint16_t>> back_;      // simplified -> original, sorted
};

}  // namespace tarnix

#endif  // TARNIX_COMMON_GBK_SCRIPT_H_
