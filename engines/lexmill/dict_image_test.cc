#include "dict_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "test_dicts.h"

namespace lexmill {
namespace {

using lexmill_test::TempFolder;

class DictImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = folder_.File("sample.lxd");
    lexmill_test::WriteDict(path_, lexmill_test::SampleEntries());
  }
  std::unique_ptr<DictImage> LoadBytes(const std::string& bytes, std::string* error) {
    const std::string p = folder_.File("damaged.lxd");
    lexmill_test::WriteBytes(p, bytes);
    return DictImage::Load(p, error);
  }
  TempFolder folder_;
  std::string path_;
};

TEST_F(DictImageTest, FindsEveryWordWithItsEntry) {
  std::string error;
  auto image = DictImage::Load(path_, &error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->entry_count(), lexmill_test::SampleEntries().size());
  for (const SourceEntry& s : lexmill_test::SampleEntries()) {
    const DictEntry* e = image->Find(s.word.data(), s.word.size());
    ASSERT_NE(e, nullptr) << s.info;
    EXPECT_EQ(e->freq, s.freq);
    EXPECT_EQ(e->code, s.code);
    EXPECT_EQ(image->Info(*e), s.info);
  }
  EXPECT_EQ(image->max_word_bytes(), 6u);
}

TEST_F(DictImageTest, PrefixesAndUnknownWordsAreNotFound) {
  std::string error;
  auto image = DictImage::Load(path_, &error);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->Find("Dee", 3), nullptr);
  EXPECT_EQ(image->Find("Deeps", 5), nullptr);
  EXPECT_EQ(image->Find("deep", 4), nullptr);  // case matters
  EXPECT_EQ(image->Find("", 0), nullptr);
  EXPECT_EQ(image->Find("\xD1\xD0", 2), nullptr);  // first character of 研究 only
  EXPECT_EQ(image->Find("\xD1", 1), nullptr);      // half a character
}

TEST_F(DictImageTest, DictionariesOfTheSameWordsShareTheirTrieAndKeepTheirOwnEntries) {
  // The same words and frequencies with other codes and texts, as the
  // general dictionary has beside the segmentation one.
  std::vector<SourceEntry> general = lexmill_test::SampleEntries();
  for (SourceEntry& e : general) {
    e.code = static_cast<uint16_t>(e.code + 7);
    e.info = "general:" + e.info;
  }
  const std::string general_path = folder_.File("general.lxd");
  lexmill_test::WriteDict(general_path, general);
  // One frequency changed: its walks would score differently.
  std::vector<SourceEntry> reweighed = lexmill_test::SampleEntries();
  reweighed[0].freq += 1;
  const std::string reweighed_path = folder_.File("reweighed.lxd");
  lexmill_test::WriteDict(reweighed_path, reweighed);

  std::string error;
  auto sample = DictImage::Load(path_, &error);
  auto other = DictImage::Load(general_path, &error);
  auto third = DictImage::Load(reweighed_path, &error);
  ASSERT_TRUE(sample && other && third) << error;
  EXPECT_TRUE(other->SharesTrieWith(*sample));
  EXPECT_FALSE(third->SharesTrieWith(*sample));
  sample.reset();  // the trie stays with the one still loaded
  for (const SourceEntry& g : general) {
    const DictEntry* e = other->Find(g.word.data(), g.word.size());
    ASSERT_NE(e, nullptr) << g.info;
    EXPECT_EQ(e->code, g.code);
    EXPECT_EQ(other->Info(*e), g.info);
  }
  const SourceEntry& first = reweighed[0];
  EXPECT_EQ(third->Find(first.word.data(), first.word.size())->freq, first.freq);
  // Loaded anew while the other still holds it, the trie is shared again.
  auto again = DictImage::Load(path_, &error);
  ASSERT_TRUE(again) << error;
  EXPECT_TRUE(again->SharesTrieWith(*other));
}

TEST_F(DictImageTest, LogProbabilitiesFollowFrequencies) {
  std::string error;
  auto image = DictImage::Load(path_, &error);
  ASSERT_TRUE(image);
  const DictEntry* de = image->Find(lexmill_test::kDe, 2);
  const DictEntry* ming = image->Find(lexmill_test::kMing, 2);
  double total = 0;
  for (const SourceEntry& s : lexmill_test::SampleEntries()) total += s.freq;
  EXPECT_NEAR(image->LogProb(*de), std::log(5000 / total), 1e-9);
  EXPECT_GT(image->LogProb(*ming), image->MinLogProb());
  EXPECT_NEAR(image->MinLogProb(), -std::log(total), 1e-9);
}

TEST_F(DictImageTest, FirstEntryOfADuplicatedWordWins) {
  std::vector<SourceEntry> entries = {{"ab", 5, 1, "first"}, {"ab", 9, 2, "second"}, {"", 1, 0, ""},
                                      {"\xD1", 1, 0, "half"}};
  BuildStats stats;
  std::string error;
  const std::string p = folder_.File("dup.lxd");
  ASSERT_TRUE(WriteDictionary(entries, p, &stats, &error));
  EXPECT_EQ(stats.written, 1u);
  EXPECT_EQ(stats.duplicates, 1u);
  EXPECT_EQ(stats.invalid_words, 2u);
  auto image = DictImage::Load(p, &error);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->Info(*image->Find("ab", 2)), "first");
}

TEST_F(DictImageTest, EmptyDictionaryLoads) {
  std::string error;
  const std::string p = folder_.File("empty.lxd");
  lexmill_test::WriteDict(p, {});
  auto image = DictImage::Load(p, &error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->Find("a", 1), nullptr);
}

TEST_F(DictImageTest, RefusesMissingShortAndForeignFiles) {
  std::string error;
  EXPECT_FALSE(DictImage::Load(folder_.File("absent.lxd"), &error));
  EXPECT_NE(error.find("cannot open"), std::string::npos);
  EXPECT_FALSE(LoadBytes("", &error));
  EXPECT_FALSE(LoadBytes("word\t1\t0\tinfo\n", &error));
  const std::string good = lexmill_test::ReadBytes(path_);
  // Cut anywhere, in the header or in any section: the file is refused
  // before a section is read.
  for (size_t cut = 1; cut < good.size(); cut += 1 + cut / 3) {
    EXPECT_FALSE(LoadBytes(good.substr(0, good.size() - cut), &error)) << cut;
  }
  EXPECT_FALSE(LoadBytes(good.substr(0, good.size() - 1), &error));
  EXPECT_NE(error.find("size"), std::string::npos);
  EXPECT_FALSE(LoadBytes(good + "x", &error));
  // A file of the first version, which was read and rebuilt.
  std::string old = good;
  const uint32_t first = 1;
  std::memcpy(&old[offsetof(FileHeader, version)], &first, sizeof first);
  EXPECT_FALSE(LoadBytes(old, &error));
  EXPECT_NE(error.find("version"), std::string::npos);
}

TEST_F(DictImageTest, RefusesOutOfRangeOffsets) {
  const std::string good = lexmill_test::ReadBytes(path_);
  FileHeader h;
  std::memcpy(&h, good.data(), sizeof h);
  std::string error;
  auto with = [&](size_t at, const auto& value) {
    std::string bad = good;
    std::memcpy(&bad[at], &value, sizeof value);
    return bad;
  };
  // Each section moved past the end, to where it would end past it, or
  // off its alignment.
  const uint64_t bytes[kSectionCount] = {h.entry_count * sizeof(DictEntry), h.entry_count * 2u,
                                         h.edge_count * sizeof(DictImage::Node),
                                         kRootUnits * sizeof(DictImage::Node), h.wide_slots * 20u,
                                         h.filter_words * 8u, h.info_bytes};
  for (int s = 0; s < kSectionCount; ++s) {
    const size_t field = offsetof(FileHeader, offset) + s * sizeof(uint64_t);
    for (uint64_t to : {h.file_bytes + kSectionAlign, h.file_bytes - kSectionAlign, h.offset[s] + 4,
                        uint64_t{0}, ~uint64_t{0} - kSectionAlign + 1}) {
      if (to == h.file_bytes - kSectionAlign && bytes[s] <= kSectionAlign) continue;  // it fits there
      EXPECT_FALSE(LoadBytes(with(field, to), &error)) << s << " at " << to;
      EXPECT_NE(error.find("section"), std::string::npos) << error;
    }
  }
  // Counts that no longer agree with the sections or with each other.
  EXPECT_FALSE(LoadBytes(with(offsetof(FileHeader, edge_count), h.edge_count + 100000), &error));
  EXPECT_FALSE(LoadBytes(with(offsetof(FileHeader, wide_slots), h.wide_slots * 4), &error));
  EXPECT_FALSE(LoadBytes(with(offsetof(FileHeader, wide_slots), h.wide_slots - 1), &error));
}

// Indices inside the sections are followed where they are used, not
// checked at load: one sent past the end of its section costs the words
// that depend on it, and nothing outside the file is read.
TEST_F(DictImageTest, DamagedIndicesCostOnlyTheirOwnWords) {
  const std::string good = lexmill_test::ReadBytes(path_);
  FileHeader h;
  std::memcpy(&h, good.data(), sizeof h);
  std::string error;
  {
    // The first entry's text pointing past the end of the texts.
    std::string bad = good;
    const uint32_t past = h.info_bytes + 1;
    std::memcpy(&bad[h.offset[kSectionEntries] + offsetof(DictEntry, info_offset)], &past, sizeof past);
    auto image = LoadBytes(bad, &error);
    ASSERT_TRUE(image) << error;
    int without_text = 0;
    for (const SourceEntry& s : lexmill_test::SampleEntries()) {
      const DictEntry* e = image->Find(s.word.data(), s.word.size());
      ASSERT_NE(e, nullptr) << s.info;
      EXPECT_EQ(e->freq, s.freq);
      if (image->Info(*e).empty()) ++without_text;
      else EXPECT_EQ(image->Info(*e), s.info);
    }
    EXPECT_EQ(without_text, 1);
  }
  {
    // Every child of the root sending its walk past the last edge (or, for
    // a hashed one, to a node no slot knows) and to an entry past the last.
    std::string bad = good;
    for (size_t unit = 0; unit < kRootUnits; ++unit) {
      char* at = &bad[h.offset[kSectionRoot] + unit * sizeof(DictImage::Node)];
      DictImage::Node n;
      std::memcpy(&n, at, sizeof n);
      if (n.children != 0) n.first_child = h.edge_count;
      if (n.entry != 0) n.entry = h.entry_count + 1;
      std::memcpy(at, &n, sizeof n);
    }
    auto image = LoadBytes(bad, &error);
    ASSERT_TRUE(image) << error;
    for (const SourceEntry& s : lexmill_test::SampleEntries()) {
      EXPECT_EQ(image->Find(s.word.data(), s.word.size()), nullptr) << s.info;
    }
    EXPECT_EQ(image->CodeOf(h.entry_count + 1), 0);
  }
}

// Whatever single byte is damaged, the loader either refuses the file or
// yields a dictionary that can be searched without fault.
TEST_F(DictImageTest, SurvivesEveryDamagedByte) {
  const std::string good = lexmill_test::ReadBytes(path_);
  const std::string p = folder_.File("damaged.lxd");
  lexmill_test::WriteBytes(p, good);
  for (size_t at : lexmill_test::DamageSites(good)) {
    for (unsigned char flip : {0x01, 0x80, 0xFF}) {
      lexmill_test::PatchByte(p, at, static_cast<char>(good[at] ^ flip));
      std::string error;
      if (auto image = DictImage::Load(p, &error)) {
        for (const SourceEntry& s : lexmill_test::SampleEntries()) {
          if (const DictEntry* e = image->Find(s.word.data(), s.word.size())) {
            EXPECT_LE(image->Info(*e).size(), good.size());
          }
        }
      }
    }
    lexmill_test::PatchByte(p, at, good[at]);
  }
}

}  // namespace
}  // namespace lexmill
