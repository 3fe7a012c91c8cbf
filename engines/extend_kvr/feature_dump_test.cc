#include "feature_dump.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace ekvr {
namespace {

constexpr const char* kVar = "EKVR_FEATURE_DUMP_TEST";

void SetVariable(const char* value) {
#ifdef _WIN32
  _putenv_s(kVar, value == nullptr ? "" : value);
#else
  if (value == nullptr) {
    unsetenv(kVar);
  } else {
    setenv(kVar, value, 1);
  }
#endif
}

std::string ReadBack(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TEST(FeatureDump, OffWithoutTheVariable) {
  SetVariable(nullptr);
  FeatureDump dump(kVar);
  EXPECT_FALSE(dump.on());
  const float f[] = {1.0f};
  dump.Write({"word"}, f, 1);  // nothing to write to, and no crash
  dump.Mark("#article");
}

TEST(FeatureDump, AppendsExactValuesAfterTheTextsArticleAfterArticle) {
  const std::string path = ::testing::TempDir() + "ekvr_feature_dump_test.tsv";
  std::remove(path.c_str());
  SetVariable(path.c_str());
  {
    FeatureDump dump(kVar);
    ASSERT_TRUE(dump.on());
    dump.Mark("#article");
    const float f[] = {1.0f, 0.1f, -2.5f, 0.0f};
    dump.Write({"key", "Shown Text"}, f, 4);
  }
  {
    FeatureDump dump(kVar);  // a second article appends
    const float f[] = {0.3f};
    dump.Write({"w"}, f, 1);
  }
  SetVariable(nullptr);
  // 0.1f is not 0.1: nine digits tell the float apart from its neighbours.
  EXPECT_EQ(ReadBack(path), "#article\nkey\tShown Text\t1\t0.100000001\t-2.5\t0\nw\t0.300000012\n");
  std::remove(path.c_str());
}

}  // namespace
}  // namespace ekvr
