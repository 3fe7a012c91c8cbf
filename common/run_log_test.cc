#include "run_log.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>

#include "platform.h"
#include "test_support.h"

namespace tarnix {
namespace {

class RunLogTest : public tarnix_testing::ScriptedTest {};

TEST_F(RunLogTest, AppendsTimeSeparatorMessageAndLineEnd) {
  EXPECT_TRUE(WriteLog("first"));
  EXPECT_TRUE(WriteLog(std::string("second")));
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{"first", "second"}));
  std::string content = ReadFile(kRunLogFile);
  ASSERT_GE(content.size(), 27u);
  EXPECT_EQ(content.substr(24, 3), " : ");
  EXPECT_EQ(content.back(), '\n');
  EXPECT_EQ(LocalTimeText().size(), 24u);
}

// The time text is kept for the second it was made in, and is the C
// library's own text of the current local time, on any thread.
TEST_F(RunLogTest, TheTimeTextIsTheCurrentSecondsOnEveryThread) {
  auto expected = [](std::time_t t) {
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    char text[64];
    std::strftime(text, sizeof text, "%a %b %e %H:%M:%S %Y", &tm);  // the C locale's, as asctime writes it
    return std::string(text);
  };
  for (int round = 0; round < 3; ++round) {
    std::string here, there;
    std::time_t before, after;
    do {
      before = std::time(nullptr);
      here = LocalTimeText();
      std::thread([&] { there = LocalTimeText(); }).join();
      after = std::time(nullptr);
    } while (before != after);  // a second began meanwhile: ask again
    EXPECT_EQ(here, expected(before));
    EXPECT_EQ(there, here);
    if (round < 2) std::this_thread::sleep_for(std::chrono::milliseconds(600));
  }
}

TEST_F(RunLogTest, ProblemsOfTheWriterGoToStandardOutput) {
  testing::internal::CaptureStdout();
  EXPECT_FALSE(WriteLog(nullptr));
  std::filesystem::create_directory(kRunLogFile);  // cannot be opened as a file
  EXPECT_FALSE(WriteLog("lost"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "WriteLog input false!\nWriteLog openfile false!\n");
}

// Every message opens the file anew, so lines written meanwhile by someone
// else stay, in order, and a missing file is created again.
TEST_F(RunLogTest, EachLineIsAppendedToTheFileAsItIsThen) {
  EXPECT_EQ(AppendToFile("appended.txt", "one\n"), AppendResult::kWritten);
  EXPECT_EQ(AppendToFile("appended.txt", std::string(70000, 'x') + "\n"), AppendResult::kWritten);
  EXPECT_EQ(ReadFile("appended.txt"), "one\n" + std::string(70000, 'x') + "\n");
  std::filesystem::remove("appended.txt");
  EXPECT_EQ(AppendToFile("appended.txt", "two\n"), AppendResult::kWritten);
  EXPECT_EQ(ReadFile("appended.txt"), "two\n");
  EXPECT_EQ(AppendToFile("no such folder/appended.txt", "three\n"), AppendResult::kNotOpened);
}

}  // namespace
}  // namespace tarnix
