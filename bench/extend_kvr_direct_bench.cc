// Tarnix_Direct with both reference engines on one article, and the
// classification engine's own share of it: the engine calls Tarnix_Direct
// makes, timed on their own. Prints medians over ROUNDS calls.
//   extend_kvr_direct_bench ARTICLE.gbk [ROUNDS] [zh|en]
// ARTICLE.gbk holds three lines: title, abstract, full text (written by
// bench/extend_kvr_article.py).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "extend_kvr.h"
#include "tarnix/tarnix.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

double Quantile(std::vector<double> v, double q) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[static_cast<size_t>(q * static_cast<double>(v.size() - 1))];
}

template <typename F>
std::vector<double> Time(int rounds, F&& f) {
  for (int i = 0; i < 5; ++i) f();  // warm caches and lazily loaded data
  std::vector<double> ms;
  for (int i = 0; i < rounds; ++i) {
    const auto t0 = Clock::now();
    f();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  return ms;
}

void Report(const char* what, const std::vector<double>& ms) {
  std::printf("%-34s median %.3f ms  p10 %.3f  p90 %.3f  (%zu calls)\n", what, Median(ms),
              Quantile(ms, 0.1), Quantile(ms, 0.9), ms.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: extend_kvr_direct_bench ARTICLE.gbk [ROUNDS] [zh|en]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
  const int type = argc > 3 && std::string(argv[3]) == "en" ? 2 : 1;
  std::ifstream in(argv[1], std::ios::binary);
  std::string title, abstract, file;
  if (!std::getline(in, title) || !std::getline(in, abstract) || !std::getline(in, file)) {
    std::fprintf(stderr, "%s: expected three lines\n", argv[1]);
    return 2;
  }
  std::printf("article: %zu + %zu + %zu bytes\n", title.size(), abstract.size(), file.size());
  if (Tarnix_Initial(type, 1) != 0) {
    std::fprintf(stderr, "Tarnix_Initial failed\n");
    return 1;
  }
  std::vector<KeywordEntry> list(800);
  int n = 0;
  auto direct = [&] {
    n = static_cast<int>(list.size());
    if (Tarnix_Direct(title.c_str(), abstract.c_str(), "", file.c_str(), "", "", list.data(), &n, type, 1,
                      1) != 0) {
      std::fprintf(stderr, "Tarnix_Direct failed\n");
      std::exit(1);
    }
  };
  Report("Tarnix_Direct (both engines)", Time(rounds, direct));
  std::printf("keywords (%d):", n);
  for (int i = 0; i < std::min(n, 10); ++i) std::printf(" %s", list[i].keyword_text);
  std::printf("\n");

  // The same engine calls as Tarnix_Direct, into tables of the same sizes.
  std::vector<ArticleTerm> full(10000), abstract_terms(50);
  std::vector<std::vector<char>> class_text(100, std::vector<char>(128));
  std::vector<char*> classes(100);
  std::vector<float> scores(100);
  char null_text[] = "NULL";
  auto engine = [&] {
    for (size_t i = 0; i < 100; ++i) {
      class_text[i][0] = '\0';
      classes[i] = class_text[i].data();
    }
    int count = 100, m = 10000, k = 50;
    const bool ok =
        EKVR_Init_File2(title.c_str(), "", abstract.c_str(), "", file.c_str(), null_text) == 1 &&
        SetCHIThreshold(200.0f) == 1 && EKVR_CalculateTxtValue(0, 1) == 1 &&
        // English articles get no classes.
        (GetTxtClassifyTemp(classes.data(), scores.data(), &count, 0) == 1 || type == 2) &&
        EKVR_GetArticleInfo(full.data(), &m, 1) == 1 && EKVR_GetArticleInfo(abstract_terms.data(), &k, 2) == 1;
    if (!ok) {
      std::fprintf(stderr, "an engine call failed\n");
      std::exit(1);
    }
  };
  Report("Extend_KVR calls alone", Time(rounds, engine));
  Tarnix_FreeDict();
  return 0;
}
