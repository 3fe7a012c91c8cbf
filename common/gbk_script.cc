#include "gbk_script.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace tarnix {
namespace {

struct Pair {
  uint16_t traditional;
  uint16_t simplified;
};

constexpr Pair kTable[] = {
#include "gbk_t2s_table.inc"
};

bool IsLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }
// Chinese characters of GBK: every double-byte code outside the rows of
// punctuation and symbols (A1-A9, A8-A9 and their extensions).
bool IsChinese(uint16_t code) {
  const unsigned lead = code >> 8;
  return !(lead >= 0xA1 && lead <= 0xA9);
}

const Pair* Find(uint16_t code) {
  const Pair* end = kTable + std::size(kTable);
  const Pair* at = std::lower_bound(kTable, end, code, [](const Pair& p, uint16_t c) { return p.traditional < c; });
  return at != end && at->traditional == code ? at : nullptr;
}

// Calls f(offset, code) for every double-byte character.
template <typename F>
void EachDoubleByte(std::string_view s, F f) {
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (IsLead(c) && i + 1 < s.size() && IsTrail(static_cast<unsigned char>(s[i + 1]))) {
      f(i, static_cast<uint16_t>(c << 8 | static_cast<unsigned char>(s[i + 1])));
      i += 2;
    } else {
      ++i;
    }
  }
}

// Walks the double-byte characters of a GBK text: in_gb2312(lead) for
// those in GB2312's rows, the commonest, told apart by one range test
// without the general ones; other(code) for the rest, which ends the walk
// by returning false.
template <typename InGb2312, typename Other>
void EachDoubleByteByRow(std::string_view gbk, InGb2312 in_gb2312, Other other) {
  const auto* p = reinterpret_cast<const unsigned char*>(gbk.data());
  const size_t n = gbk.size();
  for (size_t i = 0; i < n;) {
    const unsigned lead = p[i];
    if (lead >= 0xA1 && lead <= 0xF7 && i + 1 < n && p[i + 1] >= 0xA1 && p[i + 1] != 0xFF) {
      in_gb2312(lead);
      i += 2;
    } else if (IsLead(p[i]) && i + 1 < n && IsTrail(p[i + 1])) {
      if (!other(static_cast<uint16_t>(lead << 8 | p[i + 1]))) return;
      i += 2;
    } else {
      ++i;
    }
  }
}

struct ScriptCount {
  size_t traditional = 0;
  size_t chinese = 0;
  // Every article's fields pass here.
  void Add(std::string_view gbk) {
    EachDoubleByteByRow(
        gbk, [&](unsigned lead) { chinese += lead > 0xA9; },
        [&](uint16_t code) {
          chinese += IsChinese(code);
          traditional += Find(code) != nullptr;  // outside GB2312
          return true;
        });
  }
  bool Traditional() const { return traditional >= 3 && traditional * 20 >= chinese; }
};

}  // namespace

size_t TraditionalOnlyChars(std::string_view gbk) {
  ScriptCount n;
  n.Add(gbk);
  return n.traditional;
}

bool HasTraditionalOnlyChars(std::string_view gbk) {
  bool found = false;
  EachDoubleByteByRow(
      gbk, [](unsigned) {},
      [&](uint16_t code) {
        found = Find(code) != nullptr;
        return !found;
      });
  return found;
}

bool LooksTraditional(const std::string* texts, size_t count) {
  ScriptCount n;
  for (size_t i = 0; i < count; ++i) n.Add(texts[i]);
  return n.Traditional();
}

bool LooksTraditional(std::string_view gbk) {
  ScriptCount n;
  n.Add(gbk);
  return n.Traditional();
}

size_t SimplifyGbk(char* gbk, size_t size) {
  size_t n = 0;
  EachDoubleByte(std::string_view(gbk, size), [&](size_t at, uint16_t code) {
    if (const Pair* p = Find(code)) {
      gbk[at] = static_cast<char>(p->simplified >> 8);
      gbk[at + 1] = static_cast<char>(p->simplified & 0xFF);
      ++n;
    }
  });
  return n;
}

size_t SimplifyGbk(std::string* gbk) { return SimplifyGbk(gbk->data(), gbk->size()); }

void ScriptRestorer::Learn(std::string_view original, std::string_view simplified) {
  if (original.size() != simplified.size()) return;
  EachDoubleByte(original, [&](size_t at, uint16_t code) {
    const auto s0 = static_cast<unsigned char>(simplified[at]), s1 = static_cast<unsigned char>(simplified[at + 1]);
    const auto simple = static_cast<uint16_t>(s0 << 8 | s1);
    if (simple != code) ++counts_[{simple, code}];
  });
  Choose();
}

void ScriptRestorer::Choose() {
  back_.clear();
  // counts_ is ordered by simplified code: the commonest original of each
  // run wins, the first (lowest code) on a tie.
  for (auto it = counts_.begin(); it != counts_.end();) {
    auto best = it;
    const uint16_t simple = it->first.first;
    for (; it != counts_.end() && it->first.first == simple; ++it) {
      if (it->second > best->second) best = it;
    }
    back_.push_back(best->first);
  }
}

void ScriptRestorer::Restore(char* gbk, size_t size) const {
  if (back_.empty()) return;
  EachDoubleByte(std::string_view(gbk, size), [&](size_t at, uint16_t code) {
    const auto it = std::lower_bound(back_.begin(), back_.end(), code,
                                     [](const std::pair<uint16_t, uint16_t>& p, uint16_t c) { return p.first < c; });
    if (it == back_.end() || it->first != code) return;
    gbk[at] = static_cast<char>(it->second >> 8);
    gbk[at + 1] = static_cast<char>(it->second & 0xFF);
  });
}

}  // namespace tarnix
