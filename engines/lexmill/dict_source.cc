#include "dict_source.h"

#include <cstdint>

namespace lexmill {

namespace {

bool ParseNumber(const std::string& text, uint64_t max, uint64_t* value) {
  if (text.empty() || text.size() > 10) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > max) return false;
  *value = v;
  return true;
}

}  // namespace

LineResult ParseSourceLine(const std::string& raw, SourceEntry* entry, std::string* error) {
  std::string line = raw;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.empty() || line[0] == '#') return LineResult::kSkip;
  const size_t t1 = line.find('\t');
  const size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
  if (t2 == std::string::npos) {
    *error = "expected word, frequency and code separated by tabs";
    return LineResult::kError;
  }
  const size_t t3 = line.find('\t', t2 + 1);
  const std::string freq = line.substr(t1 + 1, t2 - t1 - 1);
  const std::string code =
      line.substr(t2 + 1, t3 == std::string::npos ? std::string::npos : t3 - t2 - 1);
  uint64_t f = 0, c = 0;
  if (!ParseNumber(freq, UINT32_MAX, &f)) {
    *error = "frequency \"" + freq + "\" is not a count";
    return LineResult::kError;
  }
  if (!ParseNumber(code, 32767, &c)) {
    *error = "code \"" + code + "\" is not a number from 0 to 32767";
    return LineResult::kError;
  }
  if (t1 == 0) {
    *error = "empty word";
    return LineResult::kError;
  }
  entry->word = line.substr(0, t1);
  entry->freq = static_cast<uint32_t>(f);
  entry->code = static_cast<uint16_t>(c);
  entry->info = t3 == std::string::npos ? std::string() : line.substr(t3 + 1);
  return LineResult::kEntry;
}

}  // namespace lexmill
