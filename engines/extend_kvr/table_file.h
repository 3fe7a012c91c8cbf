// Reading the engine's data tables: a whole file at once, cut into lines
// and columns by views into it, and the one Load every table shares.
#ifndef TARNIX_ENGINES_EXTEND_KVR_TABLE_FILE_H_
#define TARNIX_ENGINES_EXTEND_KVR_TABLE_FILE_H_

#include <string>
#include <string_view>
#include <vector>

namespace ekvr {

// Splits text at every occurrence of sep.
std::vector<std::string_view> SplitView(std::string_view text, char sep);

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

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_TABLE_FILE_H_
