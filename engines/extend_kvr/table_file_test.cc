#include "table_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace ekvr {
namespace {

// A table that keeps what it was given and fails on a line "bad".
struct RecordingTable {
  bool Parse(std::string_view text, std::string* error) {
    ++calls;
    seen.assign(text.data(), text.size());
    if (text.find("bad") != std::string_view::npos) {
      *error = "line 2 is malformed";
      return false;
    }
    return true;
  }
  int calls = 0;
  std::string seen;
};

std::string WriteTemp(const std::string& name, const std::string& bytes) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

TEST(LoadTable, HandsTheWholeFileToTheParserByteForByte) {
  // Line ends, a NUL and high bytes reach the parser as written.
  const std::string bytes("a 1\r\nb\0 2\n\xB2\xBB 3", 14);
  const std::string path = WriteTemp("ekvr_load_table_ok.txt", bytes);
  RecordingTable table;
  std::string error;
  EXPECT_TRUE(LoadTable(path, &table, &error));
  EXPECT_EQ(table.seen, bytes);
  EXPECT_TRUE(error.empty());
  std::remove(path.c_str());
}

TEST(LoadTable, AnUnreadableFileIsNamedAndNeverParsed) {
  RecordingTable table;
  std::string error;
  EXPECT_FALSE(LoadTable(::testing::TempDir() + "no_such_dir/table.txt", &table, &error));
  EXPECT_EQ(error, "cannot read " + ::testing::TempDir() + "no_such_dir/table.txt");
  EXPECT_EQ(table.calls, 0);
}

TEST(LoadTable, TheParsersMessageComesThrough) {
  const std::string path = WriteTemp("ekvr_load_table_bad.txt", "ok 1\nbad\n");
  RecordingTable table;
  std::string error;
  EXPECT_FALSE(LoadTable(path, &table, &error));
  EXPECT_EQ(error, "line 2 is malformed");
  EXPECT_EQ(table.calls, 1);
  std::remove(path.c_str());
}

TEST(SplitView, EveryFieldBetweenSeparatorsEvenEmptyOnes) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(SplitView("a\tb\tc", '\t'), (V{"a", "b", "c"}));
  EXPECT_EQ(SplitView("a,,b,", ','), (V{"a", "", "b", ""}));
  EXPECT_EQ(SplitView("", ','), V{""});
  EXPECT_EQ(SplitView("abc", ','), V{"abc"});
}

}  // namespace
}  // namespace ekvr
