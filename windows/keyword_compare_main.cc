// keyword_compare EXPECTED ACTUAL [RELATIVE]: exit 0 when the two host
// outputs agree (weights within RELATIVE, default 1e-6), 1 otherwise.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "keyword_compare.h"

namespace {

bool ReadAll(const char* path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: %s EXPECTED ACTUAL [RELATIVE]\n", argv[0]);
    return 2;
  }
  std::string expected, actual;
  if (!ReadAll(argv[1], &expected) || !ReadAll(argv[2], &actual)) {
    std::fprintf(stderr, "cannot read %s or %s\n", argv[1], argv[2]);
    return 2;
  }
  const double relative = argc == 4 ? std::strtod(argv[3], nullptr) : 1e-6;
  const tarnix_windows::CompareResult r =
      tarnix_windows::CompareHostOutputs(expected, actual, relative);
  for (const std::string& f : r.faults) std::printf("%s\n", f.c_str());
  std::printf("%d keyword lines, largest relative weight difference %.3g: %s\n", r.keyword_lines,
              r.max_relative, r.same ? "same" : "DIFFERENT");
  // Two empty lists would agree without proving anything.
  return r.same && r.keyword_lines > 0 ? 0 : 1;
}
