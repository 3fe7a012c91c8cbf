#include "zh_terms.h"

#include <cstdint>
#include <iterator>
#include <string_view>

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
  // A verb alone may name a process of its own (合成, 改造, 演绎): the
  // model decides. A distinguishing word is no term unless it is a term of
  // its own (非线性).
  if (t.tag == tag::kDistinguishing) return CharCount(s) >= 3;
  return role == Role::kVerb && CharCount(s) >= 2;
}

// Words that lead into a phrase or report on it rather than belong to it
// (GBK). A compound never starts with one of the first list (基于小波变换,
// 进行检测, 作为特征) and never ends with one of either (信号进行, 结果表明).
constexpr std::string_view kLeadWords[] = {
    "\xBB\xF9\xD3\xDA",  // 基于
    "\xB2\xC9\xD3\xC3",  // 采用
    "\xBD\xF8\xD0\xD0",  // 进行
    "\xD7\xF7\xCE\xAA",  // 作为
    "\xCD\xA8\xB9\xFD",  // 通过
    "\xC0\xFB\xD3\xC3",  // 利用
    "\xB6\xD4\xD3\xDA",  // 对于
    "\xD5\xEB\xB6\xD4",  // 针对
    "\xB8\xF9\xBE\xDD",  // 根据
    "\xB9\xD8\xD3\xDA",  // 关于
    "\xD3\xC9\xD3\xDA",  // 由于
    "\xCC\xE1\xB3\xF6",  // 提出
    "\xBE\xDF\xD3\xD0",  // 具有
    "\xB5\xC3\xB5\xBD",  // 得到
    "\xB8\xF8\xB3\xF6",  // 给出
    "\xBF\xAA\xD5\xB9",  // 开展
    "\xBC\xD3\xD2\xD4",  // 加以
    "\xD3\xE8\xD2\xD4",  // 予以
    "\xD2\xD4\xBC\xB0",  // 以及
    "\xBC\xB0\xC6\xE4",  // 及其
    "\xD3\xC3\xD3\xDA",  // 用于
    "\xC4\xDC\xB9\xBB",  // 能够
    // Determiners: 不同增效剂 is whichever 增效剂 the article compares.
    "\xB2\xBB\xCD\xAC",  // 不同
    "\xB8\xF7\xD6\xD6",  // 各种
};
// Verbs that report a finding. 显示 and 发现 end real terms (液晶显示, 知识发现).
constexpr std::string_view kReportWords[] = {
    "\xB1\xED\xC3\xF7",  // 表明
    "\xD6\xA4\xC3\xF7",  // 证明
    "\xD6\xB8\xB3\xF6",  // 指出
    "\xC8\xCF\xCE\xAA",  // 认为
};

// A two-character word as one number.
constexpr uint32_t Key4(std::string_view w) {
  return static_cast<uint32_t>(static_cast<uint8_t>(w[0])) | static_cast<uint32_t>(static_cast<uint8_t>(w[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(w[2])) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(w[3])) << 24;
}

// One of the lists above. Every two-character token of an article is
// asked about: a bit per hash bucket turns nearly all of them away before
// the list is scanned.
template <size_t N>
class WordList {
 public:
  constexpr explicit WordList(const std::string_view (&list)[N]) {
    for (size_t i = 0; i < N; ++i) {
      keys_[i] = Key4(list[i]);
      const uint32_t b = Bucket(keys_[i]);
      buckets_[b >> 6] |= uint64_t{1} << (b & 63);
    }
  }
  bool Holds(std::string_view w) const {
    // Every listed word is two GBK characters.
    if (w.size() != 4) return false;
    const uint32_t x = Key4(w), b = Bucket(x);
    if ((buckets_[b >> 6] >> (b & 63) & 1) == 0) return false;
    for (uint32_t k : keys_) {
      if (k == x) return true;
    }
    return false;
  }

 private:
  static constexpr uint32_t Bucket(uint32_t x) { return (x * 0x9E3779B1u) >> 24; }
  uint32_t keys_[N] = {};
  uint64_t buckets_[4] = {};
};

constexpr WordList<std::size(kLeadWords)> kLeadList(kLeadWords);
constexpr WordList<std::size(kReportWords)> kReportList(kReportWords);

std::string_view TokenText(std::string_view text, const Token& t) { return text.substr(t.begin, t.end - t.begin); }

// Whether a longer word ends in a reporting verb: the dictionary holds
// some reporting phrases whole (结果表明).
bool EndsReporting(std::string_view w) {
  if (w.size() <= 4) return false;
  size_t at = 0, last = std::string_view::npos;
  for (size_t before = 0; at < w.size(); at += CharBytes(w, at)) {
    last = before;
    before = at;
  }
  // `last` is where the second-to-last character starts.
  if (last == std::string_view::npos || w.size() - last != 4) return false;
  return kReportList.Holds(w.substr(last));
}

// What a word may do at the edges of a term.
enum Edge : uint8_t {
  kLeads = 1,    // starts no compound and stands not alone
  kEndsNot = 2,  // ends no compound and stands not alone
};
uint8_t EdgeOf(std::string_view w) {
  if (kLeadList.Holds(w)) return kLeads | kEndsNot;
  if (kReportList.Holds(w) || EndsReporting(w)) return kEndsNot;
  return 0;
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
  std::vector<uint8_t> edges;
  size_t k = 0;
  while (k < tokens.size()) {
    if (!Continues(tokens, k)) {
      ++k;
      continue;
    }
    size_t end = k;
    while (end < tokens.size() && Continues(tokens, end)) ++end;
    edges.clear();
    for (size_t i = k; i < end; ++i) edges.push_back(EdgeOf(TokenText(text, tokens[i])));
    for (size_t i = k; i < end; ++i) {
      const uint8_t edge = edges[i - k];
      if (CanStandAlone(text, tokens[i]) && edge == 0) {
        out.push_back({static_cast<uint32_t>(i), 1, i == k, i + 1 == end});
      }
      if (TagRole(tokens[i].tag) == Role::kInner || (edge & kLeads) != 0) continue;
      for (size_t j = i + 1; j < end && j - i < kMaxCompoundWords; ++j) {
        if (Bytes(tokens, static_cast<uint32_t>(i), static_cast<uint32_t>(j)) > kMaxTermBytes) break;
        const Role last = TagRole(tokens[j].tag);
        if ((edges[j - k] & kEndsNot) != 0) continue;
        if (last == Role::kHead || last == Role::kVerb) {
          out.push_back({static_cast<uint32_t>(i), static_cast<uint32_t>(j - i + 1), i == k, j + 1 == end});
        }
      }
    }
    k = end;
  }
}

}  // namespace ekvr
