#include "engine_data_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform.h"
#include "test_support.h"

namespace tarnix {
namespace {

class EngineDataFolderTest : public tarnix_testing::ScriptedTest {
 protected:
  static bool Never(const std::string&) { return false; }
  DataFolderSearch Search(const char* env, std::string configured) const {
    return {env, std::move(configured), JoinPath(dir(), "lib"), "eng", &IsFolder};
  }
};

constexpr char kUnset[] = "TARNIX_TEST_NEVER_SET_DATA_FOLDER";

TEST_F(EngineDataFolderTest, NamedFoldersAreTakenAsTheyAreInOrder) {
  // The environment first, and a set variable wins over the configuration;
  // a named folder is the answer even when nothing is there, so that the
  // engine's error names it.
  ASSERT_NE(std::getenv("PATH"), nullptr);
  EXPECT_EQ(FindDataFolder(Search("PATH", "configured")), std::getenv("PATH"));
  EXPECT_EQ(FindDataFolder(Search(kUnset, "no/such/folder")), "no/such/folder");
  EXPECT_EQ(FindDataFolder({kUnset, "no/such/folder", JoinPath(dir(), "lib"), "eng", &Never}), "no/such/folder");
}

TEST_F(EngineDataFolderTest, BesideTheLibraryTheSharedFolderWhenItHoldsTheData) {
  namespace fs = std::filesystem;
  fs::create_directories(fs::path(dir()) / "lib");
  // Nothing there: the flat deployment's folder, for the error to name.
  EXPECT_EQ(FindDataFolder(Search(kUnset, "")), JoinPath(JoinPath(dir(), "lib"), "eng"));
  fs::create_directories(fs::path(dir()) / "share" / "eng");
  const std::string shared = JoinPath(JoinPath(JoinPath(JoinPath(dir(), "lib"), ".."), "share"), "eng");
  EXPECT_EQ(FindDataFolder(Search(kUnset, "")), shared);
  EXPECT_TRUE(IsFolder(shared));
  // An unknown library folder gives nothing to look in.
  EXPECT_EQ(FindDataFolder({kUnset, "", "", "eng", &IsFolder}), "");
}

TEST(EngineDataFolder, JoinPathAddsOneSeparator) {
  EXPECT_EQ(JoinPath("", "a"), "a");
  EXPECT_EQ(JoinPath("d/", "a"), "d/a");
  EXPECT_EQ(JoinPath("d\\", "a"), "d\\a");
  EXPECT_EQ(JoinPath("d", "a"), std::string("d") + kPathSeparator + "a");
}

}  // namespace
}  // namespace tarnix
