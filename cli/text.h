// UTF-8 helpers of the tarnix command: validity, positions for messages,
// display width for the table, and the normal form keywords are compared in.
#ifndef TARNIX_CLI_TEXT_H_
#define TARNIX_CLI_TEXT_H_

#include <cstddef>
#include <string>

namespace tarnix {
namespace cli {

// Byte offset of the first byte that does not belong to a valid UTF-8
// character, or std::string::npos when the whole text is valid.
size_t FindInvalidUtf8(const std::string& text);

// "line L, column C" of a byte offset of valid UTF-8 text; columns count
// characters from 1.
std::string PositionText(const std::string& text, size_t offset);

// "U+4E2D" for the character that starts at offset (valid UTF-8).
std::string CodePointText(const std::string& text, size_t offset);

// Width of the text on a terminal: East Asian wide characters take two
// columns. Invalid bytes count one column each.
size_t DisplayWidth(const std::string& text);

// Unicode NFKC, lower case, surrounding blanks removed. Invalid UTF-8 is
// returned trimmed but otherwise untouched.
std::string NormaliseForMatch(const std::string& text);

// What the language of a text is guessed from: its Chinese characters (CJK
// ideographs) and its words of Latin letters.
struct ScriptCounts {
  size_t chinese = 0;
  size_t latin_words = 0;
  void Add(const ScriptCounts& o) {
    chinese += o.chinese;
    latin_words += o.latin_words;
  }
  // At least as many Chinese characters as Latin words: a Chinese abstract
  // names its methods and data in Latin letters (BERT, MNIST, GPS), an
  // English one may quote a term in Chinese, and neither changes language
  // for it.
  bool MostlyChinese() const { return chinese > 0 && chinese >= latin_words; }
};
ScriptCounts CountScriptsUtf8(const std::string& text);
// The same for GBK text, whose Chinese characters are the double-byte ones
// outside the punctuation and symbol rows.
ScriptCounts CountScriptsGbk(const std::string& text);

// True when the text is empty or holds only blanks (ASCII or U+3000, or GBK's
// A1 A1 when gbk is set).
bool IsBlank(const std::string& text, bool gbk);

}  // namespace cli
}  // namespace tarnix

#endif  // TARNIX_CLI_TEXT_H_
