// A fresh private directory under the system's temporary folder ($TMPDIR,
// else /tmp), made the current one. The library reads its configuration
// from the current directory and writes its run log there, so every test,
// benchmark, fuzzer and soak run works in one of its own.
#ifndef TARNIX_TESTS_SCRIPTED_WORK_DIR_H_
#define TARNIX_TESTS_SCRIPTED_WORK_DIR_H_

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace tarnix_testing {

// The directory entered, or empty (the current directory unchanged) when it
// could not be made or entered.
inline std::string EnterFreshDir(const std::string& prefix) {
  std::error_code error;
  const std::filesystem::path tmp = std::filesystem::temp_directory_path(error);
  if (error) return std::string();
  std::string dir = (tmp / (prefix + "XXXXXX")).string();
  if (mkdtemp(dir.data()) == nullptr) return std::string();
  std::filesystem::current_path(dir, error);
  return error ? std::string() : dir;
}

}  // namespace tarnix_testing

#endif  // TARNIX_TESTS_SCRIPTED_WORK_DIR_H_
