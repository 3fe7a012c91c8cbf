#include "keyword_compare.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tarnix_windows {
namespace {

// Columns of a keyword line: rank, frequency, weight, normalised, ten, texts.
constexpr size_t kFirstWeight = 2;
constexpr size_t kLastWeight = 4;
constexpr size_t kKeywordColumns = 8;

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

bool IsKeywordLine(const std::vector<std::string>& fields) {
  if (fields.size() != kKeywordColumns || fields[0].empty()) return false;
  return std::all_of(fields[0].begin(), fields[0].end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool ParseNumber(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(*value);
}

}  // namespace

CompareResult CompareHostOutputs(const std::string& expected, const std::string& actual,
                                 double relative) {
  CompareResult result;
  const std::vector<std::string> want = Split(expected, '\n');
  const std::vector<std::string> got = Split(actual, '\n');
  auto fault = [&result](size_t line, const std::string& what) {
    result.same = false;
    result.faults.push_back("line " + std::to_string(line + 1) + ": " + what);
  };
  const size_t lines = std::max(want.size(), got.size());
  for (size_t i = 0; i < lines; ++i) {
    if (i >= want.size() || i >= got.size()) {
      fault(i, i >= want.size() ? "extra line \"" + got[i] + "\"" : "missing line \"" + want[i] + "\"");
      continue;
    }
    const std::vector<std::string> a = Split(want[i], '\t');
    const std::vector<std::string> b = Split(got[i], '\t');
    if (!IsKeywordLine(a) || !IsKeywordLine(b)) {
      if (want[i] != got[i]) fault(i, "\"" + want[i] + "\" became \"" + got[i] + "\"");
      continue;
    }
    ++result.keyword_lines;
    for (size_t c = 0; c < kKeywordColumns; ++c) {
      if (c < kFirstWeight || c > kLastWeight) {
        if (a[c] != b[c]) fault(i, "column " + std::to_string(c + 1) + " \"" + a[c] + "\" became \"" + b[c] + "\"");
        continue;
      }
      double x = 0, y = 0;
      if (!ParseNumber(a[c], &x) || !ParseNumber(b[c], &y)) {
        fault(i, "column " + std::to_string(c + 1) + " is not a number");
        continue;
      }
      const double scale = std::max(std::fabs(x), std::fabs(y));
      const double difference = scale == 0 ? 0 : std::fabs(x - y) / scale;
      result.max_relative = std::max(result.max_relative, difference);
      if (difference > relative) {
        fault(i, "weight column " + std::to_string(c + 1) + " " + a[c] + " became " + b[c]);
      }
    }
  }
  return result;
}

}  // namespace tarnix_windows
