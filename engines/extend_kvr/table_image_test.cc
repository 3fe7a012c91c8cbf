#include "table_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "classifier.h"
#include "en_features.h"
#include "en_tagger.h"
#include "idf_table.h"
#include "data_path.h"
#include "table_file.h"
#include "term_model.h"

namespace ekvr {
namespace {

std::string Scratch(const std::string& name) { return ::testing::TempDir() + "table_image_test_" + name; }

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(path, &bytes)) << path;
  return bytes;
}

// good with the low `bytes` bytes of value written at offset at.
std::string WithValue(const std::string& good, uint64_t at, uint32_t value, size_t bytes = sizeof(uint32_t)) {
  std::string damaged = good;
  std::memcpy(&damaged[at], &value, bytes);
  return damaged;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The image of table as it reads text, written under name: its bytes in
// *bytes and its header in *h.
template <typename Table>
void WriteGoodImage(Table* table, const char* text, const std::string& name, std::string* bytes, ImageHeader* h) {
  std::string error;
  ASSERT_TRUE(table->Parse(text, &error)) << error;
  const std::string path = Scratch(name);
  ASSERT_TRUE(table->WriteImage(path, 1, &error)) << error;
  *bytes = ReadBytes(path);
  ASSERT_GE(bytes->size(), sizeof *h);
  std::memcpy(h, bytes->data(), sizeof *h);
}

// The build's default table `file` as its text gives it (the text in
// *source) and as its image does; *present is false in a build that
// compiled no image of it.
template <typename Table>
void LoadDefaultBothWays(const std::string& file, Table* from_text, Table* from_image, std::string* source,
                         bool* present) {
  const std::string text_path = std::string(EKVR_BUILD_DATA) + "/" + file;
  const std::string image_path = ImagePathFor(text_path);
  *present = IsRegularFile(image_path);
  if (!*present) return;
  EXPECT_TRUE(ImageIsCurrent(image_path, text_path)) << file;
  std::string error;
  ASSERT_TRUE(ReadWholeFile(text_path, source)) << file;
  ASSERT_TRUE(from_text->Parse(*source, &error)) << file << ": " << error;
  ASSERT_TRUE(from_image->LoadImage(image_path, &error)) << error;
}

// Words of every length class: empty-free short keys inline in the slot,
// exactly 12 bytes, and long ones in the pool (GBK and ASCII).
const char kSmallIdf[] =
    "the 0.1\nsupport vector 6.5\nkernel\t4.25\nzeta 9\n"
    "abcdefghijkl 3\nabcdefghijklm 3.5\n"
    "\xD0\xA1\xB2\xA8\xB1\xE4\xBB\xBB\xCE\xDE\xCF\xDF\xB5\xE7 7.75\n"
    "a-rather-long-english-compound-key 2.5\n";

const std::vector<std::string> kAbsent = {"", "th", "kernels", "abcdefghijkm", "abcdefghijklmn",
                                          "support", "a-rather-long-english-compound-kez"};

// Every word of an idf text, as the parser cuts the lines.
std::vector<std::string> WordsOf(const std::string& text) {
  std::vector<std::string> words;
  for (std::string_view line : SplitView(text, '\n')) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const size_t sep = line.find_last_of(" \t");
    if (sep != std::string_view::npos) words.emplace_back(line.substr(0, sep));
  }
  return words;
}

void ExpectSameIdf(const IdfTable& text, const IdfTable& image, const std::vector<std::string>& words) {
  EXPECT_EQ(image.size(), text.size());
  EXPECT_EQ(image.median(), text.median());
  size_t differ = 0;
  for (const std::string& w : words) {
    bool a = false, b = false;
    if (text.Get(w, &a) != image.Get(w, &b) || a != b || !b) ++differ;
  }
  for (const std::string& w : kAbsent) {
    if (text.Has(w) != image.Has(w) || text.Get(w) != image.Get(w)) ++differ;
  }
  EXPECT_EQ(differ, 0u);
}

TEST(TableImage, SmallIdfTableAsksTheSameMapped) {
  IdfTable text, image;
  std::string error;
  ASSERT_TRUE(text.Parse(kSmallIdf, &error)) << error;
  const std::string path = Scratch("small_idf.ekt");
  ASSERT_TRUE(text.WriteImage(path, sizeof kSmallIdf - 1, &error)) << error;
  ASSERT_TRUE(image.LoadImage(path, &error)) << error;
  ExpectSameIdf(text, image, WordsOf(kSmallIdf));
  EXPECT_FLOAT_EQ(image.Get("abcdefghijklm"), 3.5f);
  EXPECT_FLOAT_EQ(image.Get("a-rather-long-english-compound-key"), 2.5f);
  // An image of the image is the same file.
  const std::string again = Scratch("small_idf_again.ekt");
  ASSERT_TRUE(image.WriteImage(again, sizeof kSmallIdf - 1, &error)) << error;
  EXPECT_EQ(ReadBytes(again), ReadBytes(path));
  // Parsing text afterwards leaves the image behind.
  ASSERT_TRUE(image.Parse("only 1\n", &error)) << error;
  EXPECT_EQ(image.size(), 1u);
  EXPECT_FALSE(image.Has("the"));
}

TEST(TableImage, KeyphraseTableAsksTheSameMapped) {
  const char text_table[] = "support vector machine\t12\t40\nkernel\t3\t90\nthe-longest-key-of-them-all\t1\t2\n";
  KeyphraseTable text, image;
  std::string error;
  ASSERT_TRUE(text.Parse(text_table, &error)) << error;
  const std::string path = Scratch("keyphrases.ekt");
  ASSERT_TRUE(text.WriteImage(path, sizeof text_table - 1, &error)) << error;
  ASSERT_TRUE(image.LoadImage(path, &error)) << error;
  EXPECT_EQ(image.size(), 3u);
  for (const char* key : {"support vector machine", "kernel", "the-longest-key-of-them-all", "kern", "svm"}) {
    EXPECT_EQ(image.Get(key).kp, text.Get(key).kp) << key;
    EXPECT_EQ(image.Get(key).df, text.Get(key).df) << key;
  }
  EXPECT_EQ(image.Get("support vector machine").df, 40);
  // An image of another kind is refused, both ways.
  IdfTable idf;
  EXPECT_FALSE(idf.LoadImage(path, &error));
  EXPECT_NE(error.find("another kind"), std::string::npos) << error;
}

// The build's own images against its text tables, word for word.
TEST(TableImage, DefaultTablesAskTheSameMapped) {
  size_t compared = 0;
  for (const char* name : {"zh_idf.txt", "en_idf.txt", "en_bigram_df.txt"}) {
    std::string text;
    bool present = false;
    IdfTable from_text, mapped;
    ASSERT_NO_FATAL_FAILURE(LoadDefaultBothWays(name, &from_text, &mapped, &text, &present));
    if (!present) continue;  // a build without images
    ExpectSameIdf(from_text, mapped, WordsOf(text));
    ++compared;
  }
  std::string text;
  bool present = false;
  KeyphraseTable from_text, mapped;
  ASSERT_NO_FATAL_FAILURE(LoadDefaultBothWays("en_keyphrases.txt", &from_text, &mapped, &text, &present));
  if (present) {
    EXPECT_EQ(mapped.size(), from_text.size());
    size_t differ = 0;
    for (std::string_view line : SplitView(text, '\n')) {
      const std::string key(line.substr(0, line.find('\t')));
      if (mapped.Get(key).kp != from_text.Get(key).kp || mapped.Get(key).df != from_text.Get(key).df) ++differ;
    }
    EXPECT_EQ(differ, 0u);
    ++compared;
  }
  if (compared == 0) GTEST_SKIP() << "the build has no compiled tables";
}

const char kSmallModel[] =
    "alpha 0.1\nclass 08.12 10 cs\nclass 09.01 10 agri\n"
    "kernel\t0:8\nmethod\t0:5 1:5\nsoil\t1:7\nsupport vector machine\t0:4 1:1\nkernel\t1:9\n";

void ExpectSameClassifier(const Classifier& text, const Classifier& image, const std::vector<std::string>& words) {
  ASSERT_EQ(image.class_count(), text.class_count());
  for (size_t c = 0; c < text.class_count(); ++c) EXPECT_EQ(image.class_code(c), text.class_code(c));
  size_t differ = 0;
  std::vector<const WordClassStats*> a, b;
  for (const std::string& w : words) {
    const WordClassStats* x = text.Find(w);
    const WordClassStats* y = image.Find(w);
    a.push_back(x);
    b.push_back(y);
    if ((x == nullptr) != (y == nullptr) ||
        (x != nullptr && (x->best_class != y->best_class || x->chi2 != y->chi2 || x->count != y->count))) {
      ++differ;
    }
  }
  EXPECT_EQ(differ, 0u);
  EXPECT_EQ(image.Posterior(b), text.Posterior(a));  // exactly: the same sums in the same order
}

TEST(TableImage, ClassifierAsksTheSameMapped) {
  Classifier text, image;
  std::string error;
  ASSERT_TRUE(text.Parse(kSmallModel, &error)) << error;
  const std::string path = Scratch("classifier.ekt");
  ASSERT_TRUE(text.WriteImage(path, 1, &error)) << error;
  ASSERT_TRUE(image.LoadImage(path, &error)) << error;
  ExpectSameClassifier(text, image, {"kernel", "method", "soil", "support vector machine", "absent", ""});
  EXPECT_EQ(image.Find("kernel")->best_class, 0);  // the first line of a word still holds

  std::string source;
  bool present = false;
  Classifier full_text, full_image;
  ASSERT_NO_FATAL_FAILURE(LoadDefaultBothWays("classifier.model", &full_text, &full_image, &source, &present));
  if (!present) GTEST_SKIP() << "the build has no compiled classifier";
  std::vector<std::string> words;
  for (std::string_view line : SplitView(source, '\n')) {
    const size_t tab = line.find('\t');
    if (tab != std::string_view::npos) words.emplace_back(line.substr(0, tab));
  }
  words.emplace_back("no such word here");
  ExpectSameClassifier(full_text, full_image, words);
}

// The classifier's own sections are checked whole at load: an entry the
// look-ups could hand out never points outside them.
TEST(TableImage, RefusesADamagedClassifier) {
  Classifier text;
  std::string good, error;
  ImageHeader h;
  ASSERT_NO_FATAL_FAILURE(WriteGoodImage(&text, kSmallModel, "classifier_good.ekt", &good, &h));
  const uint64_t stats = h.sections[kStatsSection].offset, evidence = h.sections[kEvidenceSection].offset;
  auto with = [&good](uint64_t at, uint32_t value) { return WithValue(good, at, value); };
  const struct {
    const char* what;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"evidence past its end", with(stats + 4, 1000), "outside the evidence"},
      {"first past the end", with(stats, 0xFFFFFFFFu), "outside the evidence"},
      {"best class", with(stats + 8, 2), "name no class"},
      {"evidence class", with(evidence, 7), "evidence names no class"},
      {"class count", with(offsetof(ImageHeader, classes), 3), "class count"},
      {"codes", with(h.sections[kCodesSection].offset + 2, 0x41414141u), "class codes"},
  };
  for (const auto& c : cases) {
    const std::string path = Scratch("classifier_damaged.ekt");
    WriteBytes(path, c.bytes);
    Classifier t;
    error.clear();
    EXPECT_FALSE(t.LoadImage(path, &error)) << c.what;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
  }
  // An idf image is not a classifier.
  IdfTable idf;
  ASSERT_TRUE(idf.Parse(kSmallIdf, &error));
  ASSERT_TRUE(idf.WriteImage(Scratch("not_classifier.ekt"), 1, &error));
  Classifier t;
  EXPECT_FALSE(t.LoadImage(Scratch("not_classifier.ekt"), &error));
}

const char kTinyTagger[] =
    "en-tagger 1\ntags 4 det nn vbz nnp\ncounts 100 100 100 100\nstart -0.5 -1.5 -3 -2\n"
    "from det -5 -0.1 -5 -2\nfrom nn -3 -1.5 -0.4 -2\nfrom vbz -0.7 -1.2 -4 -2\nfrom nnp -2 -1 -1 -1\n"
    "words 4\nthe\t0:-1\nmodel\t1:-3 2:-5\nruns\t1:-4.5 2:-4\n*NUM*\t1:-2\n"
    "suffixes 3\nl\t1:0.5\nling\t2:1\na\t3:1\nend\n";

// Tags the tokens in sentences of eight, as the engine does, with both.
size_t TagsDiffer(const EnglishTagger& a, const EnglishTagger& b, const std::vector<std::string>& tokens) {
  size_t differ = 0;
  std::vector<uint8_t> ta, tb;
  for (size_t at = 0; at < tokens.size(); at += 8) {
    std::vector<std::string_view> sentence(tokens.begin() + static_cast<std::ptrdiff_t>(at),
                                           tokens.begin() + static_cast<std::ptrdiff_t>(std::min(at + 8, tokens.size())));
    a.Tag(sentence, &ta);
    b.Tag(sentence, &tb);
    if (ta != tb) ++differ;
  }
  return differ;
}

TEST(TableImage, TaggerTagsTheSameMapped) {
  EnglishTagger text, image;
  std::string error;
  ASSERT_TRUE(text.Parse(kTinyTagger, &error)) << error;
  const std::string path = Scratch("tagger.ekt");
  ASSERT_TRUE(text.WriteImage(path, 1, &error)) << error;
  ASSERT_TRUE(image.LoadImage(path, &error)) << error;
  EXPECT_EQ(image.tag_names(), text.tag_names());
  EXPECT_EQ(TagsDiffer(text, image, {"The", "model", "runs", "the", "MODEL", "Modelling", "12", "Xa", "runs",
                                     "model", "the", "Sling", "l", "", "RUNS", "the"}),
            0u);
  std::vector<uint8_t> tags;
  image.Tag({"the", "model", "runs"}, &tags);
  EXPECT_EQ(tags, (std::vector<uint8_t>{0, 1, 2}));

  std::string source;
  bool present = false;
  EnglishTagger full_text, full_image;
  ASSERT_NO_FATAL_FAILURE(LoadDefaultBothWays(kEnglishTaggerFile, &full_text, &full_image, &source, &present));
  if (!present) GTEST_SKIP() << "the build has no compiled tagger";
  // Every listed word as written, capitalised and with a made-up ending
  // (the suffix table), and numbers.
  std::vector<std::string> tokens;
  for (std::string_view line : SplitView(source, '\n')) {
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos || tab == 0 || tokens.size() > 60000) continue;
    std::string w(line.substr(0, tab));
    tokens.push_back(w);
    if (w[0] >= 'a' && w[0] <= 'z') {
      tokens.push_back(std::string(1, static_cast<char>(w[0] - 32)) + w.substr(1) + "ql");
    }
  }
  tokens.insert(tokens.end(), {"1999", "2nd", "3.5", "SVM", "e-mail", "(", ")", ","});
  EXPECT_EQ(TagsDiffer(full_text, full_image, tokens), 0u);
}

TEST(TableImage, RefusesADamagedTagger) {
  EnglishTagger text;
  std::string good, error;
  ImageHeader h;
  ASSERT_NO_FATAL_FAILURE(WriteGoodImage(&text, kTinyTagger, "tagger_good.ekt", &good, &h));
  const uint64_t meta = h.sections[kTaggerMetaSection].offset;
  auto with = [&good](uint64_t at, uint32_t value, size_t bytes) { return WithValue(good, at, value, bytes); };
  const struct {
    const char* what;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"option tag", with(h.sections[kOptionsSection].offset, 9, 1), "names no tag"},
      {"suffix length", with(meta + offsetof(TaggerImageMeta, max_suffix), 99, 4), "suffix length"},
      {"number options", with(meta + offsetof(TaggerImageMeta, number_first), 1000, 4), "number options"},
      {"tag count", with(offsetof(ImageHeader, classes), 5, 4), "tag count"},
      {"suffix slots", with(meta + offsetof(TaggerImageMeta, suffix_slot_count), 32, 4), "do not match"},
  };
  for (const auto& c : cases) {
    const std::string path = Scratch("tagger_damaged.ekt");
    WriteBytes(path, c.bytes);
    EnglishTagger t;
    ASSERT_TRUE(t.Parse(kTinyTagger, &error));
    error.clear();
    EXPECT_FALSE(t.LoadImage(path, &error)) << c.what;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    EXPECT_EQ(t.tag_names().size(), 4u) << c.what;  // left as it was
  }
}

// A small boosted model over five features: shared thresholds, a leaf
// above the full depth, and a deeper tree.
const char kTinyTrees[] =
    "features 5\nlambda 1.5\nbaseline -0.25\n"
    "tree\nsplit 0 0.5 1 4\nsplit 1 -0.25 2 3\nleaf 1.5\nleaf -2\nleaf 0.75\n"
    "tree\nsplit 2 0.1 1 2\nleaf 0.125\nsplit 3 3 3 4\nsplit 4 1e-3 5 6\nleaf 9\nleaf -1\nleaf 4\n";

// Random rows of features, thresholds and values on them included.
std::vector<float> Rows(int features, size_t rows, unsigned seed) {
  std::mt19937 rng(seed);
  const float kOn[] = {0.5f, -0.25f, 0.1f, 3.0f, 1e-3f, 0.0f};
  std::vector<float> f(static_cast<size_t>(features) * rows);
  for (float& v : f) v = rng() % 3 == 0 ? kOn[rng() % 6] : static_cast<float>(rng() % 4001) / 1000.0f - 2.0f;
  return f;
}

// The model from its image scores every row as the model from its text,
// to the bit, one at a time and in blocks.
void ExpectSameScores(const TermModel& text, const TermModel& image, int features) {
  EXPECT_EQ(image.lambda(), text.lambda());
  for (size_t rows : {1u, 7u, 64u, 150u}) {
    const std::vector<float> f = Rows(features, rows, static_cast<unsigned>(rows));
    std::vector<double> a(rows), b(rows);
    text.LogitMany(f.data(), rows, features, a.data());
    image.LogitMany(f.data(), rows, features, b.data());
    for (size_t r = 0; r < rows; ++r) {
      ASSERT_EQ(std::memcmp(&a[r], &b[r], sizeof a[r]), 0) << rows << " rows, row " << r;
      const double one = image.Logit(&f[r * features]);
      ASSERT_EQ(std::memcmp(&a[r], &one, sizeof one), 0) << r;
    }
  }
}

// Trees deeper than the complete layout takes: a chain of eight splits,
// each with a leaf on its left.
std::string DeepTrees() {
  std::string model = "features 5\nlambda 1\nbaseline 0.5\ntree\n";
  for (int k = 0; k < 8; ++k) {
    model += "split " + std::to_string(k % 5) + " " + std::to_string(0.25 * k - 1) + " " +
             std::to_string(2 * k + 1) + " " + std::to_string(2 * k + 2) + "\nleaf " + std::to_string(k + 1) + "\n";
  }
  return model + "leaf -3\ntree\nleaf 0.125\n";
}

TEST(TableImage, TermModelsScoreTheSameMapped) {
  const std::string linear = "features 5\nlambda 2\nweights 0.5 -1 0 3.25 -0.125\n";
  const std::string stumps = "features 5\nlambda 1\nbaseline 1\ntree\nleaf 2\ntree\nleaf -0.5\n";
  for (const std::string& model : {std::string(kTinyTrees), linear, DeepTrees(), stumps}) {
    TermModel text(5), image(5);
    std::string error;
    ASSERT_TRUE(text.Parse(model, &error)) << error;
    const std::string path = Scratch("terms.ekt");
    ASSERT_TRUE(text.WriteImage(path, model.size(), &error)) << error;
    ASSERT_TRUE(image.LoadImage(path, &error)) << error;
    ExpectSameScores(text, image, 5);
    // Shallow trees from an image keep only the layout they are scored in,
    // and say so when asked to be written; the others write what they read.
    error.clear();
    const bool written = image.WriteImage(Scratch("terms_again.ekt"), model.size(), &error);
    if (model == kTinyTrees) {
      EXPECT_FALSE(written);
      EXPECT_NE(error.find("copying the image"), std::string::npos) << error;
    } else {
      ASSERT_TRUE(written) << error;
      EXPECT_EQ(ReadBytes(Scratch("terms_again.ekt")), ReadBytes(path)) << model;
    }
  }
  // The default models, where the build compiled them.
  size_t compared = 0;
  for (const auto& [name, features] : {std::pair<const char*, int>{kTermModelFile, kTermFeatures},
                                       std::pair<const char*, int>{kEnglishModelFile, kEnglishFeatures}}) {
    std::string source;
    bool present = false;
    TermModel text(features), image(features);
    ASSERT_NO_FATAL_FAILURE(LoadDefaultBothWays(name, &text, &image, &source, &present));
    if (!present) continue;
    ExpectSameScores(text, image, features);
    ++compared;
  }
  if (compared == 0) GTEST_SKIP() << "a build without images";
}

// Whatever the text's lines could not say, the image cannot either: each
// damage is refused with a message naming the file; any other byte
// damaged leaves a model that scores without reading outside its tables.
TEST(TableImage, RefusesADamagedTermModel) {
  TermModel text(5);
  std::string good, error;
  ImageHeader h;
  ASSERT_NO_FATAL_FAILURE(WriteGoodImage(&text, kTinyTrees, "terms_good.ekt", &good, &h));
  const uint64_t meta = h.sections[kTermMetaSection].offset, nodes = h.sections[kTermNodesSection].offset;
  const uint64_t roots = h.sections[kTermRootsSection].offset;
  const size_t node = sizeof(TreeEnsemble::WrittenNode);
  auto with = [&good](uint64_t at, uint32_t value, size_t bytes = 4) { return WithValue(good, at, value, bytes); };
  std::string nan_leaf = good;
  const double nan = std::nan("");
  std::memcpy(&nan_leaf[nodes + 2 * node + offsetof(TreeEnsemble::WrittenNode, value)], &nan, sizeof nan);
  std::string no_lambda = good;
  const double zero = 0.0;
  std::memcpy(&no_lambda[meta + offsetof(TermModelImageMeta, lambda)], &zero, sizeof zero);
  const struct {
    const char* what;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"feature count", with(meta + offsetof(TermModelImageMeta, features), 6), "features"},
      {"lambda", no_lambda, "lambda"},
      {"no baseline", with(meta + offsetof(TermModelImageMeta, has_baseline), 0), "trees"},
      {"feature", with(nodes + offsetof(TreeEnsemble::WrittenNode, feature), 5), "malformed"},
      {"child before its parent", with(nodes + node + offsetof(TreeEnsemble::WrittenNode, left), 0), "malformed"},
      {"child in the next tree", with(nodes + offsetof(TreeEnsemble::WrittenNode, right), 6), "trees"},
      {"a child given twice", with(nodes + offsetof(TreeEnsemble::WrittenNode, right), 1), "two splits"},
      {"a child of two splits", with(nodes + node + offsetof(TreeEnsemble::WrittenNode, right), 4), "two splits"},
      {"leaf value", nan_leaf, "malformed"},
      {"first root", with(roots, 1), "malformed"},
      {"second root", with(roots + 4, 99), "malformed"},
      {"kind", with(offsetof(ImageHeader, kind), static_cast<uint32_t>(ImageKind::kTagger)), "another kind"},
  };
  for (const auto& c : cases) {
    const std::string path = Scratch("terms_damaged.ekt");
    WriteBytes(path, c.bytes);
    TermModel t(5);
    error.clear();
    EXPECT_FALSE(t.LoadImage(path, &error)) << c.what;
    EXPECT_NE(error.find(path), std::string::npos) << c.what << ": " << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
  }
  const std::vector<float> f = Rows(5, 70, 3);
  std::vector<double> out(70);
  for (size_t at = sizeof(ImageHeader); at < good.size(); ++at) {
    for (const unsigned char flip : {0x01, 0x80, 0xFF}) {
      std::string bytes = good;
      bytes[at] = static_cast<char>(bytes[at] ^ flip);
      const std::string path = Scratch("terms_flipped.ekt");
      WriteBytes(path, bytes);
      TermModel t(5);
      if (t.LoadImage(path, &error)) t.LogitMany(f.data(), 70, 5, out.data());
    }
  }
}

// A damaged header or section table is refused at load with a message
// naming the file; the table keeps what it had.
TEST(TableImage, RefusesDamagedImages) {
  IdfTable text;
  std::string good, error;
  ImageHeader h;
  ASSERT_NO_FATAL_FAILURE(WriteGoodImage(&text, kSmallIdf, "good.ekt", &good, &h));

  auto patched = [&](auto&& patch) {
    ImageHeader copy = h;
    patch(copy);
    std::string bytes = good;
    std::memcpy(&bytes[0], &copy, sizeof copy);
    return bytes;
  };
  const struct {
    const char* what;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"empty", "", "truncated"},
      {"half a header", good.substr(0, sizeof h / 2), "truncated"},
      {"header only", good.substr(0, sizeof h), "truncated"},
      {"cut short", good.substr(0, good.size() - 1), "truncated"},
      {"extended", good + "x", "truncated or extended"},
      {"magic", patched([](ImageHeader& c) { c.magic[0] = 'X'; }), "not a compiled table"},
      {"version", patched([](ImageHeader& c) { c.version = kImageVersion + 1; }), "format version"},
      {"byte order", patched([](ImageHeader& c) { c.byte_order = 0x04030201u; }), "byte order"},
      {"slot size", patched([](ImageHeader& c) { c.slot_bytes = 32; }), "slots of 32 bytes"},
      {"slots past the end", patched([](ImageHeader& c) { c.sections[kSlotsSection].offset = c.file_size - 64; }), "outside"},
      {"offset huge", patched([](ImageHeader& c) { c.sections[kPoolSection].offset = ~uint64_t{0} - 63; }), "outside"},
      {"misaligned", patched([](ImageHeader& c) { c.sections[kFilterSection].offset += 8; }), "misaligned"},
      {"over the header", patched([](ImageHeader& c) { c.sections[kSlotsSection].offset = 0; }), "outside"},
      {"slot count", patched([](ImageHeader& c) { c.slot_count /= 2; }), "do not match"},
      {"filter count", patched([](ImageHeader& c) { c.filter_words += 1; }), "do not match"},
      {"slots not a power of two",
       patched([](ImageHeader& c) {
         c.slot_count = 8;
         c.sections[kSlotsSection].size = 8 * c.slot_bytes;
       }),
       "power of two"},
      {"more words than slots", patched([](ImageHeader& c) { c.count = c.slot_count + 1; }), "does not fit"},
      {"median", patched([](ImageHeader& c) { c.scalar = -1.0f; }), "median"},
  };
  for (const auto& c : cases) {
    const std::string path = Scratch("damaged.ekt");
    WriteBytes(path, c.bytes);
    IdfTable t;
    ASSERT_TRUE(t.Parse("kept 2\n", &error));
    error.clear();
    EXPECT_FALSE(t.LoadImage(path, &error)) << c.what;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    EXPECT_NE(error.find(path), std::string::npos) << c.what << ": " << error;
    EXPECT_FLOAT_EQ(t.Get("kept"), 2.0f) << c.what;
  }
  EXPECT_FALSE(text.LoadImage(Scratch("no_such_file.ekt"), &error));
}

// Slots whose contents are damaged pass the load (it does not read them)
// and must still never lead a look-up out of the file: long words pointing
// past the pool, and no free slot to end a probe.
TEST(TableImage, DamagedSlotsNeverLeadOutOfTheFile) {
  IdfTable text;
  std::string error;
  ASSERT_TRUE(text.Parse(kSmallIdf, &error)) << error;
  const std::string path = Scratch("slots.ekt");
  ASSERT_TRUE(text.WriteImage(path, 1, &error)) << error;
  std::string bytes = ReadBytes(path);
  ImageHeader h;
  std::memcpy(&h, bytes.data(), sizeof h);
  // No filter, so every look-up reaches the slots.
  h.filter_words = 0;
  h.sections[kFilterSection].size = 0;
  std::memcpy(&bytes[0], &h, sizeof h);
  for (uint64_t i = 0; i < h.slot_count; ++i) {
    char* slot = &bytes[h.sections[kSlotsSection].offset + i * h.slot_bytes];
    const uint32_t length = 34, offset = 0xFFFFFFF0u;  // "a-rather-long-english-compound-key"
    std::memcpy(slot + 4, &length, 4);
    std::memcpy(slot + 8, &offset, 4);
  }
  WriteBytes(path, bytes);
  IdfTable damaged;
  ASSERT_TRUE(damaged.LoadImage(path, &error)) << error;
  for (const std::string& w : WordsOf(kSmallIdf)) EXPECT_FALSE(damaged.Has(w)) << w;
  for (const std::string& w : kAbsent) EXPECT_FALSE(damaged.Has(w)) << w;
}

// The engine's loader takes the image while it stands for the text beside
// it, and the text once the text is newer (a table a user replaced).
TEST(TableImage, LoaderPrefersACurrentImageElseTheText) {
  const std::string text_path = Scratch("chosen.txt");
  const std::string image_path = ImagePathFor(text_path);
  EXPECT_EQ(image_path, Scratch("chosen.ekt"));
  EXPECT_EQ(ImagePathFor("dir.v2/table"), "dir.v2/table.ekt");
  WriteBytes(text_path, "word 1\n");
  std::filesystem::remove(image_path);
  IdfTable t;
  std::string error;
  ASSERT_TRUE(LoadTableOrImage(text_path, &t, &error)) << error;
  EXPECT_FLOAT_EQ(t.Get("word"), 1.0f);

  IdfTable other;
  ASSERT_TRUE(other.Parse("word 5\n", &error));
  ASSERT_TRUE(other.WriteImage(image_path, 7, &error)) << error;
  namespace fs = std::filesystem;
  const auto now = fs::last_write_time(image_path);
  fs::last_write_time(text_path, now - std::chrono::hours(1));
  ASSERT_TRUE(LoadTableOrImage(text_path, &t, &error)) << error;
  EXPECT_FLOAT_EQ(t.Get("word"), 5.0f);  // the image

  fs::last_write_time(text_path, now + std::chrono::hours(1));
  ASSERT_TRUE(LoadTableOrImage(text_path, &t, &error)) << error;
  EXPECT_FLOAT_EQ(t.Get("word"), 1.0f);  // the newer text

  // A damaged current image fails the load: no silent fall-back.
  fs::last_write_time(text_path, now - std::chrono::hours(1));
  WriteBytes(image_path, "EKVRTBL");
  fs::last_write_time(image_path, now);
  EXPECT_FALSE(LoadTableOrImage(text_path, &t, &error));
  EXPECT_NE(error.find("truncated"), std::string::npos) << error;
}

}  // namespace
}  // namespace ekvr
