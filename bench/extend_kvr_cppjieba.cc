// The peer of extend_kvr_direct_bench: cppjieba's TF-IDF keyword extractor
// on the same article (UTF-8), built by bench/extend_kvr_peers.sh against
// the headers and dictionaries that the npm package nodejieba carries.
//   extend_kvr_cppjieba DICT_DIR ARTICLE.utf8 [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cppjieba/KeywordExtractor.hpp"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: extend_kvr_cppjieba DICT_DIR ARTICLE.utf8 [ROUNDS]\n");
    return 2;
  }
  const std::string dir = argv[1];
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 200;
  std::ifstream in(argv[2], std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string text = ss.str();
  cppjieba::KeywordExtractor extractor(dir + "/jieba.dict.utf8", dir + "/hmm_model.utf8",
                                       dir + "/idf.utf8", dir + "/stop_words.utf8");
  std::vector<std::pair<std::string, double>> keywords;
  std::vector<double> ms;
  for (int i = 0; i < rounds + 5; ++i) {
    keywords.clear();
    const auto t0 = std::chrono::steady_clock::now();
    extractor.Extract(text, keywords, 20);
    const double t = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    if (i >= 5) ms.push_back(t);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("%-34s median %.3f ms  p10 %.3f  p90 %.3f  (%zu calls)\n", "cppjieba KeywordExtractor (top 20)",
              ms[ms.size() / 2], ms[ms.size() / 10], ms[ms.size() * 9 / 10], ms.size());
  std::printf("keywords:");
  for (size_t i = 0; i < std::min<size_t>(keywords.size(), 10); ++i) std::printf(" %s", keywords[i].first.c_str());
  std::printf("\n");
  return 0;
}
