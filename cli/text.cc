#include "text.h"

#include <utf8proc.h>

#include <cstdio>
#include <cstdlib>

namespace tarnix {
namespace cli {
namespace {

// Decodes the character at offset; its length in *length, or a negative
// result for an invalid sequence.
int32_t Decode(const std::string& text, size_t offset, size_t* length) {
  utf8proc_int32_t cp = -1;
  const utf8proc_ssize_t n = utf8proc_iterate(
      reinterpret_cast<const utf8proc_uint8_t*>(text.data() + offset),
      static_cast<utf8proc_ssize_t>(text.size() - offset), &cp);
  if (n <= 0) {
    *length = 1;
    return -1;
  }
  *length = static_cast<size_t>(n);
  return cp;
}

bool IsAsciiBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

}  // namespace

size_t FindInvalidUtf8(const std::string& text) {
  for (size_t at = 0; at < text.size();) {
    if (static_cast<unsigned char>(text[at]) < 0x80) {
      ++at;
      continue;
    }
    size_t n = 0;
    if (Decode(text, at, &n) < 0) return at;
    at += n;
  }
  return std::string::npos;
}

std::string PositionText(const std::string& text, size_t offset) {
  size_t line = 1, column = 1;
  for (size_t at = 0; at < offset && at < text.size();) {
    size_t n = 1;
    if (text[at] == '\n') {
      ++line;
      column = 1;
    } else {
      Decode(text, at, &n);
      ++column;
    }
    at += n;
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::string CodePointText(const std::string& text, size_t offset) {
  size_t n = 0;
  const int32_t cp = offset < text.size() ? Decode(text, offset, &n) : -1;
  if (cp < 0) return "an invalid byte";
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(cp));
  return buffer;
}

size_t DisplayWidth(const std::string& text) {
  size_t width = 0;
  for (size_t at = 0; at < text.size();) {
    size_t n = 0;
    const int32_t cp = Decode(text, at, &n);
    width += cp < 0 ? 1 : static_cast<size_t>(utf8proc_charwidth(cp));
    at += n;
  }
  return width;
}

std::string NormaliseForMatch(const std::string& text) {
  std::string out;
  utf8proc_uint8_t* mapped = nullptr;
  const utf8proc_ssize_t n = utf8proc_map(
      reinterpret_cast<const utf8proc_uint8_t*>(text.data()), static_cast<utf8proc_ssize_t>(text.size()),
      &mapped, static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE | UTF8PROC_COMPAT));
  if (n < 0) {
    out = text;
  } else {
    const std::string nfkc(reinterpret_cast<const char*>(mapped), static_cast<size_t>(n));
    for (size_t at = 0; at < nfkc.size();) {
      size_t len = 0;
      const int32_t cp = Decode(nfkc, at, &len);
      if (cp < 0) {
        out.append(nfkc, at, len);
      } else {
        utf8proc_uint8_t bytes[4];
        const utf8proc_ssize_t b = utf8proc_encode_char(utf8proc_tolower(cp), bytes);
        out.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(b));
      }
      at += len;
    }
  }
  std::free(mapped);
  // NFKC has turned every other blank into an ASCII space already.
  size_t b = 0, e = out.size();
  while (b < e && IsAsciiBlank(out[b])) ++b;
  while (e > b && IsAsciiBlank(out[e - 1])) --e;
  return out.substr(b, e - b);
}

ScriptCounts CountScriptsUtf8(const std::string& text) {
  ScriptCounts counts;
  bool in_word = false;
  for (size_t at = 0; at < text.size();) {
    size_t n = 0;
    const int32_t cp = Decode(text, at, &n);
    if ((cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0x3400 && cp <= 0x4DBF) ||
        (cp >= 0xF900 && cp <= 0xFAFF)) {
      ++counts.chinese;
    }
    // Latin letters, accented ones included (U+00C0 to U+024F but for × and ÷).
    const bool letter = (cp >= 'A' && cp <= 'Z') || (cp >= 'a' && cp <= 'z') ||
                        (cp >= 0xC0 && cp <= 0x24F && cp != 0xD7 && cp != 0xF7);
    if (letter && !in_word) ++counts.latin_words;
    in_word = letter;
    at += n;
  }
  return counts;
}

ScriptCounts CountScriptsGbk(const std::string& text) {
  ScriptCounts counts;
  bool in_word = false;
  for (size_t at = 0; at < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (c >= 0x81 && c != 0xFF && at + 1 < text.size()) {
      // Rows A1-A9 hold punctuation, symbols, kana and Greek; AA-AF and
      // F8-FE are empty in GB2312 and user-defined in GBK.
      if ((c >= 0x81 && c <= 0xA0) || (c >= 0xB0 && c <= 0xF7)) ++counts.chinese;
      in_word = false;
      at += 2;
      continue;
    }
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (letter && !in_word) ++counts.latin_words;
    in_word = letter;
    ++at;
  }
  return counts;
}

bool IsBlank(const std::string& text, bool gbk) {
  for (size_t at = 0; at < text.size();) {
    if (IsAsciiBlank(text[at])) {
      ++at;
    } else if (gbk && text.compare(at, 2, "\xA1\xA1") == 0) {
      at += 2;
    } else if (!gbk && text.compare(at, 3, "\xE3\x80\x80") == 0) {
      at += 3;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace cli
}  // namespace tarnix
