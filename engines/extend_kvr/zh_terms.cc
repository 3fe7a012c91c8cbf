#include "zh_terms.h"

#include "gbk_chars.h"

namespace ekvr {

Role TagRole(int16_t t) {
  switch (t) {
    case tag::kNoun:
    case tag::kPersonName:
    case tag::kPlaceName:
    case tag::kOrgName:
    case tag::kProperNoun:
    case tag::kVerbalNoun:
    case tag::kAbbreviation:
    case tag::kEnglishWord:
    case tag::kLetters:
      return Role::kHead;
    // Fixed expressions are mostly set noun phrases of the dictionary
    // (浮游植物, 粮食安全); time words include 老年 and 中生代. The common
    // ones (目前, 近年来) are Tarnix's general words and go there.
    case tag::kFixedExpression:
    case tag::kTimeWord:
      return Role::kHead;
    case tag::kVerb:
      return Role::kVerb;
    case tag::kAdjective:
    case tag::kDistinguishing:
    case tag::kMorpheme:
    case tag::kUnknownChar:
      return Role::kModifier;
    case tag::kDigits:
    case tag::kBlank:
      return Role::kInner;
    default:
      return Role::kBreak;
  }
}

namespace {

size_t Bytes(const std::vector<Token>& tokens, uint32_t first, uint32_t last) {
  return tokens[last].end - tokens[first].begin;
}

bool CanStandAlone(std::string_view text, const Token& t) {
  const Role role = TagRole(t.tag);
  const std::string_view s = text.substr(t.begin, t.end - t.begin);
  if (role == Role::kHead) return s.size() >= 2 && (t.tag == tag::kLetters || CharCount(s) >= 2);
  // A verb alone is rarely a keyword unless it names a process of its own.
  // Nor is a distinguishing word, unless it is a term of its own (非线性).
  if (t.tag == tag::kDistinguishing) return CharCount(s) >= 3;
  return role == Role::kVerb && CharCount(s) >= 3;
}

// A blank joins two letter runs ("Deep Learning") and breaks anything else.
bool Continues(const std::vector<Token>& tokens, size_t k) {
  const Role role = TagRole(tokens[k].tag);
  if (role == Role::kBreak) return false;
  if (tokens[k].tag != tag::kBlank) return true;
  return k > 0 && k + 1 < tokens.size() && tokens[k - 1].tag == tag::kLetters &&
         tokens[k + 1].tag == tag::kLetters && tokens[k].end - tokens[k].begin == 1;
}

}  // namespace

std::vector<Span> ChineseCandidates(std::string_view text, const std::vector<Token>& tokens) {
  std::vector<Span> out;
  ChineseCandidates(text, tokens, &out);
  return out;
}

void ChineseCandidates(std::string_view text, const std::vector<Token>& tokens, std::vector<Span>* spans) {
  std::vector<Span>& out = *spans;
  out.clear();
  size_t k = 0;
  while (k < tokens.size()) {
    if (!Continues(tokens, k)) {
      ++k;
      continue;
    }
    size_t end = k;
    while (end < tokens.size() && Continues(tokens, end)) ++end;
    for (size_t i = k; i < end; ++i) {
      if (CanStandAlone(text, tokens[i])) out.push_back({static_cast<uint32_t>(i), 1, i == k, i + 1 == end});
      if (TagRole(tokens[i].tag) == Role::kInner) continue;
      for (size_t j = i + 1; j < end && j - i < kMaxCompoundWords; ++j) {
        if (Bytes(tokens, static_cast<uint32_t>(i), static_cast<uint32_t>(j)) > kMaxTermBytes) break;
        const Role last = TagRole(tokens[j].tag);
        if (last == Role::kHead || last == Role::kVerb) {
          out.push_back({static_cast<uint32_t>(i), static_cast<uint32_t>(j - i + 1), i == k, j + 1 == end});
        }
      }
    }
    k = end;
  }
}

}  // namespace ekvr
