#include "table_file.h"

#include <fstream>
#include <sstream>

namespace ekvr {

std::vector<std::string_view> SplitView(std::string_view text, char sep) {
  std::vector<std::string_view> parts;
  size_t from = 0;
  while (true) {
    const size_t at = text.find(sep, from);
    if (at == std::string_view::npos) {
      parts.push_back(text.substr(from));
      return parts;
    }
    parts.push_back(text.substr(from, at - from));
    from = at + 1;
  }
}

bool ReadWholeFile(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *out = buffer.str();
  return !in.bad();
}

}  // namespace ekvr
