// Reading the engine's data tables: a whole file at once, cut into lines
// and columns by views into it, and the one Load every table shares.
#ifndef TARNIX_ENGINES_EXTEND_KVR_TABLE_FILE_H_
#define TARNIX_ENGINES_EXTEND_KVR_TABLE_FILE_H_

#include <string>
#include <string_view>
#include <vector>

#include "table_image.h"

namespace ekvr {

// Splits text at every occurrence of sep.
std::vector<std::string_view> SplitView(std::string_view text, char sep);
// The same into *parts, whose storage a caller splitting line after line
// keeps.
void SplitViewInto(std::string_view text, char sep, std::vector<std::string_view>* parts);

// A finite number as strtod reads the whole of s. Plain decimals are read
// without strtod (which needs a copy ending in NUL and a locale); both
// round correctly, so the value is the same.
bool ParseFinite(std::string_view s, double* out);

// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* out);

// Reads the file at path and hands its text to table->Parse(text, error).
// False with "cannot read PATH" in *error when the file cannot be read
// (table->Parse is then not called), or with the parser's message.
template <typename Table>
bool LoadTable(const std::string& path, Table* table, std::string* error) {
  std::string text;
  if (!ReadWholeFile(path, &text)) {
    *error = "cannot read " + path;
    return false;
  }
  return table->Parse(text, error);
}

// Loads a table from the compiled image beside its text (ImagePathFor)
// when there is one and the text has not changed since, else from the
// text, as a folder without images or a table a user replaced needs. A
// damaged image fails as an unreadable text does.
template <typename Table>
bool LoadTableOrImage(const std::string& text_path, Table* table, std::string* error) {
  const std::string image = ImagePathFor(text_path);
  if (ImageIsCurrent(image, text_path)) return table->LoadImage(image, error);
  return LoadTable(text_path, table, error);
}

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_TABLE_FILE_H_
