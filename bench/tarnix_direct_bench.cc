// Tarnix_Direct end to end through the scripted engines: what the pipeline
// itself costs per article, without the engines' real work.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "scripted_engines.h"
#include "tarnix.h"

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

void Run(benchmark::State& state, int full_text, int abstract) {
  ScriptArticle(full_text, abstract);
  std::vector<KeywordEntry> buffer(1000);
  const std::string title = "\xBB\xF9\xD3\xDA\xC9\xEE\xB6\xC8\xD1\xA7\xCF\xB0";
  for (auto _ : state) {
    int size = static_cast<int>(buffer.size());
    int r = Tarnix_Direct(title.c_str(), "abstract", "keyword", "text", "journal", "TP391.1",
                          buffer.data(), &size, 1, 0, 0);
    if (r != TARNIX_OK) state.SkipWithError("Tarnix_Direct failed");
    benchmark::DoNotOptimize(size);
  }
}

void BM_DirectSmallArticle(benchmark::State& state) { Run(state, 50, 10); }
void BM_DirectLargeArticle(benchmark::State& state) { Run(state, 10000, 50); }
BENCHMARK(BM_DirectSmallArticle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DirectLargeArticle)->Unit(benchmark::kMillisecond);

}  // namespace

// The run log and the configuration live in the current directory: keep
// them out of the caller's.
int main(int argc, char** argv) {
  std::string dir = (std::filesystem::temp_directory_path() / "tarnix-bench-XXXXXX").string();
  if (!mkdtemp(dir.data())) return 1;
  std::filesystem::current_path(dir);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::current_path("/");
  std::filesystem::remove_all(dir);
  return 0;
}
