// What the two Tarnix_Direct fuzzers do with the texts they build.
#ifndef TARNIX_FUZZ_DIRECT_SUPPORT_H_
#define TARNIX_FUZZ_DIRECT_SUPPORT_H_

#include <string>
#include <vector>

#include "fuzz_support.h"
#include "tarnix/tarnix.h"

namespace tarnix_fuzz {

// One Tarnix_Direct call on the six texts (title, abstract, keywords, full
// text, journal, class) into a buffer of `capacity` entries, its result
// checked; a list that came back is then normalised both ways. Returns the
// result.
inline int DirectAndNormalise(const std::string (&texts)[6], int capacity, int type, int class_mode,
                              int floor_weights) {
  std::vector<KeywordEntry> buffer(static_cast<size_t>(capacity));
  int count = capacity;
  const int result = Tarnix_Direct(texts[0].c_str(), texts[1].c_str(), texts[2].c_str(),
                                   texts[3].c_str(), texts[4].c_str(), texts[5].c_str(),
                                   buffer.data(), &count, type, class_mode, floor_weights);
  CheckResult(result, count, capacity, buffer.data());
  if (result == 0 && count > 0) {
    int n = count;
    FUZZ_CHECK(Word_Normal(buffer.data(), &n) <= 1);
    FUZZ_CHECK(Word_Normal_Ten(buffer.data(), &n) <= 1);
  }
  return result;
}

}  // namespace tarnix_fuzz

#endif  // TARNIX_FUZZ_DIRECT_SUPPORT_H_
