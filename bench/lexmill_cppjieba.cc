// cppjieba's maximum-probability segmenter (HMM off) on the same corpus, for
// comparison with Lexmill. Built by bench/lexmill_peers.sh against the
// headers that the npm package nodejieba carries.
//   lexmill_cppjieba DICT.txt CORPUS_UTF8.txt ROUNDS
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "cppjieba/MPSegment.hpp"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: lexmill_cppjieba DICT CORPUS ROUNDS\n");
    return 2;
  }
  const auto t0 = std::chrono::steady_clock::now();
  cppjieba::MPSegment segmenter(argv[1]);
  const auto t1 = std::chrono::steady_clock::now();
  std::vector<std::string> lines;
  std::ifstream in(argv[2], std::ios::binary);
  size_t bytes = 0;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) {
      bytes += line.size();
      lines.push_back(line);
    }
  }
  const int rounds = std::atoi(argv[3]);
  std::vector<std::string> words;
  size_t count = 0;
  const auto t2 = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r) {
    for (const std::string& line : lines) {
      segmenter.Cut(line, words);
      count += words.size();
    }
  }
  const auto t3 = std::chrono::steady_clock::now();
  const double load_ms = std::chrono::duration<double, std::milli>(t1 - t0).count();
  const double seconds = std::chrono::duration<double>(t3 - t2).count();
  std::printf("cppjieba load_ms=%.1f seconds_per_pass=%.4f utf8_mb_per_s=%.2f words=%zu\n", load_ms,
              seconds / rounds, bytes * rounds / seconds / 1e6, count / rounds);
  return 0;
}
