// Tarnix_Direct over many short articles (title and abstract), the size
// most corpora hold: articles per second, and the per-call median on the
// first article. Built by bench/short_abstracts.sh against any build's
// libTarnix through the public header alone, so that the build before a
// change and the one after run the same program in one session.
//   short_abstract_bench ARTICLES.gbk [PASSES]
// ARTICLES.gbk: one article a line, title TAB abstract.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tarnix/tarnix.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Article {
  std::string title, abstract;
};

double Since(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: short_abstract_bench ARTICLES.gbk [PASSES]\n");
    return 2;
  }
  const int passes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<Article> articles;
  for (std::string line; std::getline(in, line);) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    articles.push_back({line.substr(0, tab), line.substr(tab + 1)});
  }
  if (articles.empty()) {
    std::fprintf(stderr, "%s: no article\n", argv[1]);
    return 2;
  }
  const auto t0 = Clock::now();
  if (Tarnix_Initial(1, 1) != 0) {
    std::fprintf(stderr, "Tarnix_Initial failed\n");
    return 1;
  }
  const double start_ms = Since(t0);
  std::vector<KeywordEntry> list(TARNIX_MIN_BUFFER);
  long found = 0;
  auto direct = [&](const Article& a) {
    int n = static_cast<int>(list.size());
    if (Tarnix_Direct(a.title.c_str(), a.abstract.c_str(), "", "", "", "", list.data(), &n, 1, 1, 0) != 0) {
      std::fprintf(stderr, "Tarnix_Direct failed on %s\n", a.title.c_str());
      std::exit(1);
    }
    found += n;
  };
  for (size_t i = 0; i < std::min<size_t>(articles.size(), 50); ++i) direct(articles[i]);  // warm up
  double best = 1e300;
  for (int p = 0; p < passes; ++p) {
    const auto t = Clock::now();
    for (const Article& a : articles) direct(a);
    best = std::min(best, Since(t));
  }
  std::vector<double> first;
  for (int i = 0; i < 500; ++i) {
    const auto t = Clock::now();
    direct(articles.front());
    first.push_back(Since(t));
  }
  std::sort(first.begin(), first.end());
  std::printf("Tarnix_Direct: %zu articles, best of %d passes %.1f ms, %.0f articles/s; "
              "first article median %.4f ms; Tarnix_Initial %.0f ms\n",
              articles.size(), passes, best, articles.size() / best * 1000.0, first[first.size() / 2], start_ms);
  Tarnix_FreeDict();
  return found > 0 ? 0 : 1;
}
