// What the harnesses share: a private working directory (the run log and
// the configuration files live in the current directory), a run log that
// does not fill the disk during hours of fuzzing, and checks of the
// keyword list that every successful Tarnix_Direct call must meet.
#ifndef TARNIX_FUZZ_FUZZ_SUPPORT_H_
#define TARNIX_FUZZ_FUZZ_SUPPORT_H_

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tarnix/records.h"
#include "work_dir.h"

namespace tarnix_fuzz {

// Aborts with a message, so that libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

#define FUZZ_CHECK(cond) \
  do {                   \
    if (!(cond)) ::tarnix_fuzz::Fail(#cond); \
  } while (0)

// Makes the relative paths among libFuzzer's arguments (corpus folders,
// inputs, -artifact_prefix=) absolute, so that they survive the move into
// the work directory. libFuzzer reads its arguments after
// LLVMFuzzerInitialize.
inline void AbsoluteArguments(int* argc, char*** argv) {
  static std::vector<std::string> kept;
  char here[4096];
  if (argc == nullptr || argv == nullptr || getcwd(here, sizeof here) == nullptr) return;
  kept.reserve(static_cast<size_t>(*argc));
  for (int i = 1; i < *argc; ++i) {
    std::string arg = (*argv)[i];
    const std::string flag = "-artifact_prefix=";
    std::string head, path = arg;
    if (arg.rfind(flag, 0) == 0) {
      head = flag;
      path = arg.substr(flag.size());
    } else if (!arg.empty() && arg[0] == '-') {
      continue;
    }
    if (path.empty() || path[0] == '/') continue;
    kept.push_back(head + here + "/" + path);
    (*argv)[i] = kept.back().data();
  }
}

// Moves into a fresh directory under $TMPDIR (or /tmp). With
// discard_log, the run log is a link to /dev/null: every call appends
// several lines, far too many for a long run.
inline std::string EnterWorkDir(bool discard_log, int* argc, char*** argv) {
  AbsoluteArguments(argc, argv);
  const std::string pattern = tarnix_testing::EnterFreshDir("tarnix_fuzz_");
  if (pattern.empty()) Fail("work directory");
  if (discard_log && symlink("/dev/null", "Tarnix_Log.log") != 0) Fail("run log link");
  static std::string dir;
  dir = pattern;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  });
  return pattern;
}

// A whole file's bytes; fails the run when it cannot be read.
inline std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) Fail("cannot read a base file");
  char buffer[1 << 16];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
  std::fclose(f);
  return bytes;
}

// A compiled file damaged as it might lie on disk: every five bytes of body
// set the byte at a little-endian offset (modulo the file's size) to the
// fifth; with cut, the first offset cuts the file there instead.
inline std::string Patched(const std::string& base, const std::string& body, bool cut) {
  std::string file = base;
  for (size_t at = 0; at + 5 <= body.size() && !file.empty(); at += 5) {
    uint32_t offset = 0;
    for (int k = 3; k >= 0; --k) offset = offset << 8 | static_cast<unsigned char>(body[at + static_cast<size_t>(k)]);
    const size_t where = offset % file.size();
    if (cut && at == 0) {
      file.resize(where);
      continue;
    }
    file[where] = body[at + 4];
  }
  return file;
}

template <size_t N>
bool Terminated(const char (&field)[N]) {
  return std::memchr(field, '\0', N) != nullptr;
}

// The promises of a Tarnix_Direct result: 0 or 9; a failure reports no
// keywords; a success reports at most the capacity, every text ends inside
// its field, no weight 0.0 ends the list, and the list is in descending
// weight unless a weight is NaN (which orders nothing).
inline void CheckResult(int result, int count, int capacity, const KeywordEntry* buffer) {
  FUZZ_CHECK(result == 0 || result == 9);
  if (result == 9) {
    FUZZ_CHECK(count == 0);
    return;
  }
  FUZZ_CHECK(count >= 0 && count <= capacity);
  bool any_nan = false;
  for (int i = 0; i < count; ++i) {
    FUZZ_CHECK(Terminated(buffer[i].keyword_text));
    FUZZ_CHECK(Terminated(buffer[i].second_text));
    FUZZ_CHECK(Terminated(buffer[i].class_code));
    any_nan = any_nan || std::isnan(buffer[i].weight);
  }
  if (count > 0) FUZZ_CHECK(buffer[count - 1].weight != 0.0);
  if (!any_nan) {
    for (int i = 1; i < count; ++i) FUZZ_CHECK(buffer[i - 1].weight >= buffer[i].weight);
  }
}

}  // namespace tarnix_fuzz

#endif  // TARNIX_FUZZ_FUZZ_SUPPORT_H_
