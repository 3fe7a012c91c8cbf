// Rescaling a keyword list's weights so that lists of different articles
// can be compared.
#include <cmath>
#include <cstdint>
#include <limits>

#include "pipeline.h"
#include "run_log.h"

namespace tarnix {
namespace {

// A count of 0 needs no list; anything else needs a list and a count that
// is not negative.
enum class Input { kEmpty, kRejected, kUsable };

Input CheckInput(const KeywordEntry* word_buffer, const int32_t* buffer_size) {
  if (buffer_size != nullptr && *buffer_size == 0) return Input::kEmpty;
  if (word_buffer == nullptr || buffer_size == nullptr || *buffer_size < 0) {
    WriteLog("word_buffer wrong or *buffer_size smaller than zero!");
    return Input::kRejected;
  }
  return Input::kUsable;
}

// Truncation toward zero into the int32 range; NaN becomes 0 and values
// beyond the range stop at its ends, where a plain cast would be undefined.
double TruncateToInt32(double x) {
  if (std::isnan(x)) return 0.0;
  if (x >= 2147483647.0) return 2147483647.0;
  if (x <= -2147483648.0) return -2147483648.0;
  return static_cast<double>(static_cast<int32_t>(x));
}

}  // namespace

int NormaliseToSum(KeywordEntry* word_buffer, const int32_t* buffer_size) {
  Input input = CheckInput(word_buffer, buffer_size);
  if (input != Input::kUsable) return input == Input::kEmpty ? 0 : 1;
  try {
    const int32_t n = *buffer_size;
    double sum = 0.0;
    for (int32_t i = 0; i < n; ++i) sum += word_buffer[i].weight;
    // Weights summing to zero have no proportions; they are left as they are.
    if (sum == 0.0) return 0;
    for (int32_t i = 0; i < n; ++i) word_buffer[i].weight = word_buffer[i].weight / sum;
    return 0;
  } catch (...) {
    WriteLog("Word_Normal Error!");
    return 1;
  }
}

int NormaliseToTenThousand(KeywordEntry* word_buffer, const int32_t* buffer_size) {
  Input input = CheckInput(word_buffer, buffer_size);
  if (input != Input::kUsable) return input == Input::kEmpty ? 0 : 1;
  try {
    const int32_t n = *buffer_size;
    double squares = 0.0;
    for (int32_t i = 0; i < n; ++i) squares += word_buffer[i].weight * word_buffer[i].weight;
    // An all-zero list has no direction; it stays all zero.
    if (squares == 0.0) return 0;
    const double factor = 10000.0 / std::sqrt(squares);
    for (int32_t i = 0; i < n; ++i) {
      word_buffer[i].weight = TruncateToInt32(factor * word_buffer[i].weight);
    }
    return 0;
  } catch (...) {
    WriteLog("Word_Normal_Ten Error!");
    return 1;
  }
}

}  // namespace tarnix
