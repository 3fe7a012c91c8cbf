#include "normalize.h"

#include <utf8proc.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "host_platform.h"

namespace tarnix {
namespace {

// Which code points of the Basic Multilingual Plane the platform's GBK
// converter holds as double-byte characters: the converter is the
// authority, and iconv's table and code page 936 differ in a few places.
// Every double-byte code is decoded in one call (encoding the whole plane
// instead costs a second and more, most of it in the converter's handling
// of the forty thousand characters it refuses), and what came out is then
// encoded back, so that nothing that decodes only one way counts.
std::vector<bool> BuildHeldTable() {
  std::vector<bool> held(0x10000, false);
  std::string codes;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      codes += static_cast<char>(lead);
      codes += static_cast<char>(trail);
    }
  }
  std::string utf8;
  ConversionStop stop;
  if (!GbkToUtf8(codes, &utf8, Unmappable::kReplace, &stop)) return held;
  std::vector<char32_t> candidates;
  for (size_t at = 0; at < utf8.size();) {
    utf8proc_int32_t cp = -1;
    const utf8proc_ssize_t n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(utf8.data() + at),
                                                static_cast<utf8proc_ssize_t>(utf8.size() - at), &cp);
    if (n <= 0) break;
    at += static_cast<size_t>(n);
    if (cp >= 0x80 && cp < 0x10000 && cp != 0xFFFD) candidates.push_back(static_cast<char32_t>(cp));
  }
  for (size_t from = 0; from < candidates.size();) {
    std::string text;
    std::vector<size_t> offsets;
    for (size_t i = from; i < candidates.size(); ++i) {
      offsets.push_back(text.size());
      utf8proc_uint8_t bytes[4];
      const utf8proc_ssize_t n =
          utf8proc_encode_char(static_cast<utf8proc_int32_t>(candidates[i]), bytes);
      text.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(n));
    }
    std::string gbk;
    const bool ok = Utf8ToGbk(text, &gbk, Unmappable::kFail, &stop);
    const size_t bad = ok ? candidates.size()
                          : from + static_cast<size_t>(std::upper_bound(offsets.begin(), offsets.end(),
                                                                        stop.offset) - offsets.begin()) - 1;
    for (size_t i = from; i < bad; ++i) held[candidates[i]] = true;
    from = bad + 1;
  }
  return held;
}

// What the table says of one code point, from the converter: a character
// that encodes to two bytes that decode back to it is held. One that does
// not encode is not. One that encodes to bytes decoding to another
// character might still be what some other code decodes to: the table
// decides those (none is known in iconv's or code page 936's GBK).
bool ConverterHolds(char32_t cp) {
  if (cp == 0xFFFD) return false;  // the replacement the table's decoding gives
  utf8proc_uint8_t bytes[4];
  const utf8proc_ssize_t n = utf8proc_encode_char(static_cast<utf8proc_int32_t>(cp), bytes);
  const std::string text(reinterpret_cast<const char*>(bytes), static_cast<size_t>(n));
  std::string gbk, back;
  ConversionStop stop;
  if (!Utf8ToGbk(text, &gbk, Unmappable::kFail, &stop)) return false;
  if (gbk.size() == 2 && GbkToUtf8(gbk, &back, Unmappable::kFail, &stop) && back == text) return true;
  return GbkHoldsByTable(cp);
}

bool IsPrivateUse(char32_t cp) {
  return (cp >= 0xE000 && cp <= 0xF8FF) || cp >= 0xF0000;
}

// Quotes, primes, dashes, ellipses and the multiplication sign: GBK holds
// them and Chinese text uses them, English text wants them in ASCII. The
// form is the ASCII one, used outside CJK text.
const char* ContextualAscii(char32_t cp) {
  switch (cp) {
    case 0x00D7: return "x";
    case 0x2010: return "-";
    case 0x2013: return "-";
    case 0x2014: return " - ";
    case 0x2015: return " - ";
    case 0x2018: return "'";
    case 0x2019: return "'";
    case 0x201C: return "\"";
    case 0x201D: return "\"";
    case 0x2025: return "..";
    case 0x2026: return "...";
    case 0x2032: return "'";
    case 0x2033: return "\"";
    case 0xFF0D: return "-";
    default: return nullptr;
  }
}

// Nearest forms of characters GBK lacks that decomposition does not give
// (or gives badly), and of a few it holds that are replaced anyway.
struct Nearest {
  char32_t cp;
  const char* text;
};
constexpr Nearest kNearest[] = {
    {0x00A6, "|"},       {0x00A9, " "},       {0x00AB, "\""},      {0x00AE, " "},
    {0x00B4, "'"},       {0x00BB, "\""},      {0x00C6, "AE"},      {0x00D0, "D"},
    {0x00D8, "O"},       {0x00DE, "Th"},      {0x00DF, "ss"},      {0x00E6, "ae"},
    {0x00F0, "d"},       {0x00F8, "o"},       {0x00FE, "th"},      {0x0110, "D"},
    {0x0111, "d"},       {0x0126, "H"},       {0x0127, "h"},       {0x0131, "i"},
    {0x0141, "L"},       {0x0142, "l"},       {0x0152, "OE"},      {0x0153, "oe"},
    {0x0166, "T"},       {0x0167, "t"},       {0x0192, "f"},       {0x02B9, "'"},
    {0x02BC, "'"},       {0x02C6, "^"},       {0x02DC, "~"},       {0x1E9E, "SS"},
    {0x2011, "-"},       {0x2012, "-"},       {0x201A, "'"},       {0x201B, "'"},
    {0x201E, "\""},      {0x201F, "\""},      {0x2022, "\n"},      {0x2023, "\n"},
    {0x2039, "'"},       {0x203A, "'"},       {0x2043, "\n"},      {0x2044, "/"},
    {0x204E, "*"},       {0x2117, " "},       {0x2120, " "},       {0x2122, " "},
    {0x21D2, "=>"},      {0x21D4, "<=>"},     {0x2212, "-"},       {0x2215, "/"},
    {0x2217, "*"},       {0x2219, "\xC2\xB7"}, {0x223C, "~"},      {0x22C5, "\xC2\xB7"},
    {0x22EF, "..."},     {0x25AA, "\n"},      {0x25E6, "\n"},      {0x2981, "\n"},
    {0x2A7D, "\xE2\x89\xA4"}, {0x2A7E, "\xE2\x89\xA5"}, {0xFE58, " - "}, {0xFE63, "-"},
};

const char* NearestForm(char32_t cp) {
  const Nearest* end = std::end(kNearest);
  const Nearest* it = std::lower_bound(std::begin(kNearest), end, cp,
                                       [](const Nearest& n, char32_t c) { return n.cp < c; });
  return it != end && it->cp == cp ? it->text : nullptr;
}

// Windows-1252 at 0x80-0x9F; 0 where it has nothing.
constexpr char32_t kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool IsFullWidthAlnum(char32_t cp) {
  return (cp >= 0xFF10 && cp <= 0xFF19) || (cp >= 0xFF21 && cp <= 0xFF3A) ||
         (cp >= 0xFF41 && cp <= 0xFF5A);
}

bool IsMark(char32_t cp) {
  const utf8proc_category_t c = utf8proc_category(static_cast<utf8proc_int32_t>(cp));
  return c == UTF8PROC_CATEGORY_MN || c == UTF8PROC_CATEGORY_MC || c == UTF8PROC_CATEGORY_ME;
}

// Letters and punctuation of Chinese and Japanese text, after the first
// stage: everything here that is left is a GBK character.
bool IsCjk(char32_t cp) {
  return (cp >= 0x2E80 && cp <= 0x9FFF) || (cp >= 0xF900 && cp <= 0xFAFF) ||
         (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFFEF) ||
         (cp >= 0x20000 && cp <= 0x3FFFF);
}

// Compatibility decomposition without marks; empty when there is none.
std::vector<char32_t> Decompose(char32_t cp) {
  utf8proc_int32_t buffer[32];
  const utf8proc_ssize_t n = utf8proc_decompose_char(
      static_cast<utf8proc_int32_t>(cp), buffer, 32,
      static_cast<utf8proc_option_t>(UTF8PROC_DECOMPOSE | UTF8PROC_COMPAT), nullptr);
  std::vector<char32_t> out;
  if (n <= 0 || n > 32 || (n == 1 && static_cast<char32_t>(buffer[0]) == cp)) return out;
  for (utf8proc_ssize_t i = 0; i < n; ++i) {
    const char32_t d = static_cast<char32_t>(buffer[i]);
    if (!IsMark(d)) out.push_back(d);
  }
  if (out.empty()) out.push_back(0);  // marks only: the character goes
  return out;
}

std::vector<char32_t> DecodeUtf8(const std::string& text) {
  std::vector<char32_t> out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    utf8proc_int32_t cp = -1;
    const utf8proc_ssize_t n = utf8proc_iterate(
        reinterpret_cast<const utf8proc_uint8_t*>(text.data() + at),
        static_cast<utf8proc_ssize_t>(text.size() - at), &cp);
    if (n <= 0) {
      out.push_back(0xFFFD);
      at += 1;
    } else {
      out.push_back(static_cast<char32_t>(cp));
      at += static_cast<size_t>(n);
    }
  }
  return out;
}

void AppendUtf8(char32_t cp, std::string* out) {
  utf8proc_uint8_t bytes[4];
  const utf8proc_ssize_t n = utf8proc_encode_char(static_cast<utf8proc_int32_t>(cp), bytes);
  out->append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(n));
}

// NFC of valid UTF-8 (invalid bytes have become U+FFFD before).
std::vector<char32_t> Nfc(const std::string& utf8) {
  std::string valid;
  for (char32_t cp : DecodeUtf8(utf8)) AppendUtf8(cp, &valid);
  utf8proc_uint8_t* mapped = nullptr;
  const utf8proc_ssize_t n = utf8proc_map(
      reinterpret_cast<const utf8proc_uint8_t*>(valid.data()), static_cast<utf8proc_ssize_t>(valid.size()),
      &mapped, static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
  std::vector<char32_t> out;
  if (n < 0) {
    out = DecodeUtf8(valid);
  } else {
    out = DecodeUtf8(std::string(reinterpret_cast<const char*>(mapped), static_cast<size_t>(n)));
  }
  std::free(mapped);
  return out;
}

// One character of the output: its code point, the input character it
// came from, and whether it is a contextual character left for the second
// stage to decide.
struct Piece {
  char32_t cp;
  size_t source;
  bool contextual;
};

class Mapper {
 public:
  Mapper(const GbkTextOptions& options, std::vector<Piece>* out, std::vector<char>* changed,
         std::vector<char>* unmapped)
      : options_(options), out_(out), changed_(changed), unmapped_(unmapped) {}

  // The first stage: every character but the contextual ones gets its
  // final form.
  void Map(char32_t cp, size_t source) {
    source_ = source;
    const size_t before = out_->size();
    MapOne(cp, true);
    if (out_->size() != before + 1 || (*out_)[before].cp != cp) (*changed_)[source] = 1;
  }

 private:
  void Emit(char32_t cp, bool contextual = false) { out_->push_back(Piece{cp, source_, contextual}); }
  void EmitText(const char* text) {
    for (char32_t cp : DecodeUtf8(text)) {
      if (cp < 0x80 || GbkHolds(cp)) {
        Emit(cp);
      } else {
        Unmapped();
      }
    }
  }
  void Unmapped() {
    const unsigned char c = static_cast<unsigned char>(options_.unmapped);
    Emit(c < 0x80 ? c : ' ');
    (*unmapped_)[source_] = 1;
  }

  // top: the character itself rather than a piece of its decomposition
  // (a piece with no form spoils the whole character).
  bool MapOne(char32_t cp, bool top) {
    if (cp < 0x80) {
      Emit(cp);
      return true;
    }
    if (cp <= 0x9F) {
      const char32_t read = kWindows1252[cp - 0x80];
      if (read != 0) return MapOne(read, top);
      if (top) Unmapped();
      return false;
    }
    if (IsFullWidthAlnum(cp)) {
      Emit(cp - 0xFEE0);
      return true;
    }
    if (const char* ascii = ContextualAscii(cp)) {
      if (GbkHolds(cp)) {
        Emit(cp, options_.language != TextLanguage::kChinese);
      } else {
        EmitText(ascii);
      }
      return true;
    }
    const utf8proc_property_t* p = utf8proc_get_property(static_cast<utf8proc_int32_t>(cp));
    // A mark NFC could not compose with its letter is dropped; the letter
    // stays.
    if ((p->ignorable || IsMark(cp)) && !GbkHolds(cp)) return true;
    if (cp != 0x3000 && p->category == UTF8PROC_CATEGORY_ZS) {
      Emit(' ');
      return true;
    }
    if (p->category == UTF8PROC_CATEGORY_ZL || p->category == UTF8PROC_CATEGORY_ZP) {
      Emit('\n');
      return true;
    }
    if (IsPrivateUse(cp)) {
      if (top) Unmapped();
      return false;
    }
    if (const char* text = NearestForm(cp)) {
      EmitText(text);
      return true;
    }
    if (GbkHolds(cp)) {
      if (options_.language == TextLanguage::kEnglish && FoldAccent(cp)) return true;
      Emit(cp);
      return true;
    }
    const std::vector<char32_t> parts = Decompose(cp);
    if (!parts.empty()) {
      if (parts.size() == 1 && parts[0] == 0) return true;
      const size_t before = out_->size();
      bool whole = true;
      for (char32_t d : parts) whole = whole && MapOne(d, false);
      if (whole) return true;
      out_->resize(before);
    }
    if (top) Unmapped();
    return false;
  }

  // A Latin letter with marks (or one of GBK's two pinyin letters) as its
  // base letter.
  bool FoldAccent(char32_t cp) {
    if (cp == 0x0251 || cp == 0x0261) {
      Emit(cp == 0x0251 ? 'a' : 'g');
      return true;
    }
    if (cp < 0xC0 || cp > 0x24F) return false;
    utf8proc_int32_t buffer[8];
    const utf8proc_ssize_t n = utf8proc_decompose_char(static_cast<utf8proc_int32_t>(cp), buffer, 8,
                                                       UTF8PROC_DECOMPOSE, nullptr);
    if (n < 2 || n > 8 || buffer[0] >= 0x80) return false;
    Emit(static_cast<char32_t>(buffer[0]));
    return true;
  }

  const GbkTextOptions& options_;
  std::vector<Piece>* out_;
  std::vector<char>* changed_;
  std::vector<char>* unmapped_;
  size_t source_ = 0;
};

bool IsBlankAscii(char32_t cp) { return cp == ' ' || cp == '\t'; }

}  // namespace

bool GbkHolds(char32_t cp) {
  if (cp < 0x80) return true;
  if (cp >= 0x10000 || IsPrivateUse(cp)) return false;
  // Asked once per code point: the whole table took a few milliseconds of
  // every process's start, and an article has a few hundred characters.
  static std::atomic<uint8_t> known[0x10000];  // 0 not yet asked, else kHeld or kNotHeld
  constexpr uint8_t kHeld = 1, kNotHeld = 2;
  uint8_t k = known[cp].load(std::memory_order_relaxed);
  if (k == 0) {
    k = ConverterHolds(cp) ? kHeld : kNotHeld;
    known[cp].store(k, std::memory_order_relaxed);
  }
  return k == kHeld;
}

bool GbkHoldsByTable(char32_t cp) {
  if (cp < 0x80) return true;
  if (cp >= 0x10000 || IsPrivateUse(cp)) return false;
  static const std::vector<bool> held = BuildHeldTable();
  return held[cp];
}

namespace {

// Characters that NFC and both stages leave as they are, whatever their
// neighbours, in a text of them alone: ASCII, the unified ideographs GBK
// holds and the punctuation and signs of Chinese sentences. None composes,
// decomposes, is a mark or is contextual, so a stretch of Chinese prose
// is its own result; it is recognised for a fraction of the mapping.
bool StaysAsItIs(char32_t cp) {
  if (cp < 0x80) return true;
  if (cp >= 0x4E00 && cp <= 0x9FA5) return GbkHolds(cp);
  switch (cp) {
    case 0x2103:  // ℃
    case 0x2236:  // ∶
    case 0x3001:  // 、
    case 0x3002:  // 。
    case 0x300A:  // 《
    case 0x300B:  // 》
    case 0xFF01:  // ！
    case 0xFF05:  // ％
    case 0xFF08:  // （
    case 0xFF09:  // ）
    case 0xFF0C:  // ，
    case 0xFF0E:  // ．
    case 0xFF1A:  // ：
    case 0xFF1B:  // ；
    case 0xFF1C:  // ＜
    case 0xFF1D:  // ＝
    case 0xFF1E:  // ＞
    case 0xFF1F:  // ？
    case 0xFF5E:  // ～
      return GbkHolds(cp);
    default:
      return false;
  }
}

// Whether text is well-formed UTF-8 (each character in its shortest
// form, as re-encoding writes it) of such characters only.
bool StretchStaysAsItIs(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c < 0x80) {
      ++at;
      continue;
    }
    utf8proc_int32_t cp = -1;
    const utf8proc_ssize_t n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + at),
                                                static_cast<utf8proc_ssize_t>(text.size() - at), &cp);
    // Every character of the set but ASCII takes three bytes.
    if (n != 3 || cp < 0x800 || !StaysAsItIs(static_cast<char32_t>(cp))) return false;
    at += 3;
  }
  return true;
}

// NFC and both stages over a stretch as a whole.
std::string NormaliseWhole(const std::string& utf8, const GbkTextOptions& options, GbkTextCounts* counts) {
  const std::vector<char32_t> nfc = Nfc(utf8);
  std::vector<Piece> pieces;
  pieces.reserve(nfc.size());
  std::vector<char> changed(nfc.size(), 0), unmapped(nfc.size(), 0);
  Mapper mapper(options, &pieces, &changed, &unmapped);
  for (size_t i = 0; i < nfc.size(); ++i) mapper.Map(nfc[i], i);

  // The second stage: a contextual character keeps its CJK form when the
  // nearest other character on either side, past blanks and past others
  // of its kind, is CJK. A run of them thus decides as one ("——", "……"),
  // and the decision is the same when the result is normalised again.
  const size_t n = pieces.size();
  std::vector<char> cjk_before(n, 0), cjk_after(n, 0);
  bool cjk = false;
  for (size_t i = 0; i < n; ++i) {
    cjk_before[i] = cjk;
    if (!pieces[i].contextual && !IsBlankAscii(pieces[i].cp)) cjk = IsCjk(pieces[i].cp);
  }
  cjk = false;
  for (size_t i = n; i-- > 0;) {
    cjk_after[i] = cjk;
    if (!pieces[i].contextual && !IsBlankAscii(pieces[i].cp)) cjk = IsCjk(pieces[i].cp);
  }
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < n; ++i) {
    const Piece& p = pieces[i];
    if (p.contextual && !cjk_before[i] && !cjk_after[i]) {
      out += ContextualAscii(p.cp);
      changed[p.source] = 1;
    } else {
      AppendUtf8(p.cp, &out);
    }
  }
  if (counts) {
    for (size_t i = 0; i < nfc.size(); ++i) {
      counts->changed += changed[i] != 0 || unmapped[i] != 0;
      counts->unmapped += unmapped[i] != 0;
    }
  }
  return out;
}

// A stretch cut between two characters that stay as they are and are no
// blanks gives, part by part, what it gives as a whole: such a character
// is a starter that no composition takes in, so NFC joins nothing across
// it, and the nearest-character rule for the contextual characters stops
// at it on either side. Chinese prose holds no blanks, so its stretch is
// the whole abstract, and one character of another kind in it (a curly
// quote, a Greek letter, a middle dot) sent all of it through NFC and the
// mapping; now only the characters around that one go.
std::string NormaliseStretch(const std::string& utf8, const GbkTextOptions& options, GbkTextCounts* counts,
                             bool cut) {
  if (!cut) return StretchStaysAsItIs(utf8) ? utf8 : NormaliseWhole(utf8, options, counts);
  std::string out;
  out.reserve(utf8.size());
  size_t part = 0;             // where the part not yet written begins
  size_t last_cut = 0;         // the last place in it where it may be cut
  bool part_stays = true;      // whether all of it stays as it is
  bool previous_stop = false;  // whether the character before `at` may end a part
  auto write = [&](size_t end) {
    if (part_stays) {
      out.append(utf8, part, end - part);
    } else {
      out += NormaliseWhole(utf8.substr(part, end - part), options, counts);
    }
    part = end;
  };
  for (size_t at = 0; at < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[at]);
    size_t length = 1;
    bool stays = true;
    if (c >= 0x80) {
      // As StretchStaysAsItIs decides, and stepping as DecodeUtf8 steps;
      // the three-byte characters of Chinese text are read here, as the
      // library would read them, without a call for each.
      const auto c1 = at + 1 < utf8.size() ? static_cast<unsigned char>(utf8[at + 1]) : 0u;
      const auto c2 = at + 2 < utf8.size() ? static_cast<unsigned char>(utf8[at + 2]) : 0u;
      const char32_t three = (c & 0x0Fu) << 12 | (c1 & 0x3Fu) << 6 | (c2 & 0x3Fu);
      if (c >= 0xE0 && c <= 0xEF && (c1 & 0xC0) == 0x80 && (c2 & 0xC0) == 0x80 && three >= 0x800 &&
          (three < 0xD800 || three > 0xDFFF)) {
        length = 3;
        stays = StaysAsItIs(three);
      } else {
        utf8proc_int32_t cp = -1;
        const utf8proc_ssize_t n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(utf8.data() + at),
                                                    static_cast<utf8proc_ssize_t>(utf8.size() - at), &cp);
        length = n > 0 ? static_cast<size_t>(n) : 1;
        stays = n == 3 && cp >= 0x800 && StaysAsItIs(static_cast<char32_t>(cp));
      }
    }
    const bool stop = stays && !IsBlankAscii(c);
    // A part that stays grows until a character that does not comes; that
    // one's part then begins at the last cut before it.
    if (stop && previous_stop) {
      if (!part_stays) {
        write(at);
        part_stays = true;
      }
      last_cut = at;
    }
    if (!stays && part_stays) {
      write(last_cut);
      part_stays = false;
    }
    previous_stop = stop;
    at += length;
  }
  write(utf8.size());
  return out;
}

bool IsAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string Normalise(const std::string& utf8, const GbkTextOptions& options, GbkTextCounts* counts,
                      bool cut) {

  // ASCII maps to itself, and most words of an English paper are ASCII:
  // they are copied, and only the runs of other words between them go
  // through NFC and the mapping. An ASCII word is where the nearest-
  // character rule for quotes and dashes stops looking (its characters are
  // not CJK), and NFC composes nothing across a blank, so the runs are
  // independent.
  std::string out;
  out.reserve(utf8.size());
  const std::string_view all(utf8);
  size_t run = std::string_view::npos;  // where the pending run of other words begins
  size_t at = 0;
  while (at < all.size()) {
    size_t end = at;
    while (end < all.size() && IsAsciiSpace(all[end])) ++end;
    const size_t word = end;
    bool ascii = true;
    while (end < all.size() && !IsAsciiSpace(all[end])) {
      ascii = ascii && static_cast<unsigned char>(all[end]) < 0x80;
      ++end;
    }
    if (word == end || !ascii) {  // blanks at the end, or a word to map
      if (run == std::string_view::npos) run = at;
    } else {
      if (run != std::string_view::npos) {
        out += NormaliseStretch(std::string(all.substr(run, at - run)), options, counts, cut);
        run = std::string_view::npos;
      }
      out.append(all.data() + at, end - at);
    }
    at = end;
  }
  if (run != std::string_view::npos) out += NormaliseStretch(std::string(all.substr(run)), options, counts, cut);
  return out;
}

}  // namespace

std::string NormaliseForGbk(const std::string& utf8, const GbkTextOptions& options,
                            GbkTextCounts* counts) {
  return Normalise(utf8, options, counts, true);
}

std::string NormaliseForGbkUncut(const std::string& utf8, const GbkTextOptions& options,
                                 GbkTextCounts* counts) {
  return Normalise(utf8, options, counts, false);
}

}  // namespace tarnix
