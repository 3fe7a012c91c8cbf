// Compares two outputs of tarnix_host (see tarnix_host.c for the format):
// every line and every field must be equal, except the weight columns of
// keyword lines, which may differ by float rounding.
#ifndef TARNIX_WINDOWS_KEYWORD_COMPARE_H_
#define TARNIX_WINDOWS_KEYWORD_COMPARE_H_

#include <string>
#include <vector>

namespace tarnix_windows {

struct CompareResult {
  bool same = true;
  std::vector<std::string> faults;  // one per differing line, "line N: ..."
  int keyword_lines = 0;
  double max_relative = 0.0;  // largest relative weight difference seen
};

// relative: the largest accepted |a - b| / max(|a|, |b|) of two weights.
CompareResult CompareHostOutputs(const std::string& expected, const std::string& actual,
                                 double relative);

}  // namespace tarnix_windows

#endif  // TARNIX_WINDOWS_KEYWORD_COMPARE_H_
