// The in-memory trie of DictImage against plain references: a std::map of
// the words for look-ups, and a direct dynamic programme over that map for
// segmentation. The dictionaries are random, with nodes of many children
// (hashed) and of few (scanned), words of one to a dozen characters that
// share prefixes, double-byte and ASCII characters.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "dict_image.h"
#include "segmenter.h"
#include "test_dicts.h"

namespace lexmill {
namespace {

using lexmill_test::TempFolder;

// Double-byte ideographs from several rows (some sharing a lead byte) and
// ASCII letters.
std::vector<std::string> Alphabet() {
  std::vector<std::string> chars;
  for (unsigned trail = 0xA1; trail < 0xA1 + 24; ++trail) chars.push_back(std::string{'\xB0', static_cast<char>(trail)});
  for (unsigned lead : {0x81u, 0xC4u, 0xD6u, 0xFEu}) {
    chars.push_back(std::string{static_cast<char>(lead), '\x40'});
    chars.push_back(std::string{static_cast<char>(lead), '\xFE'});
  }
  chars.push_back("\xD1\xD0");
  chars.push_back("\xBE\xBF");
  return chars;
}

struct RandomDict {
  std::vector<SourceEntry> entries;
  std::map<std::string, SourceEntry> words;  // the first entry of each word
};

RandomDict MakeDict(std::mt19937* rng, const std::vector<std::string>& alphabet, size_t count,
                    bool with_ascii) {
  RandomDict d;
  auto add = [&d, rng](const std::string& w) {
    SourceEntry e{w, static_cast<uint32_t>((*rng)() % 5000), static_cast<uint16_t>((*rng)() % 50),
                  "i" + std::to_string(d.entries.size())};
    d.entries.push_back(e);
    d.words.emplace(w, e);  // keeps the first
  };
  // One prefix with a child for every character: far more than a scan.
  for (const std::string& c : alphabet) add(alphabet[0] + c);
  // A prefix with exactly as many children as are scanned, and one more.
  for (size_t k = 0; k < 8; ++k) add(alphabet[1] + alphabet[1] + alphabet[k]);
  for (size_t k = 0; k < 9; ++k) add(alphabet[2] + alphabet[3] + alphabet[k]);
  for (size_t i = 0; i < count; ++i) {
    std::string w;
    const size_t chars = 1 + (*rng)() % ((*rng)() % 4 == 0 ? 12 : 4);
    for (size_t k = 0; k < chars; ++k) w += alphabet[(*rng)() % (i % 3 == 0 ? 6 : alphabet.size())];
    add(w);
    if (i % 50 == 0) add(w);  // a repeat: the first entry stays
  }
  if (with_ascii) {
    add("Deep");
    add("Dee");
    add("x");
  }
  return d;
}

TEST(TrieReference, LookUpsAgreeWithAMapOfTheWords) {
  TempFolder folder;
  std::mt19937 rng(3);
  const std::vector<std::string> alphabet = Alphabet();
  for (int round = 0; round < 4; ++round) {
    const RandomDict d = MakeDict(&rng, alphabet, 1500, true);
    const std::string path = folder.File("random" + std::to_string(round) + ".lxd");
    lexmill_test::WriteDict(path, d.entries);
    std::string error;
    const auto image = DictImage::Load(path, &error);
    ASSERT_TRUE(image) << error;
    EXPECT_EQ(image->entry_count(), d.words.size());
    for (const auto& [word, e] : d.words) {
      const DictEntry* got = image->Find(word.data(), word.size());
      ASSERT_NE(got, nullptr) << round;
      EXPECT_EQ(got->freq, e.freq);
      EXPECT_EQ(got->code, e.code);
      EXPECT_EQ(image->Info(*got), e.info);
      // Every proper prefix is found exactly when it is a word itself, and
      // so is the word with one more character.
      for (size_t n = 2; n < word.size(); n += 2) {
        const std::string prefix = word.substr(0, n);
        EXPECT_EQ(image->Find(prefix.data(), prefix.size()) != nullptr, d.words.count(prefix) > 0);
      }
      const std::string longer = word + alphabet[rng() % alphabet.size()];
      EXPECT_EQ(image->Find(longer.data(), longer.size()) != nullptr, d.words.count(longer) > 0);
    }
    for (int k = 0; k < 3000; ++k) {
      std::string w;
      for (size_t n = 1 + rng() % 6; n > 0; --n) w += alphabet[rng() % alphabet.size()];
      EXPECT_EQ(image->Find(w.data(), w.size()) != nullptr, d.words.count(w) > 0) << w.size();
    }
    EXPECT_EQ(image->Find("", 0), nullptr);
    EXPECT_EQ(image->Find("De", 2), nullptr);
    EXPECT_NE(image->Find("Dee", 3), nullptr);
    EXPECT_EQ(image->Find("\xB0", 1), nullptr);  // half a character
  }
}

// Maximum-probability segmentation of a text of double-byte ideographs
// straight from the map: every token is one character, so the words that
// start at a character are the map's words that are prefixes there.
std::vector<uint32_t> ReferenceEnds(const std::string& text, const std::map<std::string, SourceEntry>& words,
                                    double min_log_prob) {
  const size_t n = text.size() / 2;
  std::vector<double> route(n + 1, 0.0);
  std::vector<size_t> next(n, 0);
  for (size_t i = n; i-- > 0;) {
    double best = -std::numeric_limits<double>::infinity();
    size_t best_next = 0;
    for (size_t j = i; j < n; ++j) {
      const auto it = words.find(text.substr(2 * i, 2 * (j + 1 - i)));
      if (it == words.end()) continue;
      const auto lp = static_cast<float>(std::log(static_cast<double>(std::max<uint32_t>(it->second.freq, 1))) +
                                         min_log_prob);
      const double candidate = lp + route[j + 1];
      if (candidate >= best) {
        best = candidate;
        best_next = j + 1;
      }
    }
    if (best_next == 0) {
      best = min_log_prob + route[i + 1];
      best_next = i + 1;
    }
    route[i] = best;
    next[i] = best_next;
  }
  std::vector<uint32_t> ends;
  for (size_t i = 0; i < n; i = next[i]) ends.push_back(static_cast<uint32_t>(2 * next[i]));
  return ends;
}

TEST(TrieReference, SegmentationAgreesWithADirectProgramme) {
  TempFolder folder;
  std::mt19937 rng(9);
  const std::vector<std::string> alphabet = Alphabet();
  const RandomDict d = MakeDict(&rng, alphabet, 3000, false);
  const std::string path = folder.File("random.lxd");
  lexmill_test::WriteDict(path, d.entries);
  std::string error;
  const auto image = DictImage::Load(path, &error);
  ASSERT_TRUE(image) << error;
  Segmenter segmenter;
  std::vector<Segment> segments;
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (size_t n = rng() % 60; n > 0; --n) text += alphabet[rng() % (round % 2 == 0 ? 6 : alphabet.size())];
    segmenter.Run(*image, text.data(), text.size(), 0, &segments);
    const std::vector<uint32_t> want = ReferenceEnds(text, d.words, image->MinLogProb());
    ASSERT_EQ(segments.size(), want.size()) << round;
    for (size_t k = 0; k < want.size(); ++k) {
      ASSERT_EQ(segments[k].end, want[k]) << round << " " << k;
      const auto word = text.substr(k == 0 ? 0 : want[k - 1], want[k] - (k == 0 ? 0 : want[k - 1]));
      const auto it = d.words.find(word);
      if (it != d.words.end()) {
        EXPECT_EQ(segments[k].code, static_cast<int16_t>(it->second.code));
      }
    }
  }
}

// A damaged dictionary with hashed nodes is refused or walked safely.
TEST(TrieReference, DamagedDictionaryWithWideNodesIsSafe) {
  TempFolder folder;
  std::mt19937 rng(1);
  const std::vector<std::string> alphabet = Alphabet();
  RandomDict d = MakeDict(&rng, alphabet, 0, false);
  const std::string path = folder.File("wide.lxd");
  lexmill_test::WriteDict(path, d.entries);
  const std::string good = lexmill_test::ReadBytes(path);
  const std::string text = alphabet[0] + alphabet[5] + alphabet[2] + alphabet[3] + alphabet[8] + alphabet[0];
  Segmenter segmenter;
  std::vector<Segment> segments;
  const std::string p = folder.File("bad.lxd");
  lexmill_test::WriteBytes(p, good);
  for (size_t at : lexmill_test::DamageSites(good)) {
    if (at < sizeof(FileHeader)) continue;
    lexmill_test::PatchByte(p, at, static_cast<char>(good[at] ^ 0x5A));
    std::string error;
    if (const auto image = DictImage::Load(p, &error)) {
      for (const auto& [word, e] : d.words) image->Find(word.data(), word.size());
      segmenter.Run(*image, text.data(), text.size(), 0, &segments);
      ASSERT_FALSE(segments.empty());
      EXPECT_EQ(segments.back().end, text.size());
    }
    lexmill_test::PatchByte(p, at, good[at]);
  }

}

}  // namespace
}  // namespace lexmill
