#include "test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace tarnix_testing {

void ScriptedTest::SetUp() {
  scripted::Reset();
  old_dir_ = std::filesystem::current_path().string();
  std::string templ = (std::filesystem::temp_directory_path() / "tarnix-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(templ.data()), nullptr);
  dir_ = templ;
  std::filesystem::current_path(dir_);
}

void ScriptedTest::TearDown() {
  std::filesystem::current_path(old_dir_);
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
  scripted::Reset();
}

std::vector<std::string> ScriptedTest::LogMessages() const {
  static const std::regex kPrefix(
      "^(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
      "[ 123][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4} : ");
  std::vector<std::string> messages;
  std::ifstream in(dir_ + "/Tarnix_Log.log", std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    std::smatch m;
    EXPECT_TRUE(std::regex_search(line, m, kPrefix)) << "log line without time: " << line;
    messages.push_back(m.empty() ? line : line.substr(m.length(0)));
  }
  return messages;
}

void ScriptedTest::WriteFile(const std::string& name, const std::string& content) const {
  std::ofstream out(dir_ + "/" + name, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string ScriptedTest::ReadFile(const std::string& name) const {
  std::ifstream in(dir_ + "/" + name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace tarnix_testing
