#include "dict_store.h"

#include <gtest/gtest.h>

#include "test_dicts.h"

namespace lexmill {
namespace {

class DictStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lexmill_test::WriteDict(folder_.File("sample.lxd"), lexmill_test::SampleEntries());
  }
  lexmill_test::TempFolder folder_;
  DictStore store_{[this] { return folder_.path(); }};
};

TEST_F(DictStoreTest, LoadedDictionaryOutlivesItsHandle) {
  const int h = store_.Load("sample", "");
  ASSERT_GE(h, 0);
  ASSERT_TRUE(store_.Get(h));
  EXPECT_EQ(store_.Release(h), 1);
  EXPECT_FALSE(store_.Get(h));
  EXPECT_EQ(store_.Release(h), 0);  // a handle is given back once
  const int again = store_.GetHandle("sample");
  ASSERT_GE(again, 0);
  EXPECT_NE(store_.Get(again)->Find("Deep", 4), nullptr);
  EXPECT_EQ(store_.loaded_count(), 1u);
}

TEST_F(DictStoreTest, HandlesShareOneLoadedDictionary) {
  const int a = store_.Load("sample", "");
  const int b = store_.Load("sample", "");
  const int c = store_.GetHandle("sample");
  ASSERT_GE(a, 0);
  EXPECT_NE(a, b);
  EXPECT_NE(b, c);
  EXPECT_EQ(store_.Get(a), store_.Get(c));
  EXPECT_EQ(store_.loaded_count(), 1u);
  EXPECT_EQ(store_.handle_count(), 3u);
}

TEST_F(DictStoreTest, FreedHandleNumbersAreReused) {
  const int a = store_.Load("sample", "");
  store_.Release(a);
  EXPECT_EQ(store_.GetHandle("sample"), a);
}

TEST_F(DictStoreTest, UnloadInvalidatesEveryHandle) {
  const int a = store_.Load("sample", "");
  const int b = store_.GetHandle("sample");
  auto kept = store_.Get(b);
  EXPECT_EQ(store_.Unload(a), 1);
  EXPECT_FALSE(store_.Get(a));
  EXPECT_FALSE(store_.Get(b));
  EXPECT_EQ(store_.GetHandle("sample"), -1);
  EXPECT_EQ(store_.Unload(a), 0);
  // A caller that was using the dictionary meanwhile keeps a valid one.
  EXPECT_NE(kept->Find("Deep", 4), nullptr);
  EXPECT_GE(store_.Load("sample", ""), 0);  // and it can be loaded again
}

TEST_F(DictStoreTest, ClearDropsEverything) {
  store_.Load("sample", "");
  store_.Clear();
  EXPECT_EQ(store_.loaded_count(), 0u);
  EXPECT_EQ(store_.GetHandle("sample"), -1);
}

TEST_F(DictStoreTest, MissingMalformedAndForbiddenNamesFail) {
  lexmill_test::WriteBytes(folder_.File("broken.lxd"), "LXMDICT");
  testing::internal::CaptureStderr();
  EXPECT_EQ(store_.Load("absent", ""), -1);
  EXPECT_EQ(store_.Load("broken", ""), -1);
  EXPECT_EQ(store_.Load("../sample", ""), -1);
  EXPECT_EQ(store_.Load("sub/sample", ""), -1);
  EXPECT_EQ(store_.Load("", ""), -1);
  const std::string messages = testing::internal::GetCapturedStderr();
  EXPECT_NE(messages.find("\"absent\""), std::string::npos);
  EXPECT_NE(messages.find("\"broken\""), std::string::npos);
  EXPECT_NE(messages.find("invalid dictionary name"), std::string::npos);
  EXPECT_EQ(store_.loaded_count(), 0u);
  EXPECT_EQ(store_.GetHandle("absent"), -1);
}

TEST_F(DictStoreTest, ExplicitFolderOverridesTheDataFolder) {
  lexmill_test::TempFolder other;
  lexmill_test::WriteDict(other.File("elsewhere.lxd"), {{"x", 1, 0, "there"}});
  testing::internal::CaptureStderr();
  EXPECT_EQ(store_.Load("elsewhere", ""), -1);
  testing::internal::GetCapturedStderr();
  const int h = store_.Load("elsewhere", other.path());
  ASSERT_GE(h, 0);
  auto image = store_.Get(h);
  EXPECT_EQ(image->Info(*image->Find("x", 1)), "there");
}

TEST_F(DictStoreTest, InvalidHandlesAreRefused) {
  for (int h : {-1, 0, 7, 1 << 20}) {
    EXPECT_FALSE(store_.Get(h));
    EXPECT_EQ(store_.Release(h), 0);
    EXPECT_EQ(store_.Unload(h), 0);
  }
}

}  // namespace
}  // namespace lexmill
