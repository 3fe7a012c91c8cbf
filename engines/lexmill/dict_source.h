// The plain-text dictionary source: one entry a line,
//   word <TAB> frequency <TAB> code <TAB> information text
// where frequency is a decimal count (0..4294967295), code a decimal
// part-of-speech code (0..32767) and the information text runs to the line
// end (it may be empty, and the tab before it may be left out). Lines that
// are empty or start with '#' are skipped.
#ifndef TARNIX_ENGINES_LEXMILL_DICT_SOURCE_H_
#define TARNIX_ENGINES_LEXMILL_DICT_SOURCE_H_

#include <string>

#include "dict_builder.h"

namespace lexmill {

enum class LineResult { kEntry, kSkip, kError };

// Parses one line (without its line end; a trailing CR is ignored).
LineResult ParseSourceLine(const std::string& line, SourceEntry* entry, std::string* error);

}  // namespace lexmill

#endif  // TARNIX_ENGINES_LEXMILL_DICT_SOURCE_H_
