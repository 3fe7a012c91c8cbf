#include "table_file.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace ekvr {

std::vector<std::string_view> SplitView(std::string_view text, char sep) {
  // Sized once: a table's text has thousands of lines. Counted with
  // memchr, which takes long strides, where a byte loop cost as much as
  // the split itself.
  size_t count = 1;
  for (const char *at = text.data(), *end = at + text.size();
       (at = static_cast<const char*>(std::memchr(at, sep, static_cast<size_t>(end - at)))) != nullptr; ++at) {
    ++count;
  }
  std::vector<std::string_view> parts;
  parts.reserve(count);
  SplitViewInto(text, sep, &parts);
  return parts;
}

void SplitViewInto(std::string_view text, char sep, std::vector<std::string_view>* parts) {
  parts->clear();
  size_t from = 0;
  while (true) {
    const size_t at = text.find(sep, from);
    if (at == std::string_view::npos) {
      parts->push_back(text.substr(from));
      return;
    }
    parts->push_back(text.substr(from, at - from));
    from = at + 1;
  }
}

bool ParseFinite(std::string_view s, double* out) {
  const char* end = s.data() + s.size();
  const auto [stop, ec] = std::from_chars(s.data(), end, *out);
  if (ec == std::errc() && stop == end && std::isfinite(*out)) return true;
  // Signs, blanks, hexadecimal and values out of range, as before.
  const std::string copy(s);
  char* copy_end = nullptr;
  *out = std::strtod(copy.c_str(), &copy_end);
  return !copy.empty() && copy_end == copy.c_str() + copy.size() && std::isfinite(*out);
}

bool ReadWholeFile(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  // Sized once and read in one call: through a string stream the text was
  // copied twice and grown a step at a time (the tagger's model is 1 MB).
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) {  // not a file one can seek in: read it as it comes
    in.clear();
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
  }
  in.seekg(0, std::ios::beg);
  out->assign(static_cast<size_t>(size), '\0');
  if (size > 0 && !in.read(&(*out)[0], size)) return false;
  // Whatever the stream finds past the size it was told (a file that grew
  // meanwhile) is left for the next reading.
  return true;
}

}  // namespace ekvr
