#include "table_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

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
  // Into a vector holding an earlier line's fields: only the new ones.
  V parts{"old", "fields", "here"};
  SplitViewInto("x y", ' ', &parts);
  EXPECT_EQ(parts, (V{"x", "y"}));
}

// The value strtod gives for the whole text, and whether it is finite,
// for whatever a model file may hold.
TEST(ParseFinite, ReadsWhatStrtodReads) {
  auto strtod_reads = [](const std::string& s, double* out) {
    char* end = nullptr;
    *out = std::strtod(s.c_str(), &end);
    return !s.empty() && end == s.c_str() + s.size() && std::isfinite(*out);
  };
  std::vector<std::string> texts = {"0",      "-0",    "1",     "-1.5",  "3.25e-7", "1E5",    "+2",
                                    " 2",     "2 ",    "0x1p3", "inf",   "-inf",    "nan",    "1e400",
                                    "-1e400", "1e-400", "4.9e-324", "",  ".5",      "5.",     "1e",
                                    "1.2.3",  "--1",   "e5",    "0.1000000000000000055511151231257827"};
  std::mt19937_64 rng(7);
  char buffer[64];
  for (int i = 0; i < 20000; ++i) {
    const double v = std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 200) - 150) *
                     (rng() % 2 ? 1 : -1);
    const char* format = i % 3 == 0 ? "%.17g" : i % 3 == 1 ? "%.6f" : "%.9e";
    std::snprintf(buffer, sizeof buffer, format, v);
    texts.push_back(buffer);
  }
  for (const std::string& s : texts) {
    double want = 0.0, got = 0.0;
    const bool ok = strtod_reads(s, &want);
    ASSERT_EQ(ParseFinite(s, &got), ok) << s;
    if (ok) {
      ASSERT_EQ(std::memcmp(&got, &want, sizeof got), 0) << s;  // the same bits, sign of zero too
    }
  }
}

}  // namespace
}  // namespace ekvr
