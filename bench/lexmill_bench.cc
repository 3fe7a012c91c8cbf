// Lexmill speed: dictionary load, look-ups and segmentation throughput.
//
// The corpus is a GBK text file, one article a line, named by the
// environment variable LEXMILL_BENCH_CORPUS (bench/lexmill_peers.sh makes it
// from the Chinese articles); without it a built-in paragraph is used. The
// dictionaries come from the data folder as the library finds it
// (LEXMILL_DATA or the build tree).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "lexmill.h"

namespace {

constexpr const char* kDict = "QOVA_CLA_CHN_DICT";

// A GBK paragraph of a scientific abstract (mixed Chinese, English, digits).
const char kFallback[] =
    "\xB2\xC9\xD3\xC3\xD0\xDE\xD5\xFD\xB5\xC4Rodrigues\xB2\xCE\xCA\xFD(MRP),\xBD\xA8\xC1\xA2\xC1"
    "\xCB\xB7\xC9\xD0\xD0\xC6\xF7\xD7\xCB\xCC\xAC\xBF\xD8\xD6\xC6\xCF\xB5\xCD\xB3\xB5\xC4\xCA\xFD"
    "\xD1\xA7\xC4\xA3\xD0\xCD\xA3\xBB\xBB\xF9\xD3\xDASVM\xB5\xC4" "3D\xB4\xF2\xD3\xA1\xD6\xCA\xC1"
    "\xBF\xBC\xEC\xB2\xE2\xB7\xBD\xB7\xA8\xD1\xD0\xBE\xBF\xA1\xA3";

const std::vector<std::string>& Corpus() {
  static const std::vector<std::string> lines = [] {
    std::vector<std::string> out;
    if (const char* path = std::getenv("LEXMILL_BENCH_CORPUS")) {
      std::ifstream in(path, std::ios::binary);
      for (std::string line; std::getline(in, line);) {
        if (!line.empty()) out.push_back(line);
      }
    }
    if (out.empty()) out.assign(200, kFallback);
    return out;
  }();
  return lines;
}

int Handle() {
  const int h = Dict_Load_New(kDict, "");
  if (h < 0) std::abort();
  return h;
}

void BM_LoadDictionary(benchmark::State& state) {
  Free_All_Space();
  for (auto _ : state) {
    const int h = Dict_Load_New(kDict, "");
    if (h < 0) {
      state.SkipWithError("dictionary not found");
      break;
    }
    state.PauseTiming();
    Free_All_Space();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LoadDictionary)->Unit(benchmark::kMillisecond)->Iterations(20);

// Looks up every segment of the corpus: words found and words missed in the
// proportion that real text has.
void BM_Lookup(benchmark::State& state) {
  const int h = Handle();
  std::vector<std::string> words;
  for (const std::string& line : Corpus()) {
    std::vector<int> ends(line.size() + 1, 0);
    QX_Word_Sect(line.c_str(), ends.data(), static_cast<int>(line.size()), h, 0, nullptr, 0, 0, 0,
                 0);
    for (size_t k = 0, begin = 0; k < ends.size() && ends[k] != 0; begin = ends[k++]) {
      words.push_back(line.substr(begin, ends[k] - begin));
    }
  }
  char info[64];
  size_t found = 0;
  for (const std::string& w : words) found += Dict_Search_Get_Info(w.c_str(), h, info, 64) == 1;
  for (auto _ : state) {
    int hits = 0;
    for (const std::string& w : words) hits += Dict_Search_Get_Info(w.c_str(), h, info, 64) == 1;
    benchmark::DoNotOptimize(hits);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
  state.counters["found_share"] = static_cast<double>(found) / static_cast<double>(words.size());
}
BENCHMARK(BM_Lookup)->Unit(benchmark::kMillisecond);

void BM_Segment(benchmark::State& state) {
  const int h = Handle();
  int64_t bytes = 0;
  std::vector<int> ends;
  for (auto _ : state) {
    for (const std::string& line : Corpus()) {
      ends.assign(line.size() + 1, 0);
      QX_Word_Sect(line.c_str(), ends.data(), static_cast<int>(line.size()), h, 0, nullptr, 0, 0,
                   0, 0);
      bytes += static_cast<int64_t>(line.size());
    }
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_Segment)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
