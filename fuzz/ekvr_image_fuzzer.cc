// Extend_KVR's compiled table images (table_image.h) as they might lie
// damaged on disk.
//
// Input: one selector byte, then the body. An idf table, a keyphrase
// table, a classifier, an English tagger and a term model of trees are
// compiled once at start, the tables each with short and long (pooled)
// words and a filter; the selector modulo 5 picks one. Every five bytes
// of the body set the byte at a little-endian offset (modulo the file's
// size) to the fifth; when the selector divided by 5 is odd the file is
// cut at the first offset instead. The image, when it loads, is asked for every
// word of the table, a few absent ones and the body's own bytes. The
// sanitizers catch a read outside the mapping; the checks hold that a
// loaded table answers every word without hanging and that a refusal
// names the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "classifier.h"
#include "en_features.h"
#include "en_tagger.h"
#include "fuzz_support.h"
#include "idf_table.h"
#include "term_model.h"

namespace {

constexpr size_t kMaxInput = 4096;

const char* const kWords[] = {"the", "kernel", "support vector", "abcdefghijkl", "abcdefghijklm",
                              "\xD0\xA1\xB2\xA8\xB1\xE4\xBB\xBB\xCE\xDE\xCF\xDF\xB5\xE7",
                              "a-rather-long-english-compound-key", "", "absent", "absent-and-rather-long-key"};

std::string g_dir;
std::string g_images[5];  // idf, keyphrases, classifier, tagger, term model

// The image of table as it reads text, written once at start; its bytes.
template <typename Table>
std::string Compile(Table table, const std::string& text, const char* name) {
  const std::string path = g_dir + "/base_" + name + ".ekt";
  std::string error;
  if (!table.Parse(text, &error) || !table.WriteImage(path, text.size(), &error)) {
    tarnix_fuzz::Fail((std::string("the base ") + name + " image could not be written: " + error).c_str());
  }
  return tarnix_fuzz::ReadWholeFile(path);
}

// The table's words, each with the column the kind reads after it.
std::string WordLines(bool keyphrases, bool classifier) {
  std::string text;
  for (size_t i = 0; i + 3 < sizeof kWords / sizeof kWords[0]; ++i) {
    text += kWords[i];
    if (classifier) {
      text += "\t" + std::to_string(i % 2) + ":" + std::to_string(i + 1) + "\n";
    } else if (keyphrases) {
      text += "\t" + std::to_string(i) + "\t9\n";
    } else {
      text += " " + std::to_string(i) + ".5\n";
    }
  }
  return text;
}

const char kTagger[] =
    "en-tagger 1\ntags 3 det nn vbz\ncounts 10 10 10\nstart -0.5 -1.5 -3\n"
    "from det -5 -0.1 -5\nfrom nn -3 -1.5 -0.4\nfrom vbz -0.7 -1.2 -4\n"
    "words 4\nthe\t0:-1\nmodel\t1:-3 2:-5\nsupport-vector-machines\t1:-2\n*NUM*\t1:-2\n"
    "suffixes 2\nl\t1:0.5\nlling\t2:1\nend\n";

const char kTermModel[] =
    "features 5\nlambda 1.5\nbaseline -0.25\n"
    "tree\nsplit 0 0.5 1 4\nsplit 1 -0.25 2 3\nleaf 1.5\nleaf -2\nleaf 0.75\n"
    "tree\nsplit 2 0.1 1 2\nleaf 0.125\nsplit 3 3 3 4\nsplit 4 1e-3 5 6\nleaf 9\nleaf -1\nleaf 4\n";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  g_dir = tarnix_fuzz::EnterWorkDir(false, argc, argv);
  g_images[0] = Compile(ekvr::IdfTable(), WordLines(false, false), "idf");
  g_images[1] = Compile(ekvr::KeyphraseTable(), WordLines(true, false), "kp");
  g_images[2] = Compile(ekvr::Classifier(), "alpha 0.1\nclass 08.12 10 cs\nclass 09.01 10 agri\n" + WordLines(false, true),
                        "classifier");
  g_images[3] = Compile(ekvr::EnglishTagger(), kTagger, "tagger");
  g_images[4] = Compile(ekvr::TermModel(5), kTermModel, "terms");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > kMaxInput) return 0;
  const int kind = data[0] % 5;
  const std::string body(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string file = tarnix_fuzz::Patched(g_images[kind], body, (data[0] / 5) % 2 != 0);
  const std::string path = g_dir + "/fuzz.ekt";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr || std::fwrite(file.data(), 1, file.size(), f) != file.size()) tarnix_fuzz::Fail("write");
  std::fclose(f);

  std::vector<std::string> words(std::begin(kWords), std::end(kWords));
  words.push_back(body.substr(0, 40));
  std::string error;
  if (kind == 4) {
    ekvr::TermModel m(5);
    if (!m.LoadImage(path, &error)) {
      FUZZ_CHECK(error.find(path) != std::string::npos);
      return 0;
    }
    // Rows from the body's bytes, then each row alone: the same logits.
    float rows[70 * 5];
    for (size_t i = 0; i < 70 * 5; ++i) {
      rows[i] = body.empty() ? 0.0f : static_cast<float>(static_cast<int8_t>(body[i % body.size()])) / 16.0f;
    }
    double many[70];
    m.LogitMany(rows, 70, 5, many);
    for (size_t r = 0; r < 70; r += 23) {
      const double one = m.Logit(rows + r * 5);
      FUZZ_CHECK(std::memcmp(&one, &many[r], sizeof one) == 0);
    }
  } else if (kind == 3) {
    ekvr::EnglishTagger t;
    if (!t.LoadImage(path, &error)) {
      FUZZ_CHECK(error.find(path) != std::string::npos);
      return 0;
    }
    std::vector<std::string_view> sentence(words.begin(), words.end());
    sentence.push_back("Modelling");
    sentence.push_back("12");
    std::vector<uint8_t> tags;
    t.Tag(sentence, &tags);
    FUZZ_CHECK(tags.size() == sentence.size());
    for (uint8_t tag : tags) FUZZ_CHECK(tag < t.tag_names().size());
  } else if (kind == 2) {
    ekvr::Classifier c;
    if (!c.LoadImage(path, &error)) {
      FUZZ_CHECK(error.find(path) != std::string::npos);
      return 0;
    }
    std::vector<const ekvr::WordClassStats*> stats;
    for (const std::string& w : words) {
      stats.push_back(c.Find(w));
      if (stats.back() != nullptr && stats.back()->best_class >= 0) {
        FUZZ_CHECK(static_cast<size_t>(stats.back()->best_class) < c.class_count());
      }
    }
    const std::vector<double> posterior = c.Posterior(stats);
    FUZZ_CHECK(posterior.empty() || posterior.size() == c.class_count());
  } else if (kind == 1) {
    ekvr::KeyphraseTable t;
    if (!t.LoadImage(path, &error)) {
      FUZZ_CHECK(error.find(path) != std::string::npos);
      return 0;
    }
    for (const std::string& w : words) t.Get(w);
  } else {
    ekvr::IdfTable t;
    if (!t.LoadImage(path, &error)) {
      FUZZ_CHECK(error.find(path) != std::string::npos);
      return 0;
    }
    FUZZ_CHECK(t.median() >= 0.0f && t.median() < 1000.0f);
    for (const std::string& w : words) t.Get(w);
  }
  return 0;
}
