#include "dict_store.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <thread>

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

// A borrowed dictionary is what Get gives, and a handle given, released,
// unloaded or reused is asked for again, here or on another thread.
TEST_F(DictStoreTest, BorrowedFollowsEveryChangeOfTheHandles) {
  lexmill_test::WriteDict(folder_.File("other.lxd"), {lexmill::SourceEntry{"Other", 5, 9, "info:Other"}});
  const int a = store_.Load("sample", "");
  ASSERT_GE(a, 0);
  EXPECT_EQ(store_.Borrow(a), store_.Get(a).get());
  EXPECT_EQ(store_.Borrow(a), store_.Borrow(a));
  EXPECT_EQ(store_.Borrow(a + 1), nullptr);
  store_.Release(a);
  EXPECT_EQ(store_.Borrow(a), nullptr);
  // The freed number now names the other dictionary.
  ASSERT_EQ(store_.Load("other", ""), a);
  ASSERT_NE(store_.Borrow(a), nullptr);
  EXPECT_NE(store_.Borrow(a)->Find("Other", 5), nullptr);
  EXPECT_EQ(store_.Borrow(a)->Find("Deep", 4), nullptr);
  std::thread([&] { EXPECT_EQ(store_.Unload(a), 1); }).join();
  EXPECT_EQ(store_.Borrow(a), nullptr);
}

TEST_F(DictStoreTest, ForgetLetsAnUnloadedDictionaryGo) {
  const int a = store_.Load("sample", "");
  std::weak_ptr<const DictImage> image = store_.Get(a);
  ASSERT_NE(store_.Borrow(a), nullptr);
  store_.Unload(a);
  EXPECT_FALSE(image.expired());  // still borrowed by this thread
  DictStore::Forget();
  EXPECT_TRUE(image.expired());
}

// A store made where an earlier one lay does not see what was borrowed
// from that one.
TEST_F(DictStoreTest, ANewStoreInTheSamePlaceBorrowsAfresh) {
  lexmill_test::WriteDict(folder_.File("other.lxd"), {lexmill::SourceEntry{"Other", 5, 9, "info:Other"}});
  std::optional<DictStore> store;
  store.emplace([this] { return folder_.path(); });
  const int a = store->Load("sample", "");
  ASSERT_NE(store->Borrow(a), nullptr);
  store.reset();
  store.emplace([this] { return folder_.path(); });
  ASSERT_EQ(store->Load("other", ""), a);
  ASSERT_NE(store->Borrow(a), nullptr);
  EXPECT_NE(store->Borrow(a)->Find("Other", 5), nullptr);
}

}  // namespace
}  // namespace lexmill
