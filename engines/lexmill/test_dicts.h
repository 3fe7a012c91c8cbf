// Shared fixtures of the Lexmill tests: a temporary folder and a small
// dictionary written in the compiled form. Chinese words are spelled as
// GBK bytes, with the characters in the comments.
#ifndef TARNIX_ENGINES_LEXMILL_TEST_DICTS_H_
#define TARNIX_ENGINES_LEXMILL_TEST_DICTS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dict_builder.h"

namespace lexmill_test {

inline constexpr const char* kYanjiu = "\xD1\xD0\xBE\xBF";            // 研究
inline constexpr const char* kYanjiusheng = "\xD1\xD0\xBE\xBF\xC9\xFA";  // 研究生
inline constexpr const char* kShengming = "\xC9\xFA\xC3\xFC";         // 生命
inline constexpr const char* kMing = "\xC3\xFC";                      // 命
inline constexpr const char* kQiyuan = "\xC6\xF0\xD4\xB4";            // 起源
inline constexpr const char* kDe = "\xB5\xC4";                        // 的
inline constexpr const char* kJuhao = "\xA1\xA3";                     // 。
inline constexpr const char* kDouhao = "\xA3\xAC";                    // ，(full width)
inline constexpr const char* kJiyu = "\xBB\xF9\xD3\xDA";              // 基于
inline constexpr const char* kFangfa = "\xB7\xBD\xB7\xA8";            // 方法

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// 研究 1000, 研究生 100, 生命 1000, 命 10, 起源 500, 的 5000, 基于 300,
// 方法 800, "Deep" 50 and the mixed word "3D" 40, with codes and
// information texts "info:<word>".
std::vector<lexmill::SourceEntry> SampleEntries();

// Writes entries compiled to path; fails the current test on error.
void WriteDict(const std::string& path, const std::vector<lexmill::SourceEntry>& entries);

void WriteBytes(const std::string& path, const std::string& bytes);

// GBK form of a UTF-8 text, so that tests can be written readably.
std::string Gbk(const std::string& utf8);
std::string ReadBytes(const std::string& path);

// Overwrites the byte at of an existing file in place, so that a test can
// damage a large file a byte at a time without writing it anew.
void PatchByte(const std::string& path, size_t at, char value);

// The places of a compiled file worth damaging one at a time: every byte
// but those of the root table's empty nodes (a megabyte of zeros), of which
// the first stands for all.
std::vector<size_t> DamageSites(const std::string& file);

// The segments that QX_Word_Sect reports for text on handle, read back as
// Tarnix reads them: until the first 0 entry. Each segment's code goes to
// *codes when it is given. Fails the current test when the call fails.
std::vector<std::string> Segments(const std::string& text, int handle, std::vector<int16_t>* codes = nullptr);

}  // namespace lexmill_test

#endif  // TARNIX_ENGINES_LEXMILL_TEST_DICTS_H_
