// What the tests share: a fresh working directory per test (the run log and
// the configuration files live in the current directory), the run log's
// messages, and reset scripted engines.
#ifndef TARNIX_TESTS_SCRIPTED_TEST_SUPPORT_H_
#define TARNIX_TESTS_SCRIPTED_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scripted_engines.h"

namespace tarnix_testing {

// The two Chinese texts of the run log, in GBK.
constexpr char kArticleLine[] = "\xB4\xA6\xC0\xED\xCE\xC4\xD5\xC2: ";  // 处理文章:
constexpr char kNoTitle[] =
    "\xB4\xCB\xCE\xC4\xD5\xC2\xCE\xDE\xB1\xEA\xCC\xE2\xA3\xA1\xA3\xA1";  // 此文章无标题！！

class ScriptedTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The messages of the run log, each checked for the time prefix.
  std::vector<std::string> LogMessages() const;
  // Writes a file in the test's working directory.
  void WriteFile(const std::string& name, const std::string& content) const;
  std::string ReadFile(const std::string& name) const;
  const std::string& dir() const { return dir_; }

 private:
  std::string old_dir_;
  std::string dir_;
};

}  // namespace tarnix_testing

#endif  // TARNIX_TESTS_SCRIPTED_TEST_SUPPORT_H_
