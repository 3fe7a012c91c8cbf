// Lexmill's dictionary loading and segmentation on arbitrary bytes.
//
// Input: one selector byte, then the body. With the selector's low bit
// clear the body is a dictionary source (word TAB frequency TAB code TAB
// information, one entry a line), parsed line by line and compiled. With it
// set, a dictionary compiled once at start is damaged as it might lie on
// disk: every five bytes of the body set the byte at a little-endian offset
// (modulo the file's size) to the fifth, and with the selector's second bit
// also set the file is cut at the first offset. A compiled file is over a
// megabyte (its root table), so patches reach its node and entry tables
// where raw bytes under the input cap could only ever be a header. Either
// dictionary, when it loads, segments the body and every source word,
// answers look-ups into small buffers and cuts the body into characters.
// The checks hold what the engine promises its callers: segment ends rise
// strictly to the text's end, no more entries than the text has bytes,
// information texts NUL-terminated inside their buffer.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dict_builder.h"
#include "dict_source.h"
#include "fuzz_support.h"
#include "lexmill.h"

namespace {

constexpr size_t kMaxInput = 1 << 15;
constexpr int kUnwritten = -7;

std::string g_dir;
std::string g_compiled;  // the dictionary the patches damage

// A few words of either kind (中国, 中国人, 国人, 人民, abc), with information.
std::string CompileBase(const std::string& dir) {
  const char* const lines[] = {
      "\xD6\xD0\xB9\xFA\t120\t1\tcountry", "\xD6\xD0\xB9\xFA\xC8\xCB\t30\t1\t",
      "\xB9\xFA\xC8\xCB\t8\t2\tx:0.7;", "\xC8\xCB\xC3\xF1\t50\t1\tpeople", "abc\t5\t3\t"};
  std::vector<lexmill::SourceEntry> entries;
  for (const char* line : lines) {
    lexmill::SourceEntry e;
    std::string error;
    if (lexmill::ParseSourceLine(line, &e, &error) != lexmill::LineResult::kEntry) {
      tarnix_fuzz::Fail("a line of the base dictionary does not parse");
    }
    entries.push_back(std::move(e));
  }
  const std::string path = dir + "/base.lxd";
  lexmill::BuildStats stats;
  std::string error;
  if (!lexmill::WriteDictionary(std::move(entries), path, &stats, &error)) {
    tarnix_fuzz::Fail("the base dictionary could not be written");
  }
  std::string bytes = tarnix_fuzz::ReadWholeFile(path);
  unlink(path.c_str());
  if (bytes.empty()) tarnix_fuzz::Fail("the base dictionary is empty");
  return bytes;
}

void CheckSegments(const std::string& text, int handle) {
  const int length = static_cast<int>(text.size());
  std::vector<int> ends(text.size() + 2, kUnwritten);
  std::vector<int16_t> tags(text.size() + 2, -1);
  if (!QX_Word_Sect(text.c_str(), ends.data(), length, handle, 1, tags.data(), 2048, 0, 0, 0)) {
    return;
  }
  int previous = 0, k = 0;
  while (k <= length && ends[static_cast<size_t>(k)] != kUnwritten) {
    FUZZ_CHECK(ends[static_cast<size_t>(k)] > previous);
    previous = ends[static_cast<size_t>(k)];
    ++k;
  }
  FUZZ_CHECK(k <= length);
  FUZZ_CHECK(previous == length);
  FUZZ_CHECK(ends[text.size() + 1] == kUnwritten);

  std::vector<int> chars(text.size() + 2, kUnwritten);
  char kinds[128];
  int count = -1;
  FUZZ_CHECK(Code_Determine(text.c_str(), chars.data(), kinds, length, &count, 0, 0));
  FUZZ_CHECK(count >= 0 && count <= length);
  FUZZ_CHECK(count == 0 || chars[static_cast<size_t>(count - 1)] == length);
  IsEnglishLetter(text.c_str(), 0);
  IsNumber(text.c_str(), 0);
  IsPunctuation(text.c_str(), 0);
}

void CheckLookUp(const std::string& word, int handle) {
  char info[40];
  for (int size = 1; size <= 33; size += 8) {
    std::memset(info, 0x7E, sizeof info);
    const int found = Dict_Search_Get_Info(word.c_str(), handle, info, size);
    FUZZ_CHECK(found >= -1 && found <= 1);
    if (found >= 0) FUZZ_CHECK(std::memchr(info, '\0', static_cast<size_t>(size)) != nullptr);
    FUZZ_CHECK(static_cast<unsigned char>(info[size]) == 0x7E);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  g_dir = tarnix_fuzz::EnterWorkDir(false, argc, argv);
  g_compiled = CompileBase(g_dir);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > kMaxInput) return 0;
  const std::string body(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string path = g_dir + "/fuzz.lxd";
  std::vector<std::string> words;

  if ((data[0] & 1) == 0) {
    std::vector<lexmill::SourceEntry> entries;
    size_t at = 0;
    while (at <= body.size()) {
      size_t end = body.find('\n', at);
      if (end == std::string::npos) end = body.size();
      lexmill::SourceEntry e;
      std::string error;
      if (lexmill::ParseSourceLine(body.substr(at, end - at), &e, &error) ==
          lexmill::LineResult::kEntry) {
        words.push_back(e.word);
        entries.push_back(std::move(e));
      }
      at = end + 1;
    }
    lexmill::BuildStats stats;
    std::string error;
    if (!lexmill::WriteDictionary(std::move(entries), path, &stats, &error)) {
      tarnix_fuzz::Fail("a dictionary of parsed entries could not be written");
    }
  } else {
    const std::string file = tarnix_fuzz::Patched(g_compiled, body, (data[0] & 2) != 0);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) tarnix_fuzz::Fail("cannot write the dictionary file");
    if (!file.empty() && std::fwrite(file.data(), 1, file.size(), f) != file.size()) {
      tarnix_fuzz::Fail("short write");
    }
    std::fclose(f);
  }

  const int handle = Dict_Load_New("fuzz", g_dir.c_str());
  if ((data[0] & 1) == 0) FUZZ_CHECK(handle != -1);  // what the compiler wrote must load
  if (handle != -1) {
    CheckSegments(body, handle);
    CheckLookUp(body, handle);
    for (const std::string& w : words) {
      CheckSegments(w, handle);
      CheckLookUp(w, handle);
    }
    FUZZ_CHECK(Dict_Unload_New(handle) == 1);
  }
  unlink(path.c_str());
  return 0;
}
