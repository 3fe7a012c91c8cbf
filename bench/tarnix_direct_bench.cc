// Tarnix_Direct end to end through the scripted engines: what the pipeline
// itself costs per article, without the engines' real work.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "scripted_engines.h"
#include "tarnix/tarnix.h"
#include "work_dir.h"

namespace {

// A random GBK word of 2 to 4 characters from the common-character block.
std::string GbkWord(std::mt19937& rng) {
  std::uniform_int_distribution<int> chars(2, 4), lead(0xB0, 0xD7), trail(0xA1, 0xFE);
  std::string word;
  for (int n = chars(rng); n > 0; --n) {
    word += static_cast<char>(lead(rng));
    word += static_cast<char>(trail(rng));
  }
  return word;
}

// Scripts an article with `full_text` full-text terms and `abstract`
// abstract terms, drawn from a vocabulary small enough that texts repeat
// and contain one another, as real terms do.
void ScriptArticle(int full_text, int abstract) {
  scripted::Reset();
  scripted::Recording() = false;
  std::mt19937 rng(20261208);
  const char* classes[] = {"TP391", "TP391.1", "TP311", "O212", ""};
  std::vector<std::string> vocabulary;
  for (int i = 0; i < std::max(full_text / 2, 10); ++i) vocabulary.push_back(GbkWord(rng));
  std::uniform_int_distribution<size_t> pick(0, vocabulary.size() - 1);
  std::uniform_int_distribution<int> position(0, 5), weight(1, 100), frequency(1, 6), cls(0, 4);
  for (int i = 0; i < full_text; ++i) {
    std::string word = vocabulary[pick(rng)];
    if (i % 7 == 0) word += vocabulary[pick(rng)];  // compounds of other terms
    if (word.size() > 100) word.resize(100);
    scripted::Extend().full_text.push_back(scripted::Term(
        word, static_cast<float>(weight(rng)), position(rng), classes[cls(rng)], "",
        frequency(rng)));
  }
  for (int i = 0; i < abstract; ++i) {
    scripted::Extend().abstract_terms.push_back(
        scripted::Term(vocabulary[pick(rng)], 100.0f, i % 2 ? 0 : 2, "", "", 1));
  }
  scripted::Extend().classes = {{"TP391", 0.6f}, {"TP311", 0.3f}, {"O212", 0.1f}};
  scripted::Lexmill().dictionaries["sys_general_dic"] = {};
  scripted::Lexmill().dictionaries["QOVA_SIM_CHN_DICT"] = {};
  Dict_Load_New("QOVA_SIM_CHN_DICT", "");
}

const char kTitle[] = "\xBB\xF9\xD3\xDA\xC9\xEE\xB6\xC8\xD1\xA7\xCF\xB0";

int Direct(std::vector<KeywordEntry>& buffer, int* size) {
  *size = static_cast<int>(buffer.size());
  return Tarnix_Direct(kTitle, "abstract", "keyword", "text", "journal", "TP391.1", buffer.data(),
                       size, 1, 0, 0);
}

void Run(benchmark::State& state, int full_text, int abstract) {
  ScriptArticle(full_text, abstract);
  std::vector<KeywordEntry> buffer(1000);
  for (auto _ : state) {
    int size = 0;
    if (Direct(buffer, &size) != TARNIX_OK) state.SkipWithError("Tarnix_Direct failed");
    benchmark::DoNotOptimize(size);
  }
}

// Prints the keyword list of both articles, so that a change made for speed
// can be checked to leave every text, code, frequency and weight as it was.
int DumpKeywords() {
  std::vector<KeywordEntry> buffer(1000);
  for (auto [full_text, abstract] : {std::pair{50, 10}, std::pair{10000, 50}}) {
    ScriptArticle(full_text, abstract);
    int size = 0;
    if (Direct(buffer, &size) != TARNIX_OK) return 1;
    std::printf("article %d/%d: %d keywords\n", full_text, abstract, size);
    for (int i = 0; i < size; ++i) {
      const KeywordEntry& k = buffer[static_cast<size_t>(i)];
      std::printf("%s\t%s\t%s\t%d\t%.17g\n", k.keyword_text, k.second_text, k.class_code,
                  k.frequency, k.weight);
    }
  }
  return 0;
}

void BM_DirectSmallArticle(benchmark::State& state) { Run(state, 50, 10); }
void BM_DirectLargeArticle(benchmark::State& state) { Run(state, 10000, 50); }
BENCHMARK(BM_DirectSmallArticle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DirectLargeArticle)->Unit(benchmark::kMillisecond);

}  // namespace

// The run log and the configuration live in the current directory: keep
// them out of the caller's. --dump_keywords prints the keyword lists
// instead of timing.
int main(int argc, char** argv) {
  const std::string dir = tarnix_testing::EnterFreshDir("tarnix-bench-");
  if (dir.empty()) return 1;
  int status = 0;
  if (argc == 2 && std::strcmp(argv[1], "--dump_keywords") == 0) {
    status = DumpKeywords();
  } else {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
  }
  std::filesystem::current_path("/");
  std::filesystem::remove_all(dir);
  return status;
}
