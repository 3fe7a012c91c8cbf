#include "zh_words.h"

#include "gbk_chars.h"

namespace ekvr {
namespace {

bool HasDoubleByte(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

}  // namespace

WordValues LookUpWord(const Resources& res, std::string_view s) {
  WordValues v{};
  v.idf = res.idf->Get(s, &v.listed);
  if (res.classifier != nullptr) {
    v.stats = HasAsciiCapital(s) ? res.classifier->Find(LowerAscii(s)) : res.classifier->Find(s);
  }
  return v;
}

WordValues WordMemory::Get(const Resources& res, std::string_view s) {
  if (table_.size() >= kMostWords) table_.clear();
  const auto [slot, fresh] = table_.Insert(s, WordValues{});
  if (fresh) *slot = LookUpWord(res, s);
  return *slot;
}

WordValues Recall(const Resources& res, std::string_view s) {
  return res.memory != nullptr ? res.memory->Get(res, s) : LookUpWord(res, s);
}

// A double-byte word is its own feature key, so the cache tells whether it
// is new; its statistics were looked up under its lower-case text, which
// is the key unless the word holds capitals.
void TokenValues(std::string_view text, const std::vector<Token>& tokens, const Resources& res,
                 WordCache* cache, TokenTable* values, ClassifierFeatures* features) {
  values->idf.assign(tokens.size(), 0.0f);
  values->listed.assign(tokens.size(), 0);
  values->stats.assign(tokens.size(), nullptr);
  auto find = [&res](std::string_view key) {
    return res.classifier != nullptr ? res.classifier->Find(key) : nullptr;
  };
  for (size_t k = 0; k < tokens.size(); ++k) {
    const std::string_view s = text.substr(tokens[k].begin, tokens[k].end - tokens[k].begin);
    if (tokens[k].tag == tag::kBlank) {
      if (HasDoubleByte(s) && CharCount(s) >= 2) {
        std::string key(s);
        if (features->seen.insert(key).second) features->stats.push_back(find(key));
      }
      continue;
    }
    const auto [cached, fresh] = cache->Insert(s, WordValues{});
    if (fresh) *cached = Recall(res, s);
    const WordValues v = *cached;
    values->idf[k] = v.idf;
    values->listed[k] = v.listed;
    values->stats[k] = v.stats;
    if (tokens[k].tag == tag::kLetters) {
      if (s.size() >= 2 && features->seen.insert(LowerAscii(s)).second) {
        features->stats.push_back(v.stats);
      }
    } else if (fresh && HasDoubleByte(s) && CharCount(s) >= 2) {
      features->stats.push_back(HasAsciiCapital(s) ? find(s) : v.stats);
    }
  }
}

}  // namespace ekvr
