#include "table_file.h"

#include <fstream>
#include <iterator>

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
