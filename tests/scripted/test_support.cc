#include "test_support.h"

#include "work_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <cctype>
#include <cstring>
#include <sstream>

namespace tarnix_testing {

void ScriptedTest::SetUp() {
  scripted::Reset();
  old_dir_ = std::filesystem::current_path().string();
  dir_ = EnterFreshDir("tarnix-test-");
  ASSERT_FALSE(dir_.empty());
}

void ScriptedTest::TearDown() {
  std::filesystem::current_path(old_dir_);
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
  scripted::Reset();
}

namespace {

// Whether line starts with the ctime text and " : ", for example
// "Tue Dec  8 16:04:43 2026 : ".
bool HasTimePrefix(const std::string& line) {
  static const char kDays[] = "SunMonTueWedThuFriSat";
  static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  if (line.size() < 27) return false;
  auto digits = [&](size_t from, size_t n) {
    for (size_t i = from; i < from + n; ++i) {
      if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
    }
    return true;
  };
  auto listed = [&](const char* names, size_t at) {
    for (const char* p = names; *p; p += 3) {
      if (line.compare(at, 3, p, 3) == 0) return true;
    }
    return false;
  };
  return listed(kDays, 0) && line[3] == ' ' && listed(kMonths, 4) && line[7] == ' ' &&
         (line[8] == ' ' || digits(8, 1)) && digits(9, 1) && line[10] == ' ' && digits(11, 2) &&
         line[13] == ':' && digits(14, 2) && line[16] == ':' && digits(17, 2) && line[19] == ' ' &&
         digits(20, 4) && line.compare(24, 3, " : ") == 0;
}

}  // namespace

std::vector<std::string> ScriptedTest::LogMessages() const {
  std::vector<std::string> messages;
  std::ifstream in(dir_ + "/Tarnix_Log.log", std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    bool timed = HasTimePrefix(line);
    EXPECT_TRUE(timed) << "log line without time: " << line;
    messages.push_back(timed ? line.substr(27) : line);
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
