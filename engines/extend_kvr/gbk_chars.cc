#include "gbk_chars.h"

#include <cstring>

namespace ekvr {

size_t CutLength(std::string_view text, size_t max_bytes) {
  if (text.size() <= max_bytes) return text.size();
  size_t at = 0;
  while (at < max_bytes) {
    const size_t n = CharBytes(text, at);
    if (at + n > max_bytes) break;
    at += n;
  }
  return at;
}

void CopyCut(char* field, size_t capacity, std::string_view text) {
  if (capacity == 0) return;
  const size_t n = CutLength(text, capacity - 1);
  if (n) std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (size_t at = 0; at < out.size();) {
    const size_t n = CharBytes(out, at);
    if (n == 1 && out[at] >= 'A' && out[at] <= 'Z') out[at] = static_cast<char>(out[at] + 32);
    at += n;
  }
  return out;
}

}  // namespace ekvr
