// The configuration reader on arbitrary INI files.
//
// Input: the bytes of ".\Tarnix.ini" (also written as ".\EKVR.ini"). The
// four configured names are read through the configuration layer, and the
// portable profile reader is asked for a section and a key taken from the
// first line of the input (split at its first TAB) with buffers of every
// small size. Every value must come back NUL-terminated, no longer than
// its buffer allows, and with the returned length matching the text.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "config.h"
#include "fuzz_support.h"
#include "profile.h"

namespace {

constexpr size_t kMaxInput = 1 << 14;

void WriteWhole(const char* path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) tarnix_fuzz::Fail("cannot write the configuration file");
  if (size && std::fwrite(data, 1, size, f) != size) tarnix_fuzz::Fail("short write");
  std::fclose(f);
}

void CheckName(const std::string& name) {
  FUZZ_CHECK(name.size() < tarnix::kConfigValueSize);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tarnix_fuzz::EnterWorkDir(true, argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput) return 0;
  // The reader keeps a parsed file while its time stamp and size stay the
  // same; two inputs of one size written within one clock tick would look
  // alike, so each run starts with no file, which drops what was kept.
  unlink("Tarnix.ini");
  unlink("EKVR.ini");
  FUZZ_CHECK(tarnix::SimilarDictName() == "QOVA_SIM_CHN_DICT");
  FUZZ_CHECK(tarnix::SysGeneralDictName() == "sys_general_dic");
  WriteWhole("Tarnix.ini", data, size);
  WriteWhole("EKVR.ini", data, size);

  CheckName(tarnix::SimilarDictName());
  CheckName(tarnix::EnglishGeneralDictName());
  CheckName(tarnix::ClassifyChnDictName());
  CheckName(tarnix::SysGeneralDictName());

  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string first = input.substr(0, input.find('\n'));
  const size_t tab = first.find('\t');
  const std::string section = first.substr(0, tab);
  const std::string key = tab == std::string::npos ? "tarnix_sim_dict" : first.substr(tab + 1);
  char buffer[40];
  for (uint32_t capacity = 1; capacity <= 33; capacity += 4) {
    std::memset(buffer, 0x7E, sizeof buffer);
    const uint32_t n = tarnix::PortableProfileString(section.c_str(), key.c_str(), "fallback  ",
                                                     buffer, capacity, ".\\Tarnix.ini");
    FUZZ_CHECK(n < capacity);
    FUZZ_CHECK(buffer[n] == '\0');
    FUZZ_CHECK(std::strlen(buffer) <= n);
    FUZZ_CHECK(static_cast<unsigned char>(buffer[capacity]) == 0x7E);  // nothing past the buffer
  }
  return 0;
}
