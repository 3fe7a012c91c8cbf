// Tarnix_Direct with the reference engines on arbitrary bytes.
//
// Input: four mode bytes, then the six texts separated by NUL bytes, in
// the order title, abstract, keyword, file, magazine, class_name (missing
// texts are empty). Byte 0 picks the type (1 or 2, or with the high bit
// set the signed byte itself), byte 1 the class mode (0, 1, 2, or the
// signed byte), byte 2 the floor_weights flag (all of its bits are passed),
// byte 3 the capacity (799 for 0xFF, else 800 + 4 x byte). Whatever the
// texts hold (invalid GBK, a lead byte at the very end, very long words,
// thousands of repeats of one term), the call must return 0 or 9 and keep
// the promises that CheckResult tests.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "direct_support.h"
#include "tarnix/tarnix.h"

namespace {

constexpr size_t kMaxInput = 1 << 16;

int Signed(uint8_t b) { return static_cast<int8_t>(b); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tarnix_fuzz::EnterWorkDir(true, argc, argv);
  // Both languages' data, and the similar-word dictionary.
  if (Tarnix_Initial(1, true) != 0 || Tarnix_Initial(2, false) != 0) {
    tarnix_fuzz::Fail("Tarnix_Initial: are the engines' data folders built?");
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4 || size > kMaxInput) return 0;
  const int type = data[0] & 0x80 ? Signed(data[0]) : 1 + (data[0] & 1);
  const int class_mode = data[1] & 0x80 ? Signed(data[1]) : data[1] % 3;
  const int floor_weights = data[2];
  const int capacity = data[3] == 0xFF ? 799 : 800 + 4 * data[3];

  std::string texts[6];
  size_t field = 0;
  for (size_t i = 4; i < size && field < 6; ++i) {
    if (data[i] == 0) {
      ++field;
    } else {
      texts[field].push_back(static_cast<char>(data[i]));
    }
  }

  const int result = tarnix_fuzz::DirectAndNormalise(texts, capacity, type, class_mode, floor_weights);
  if (capacity < 800) FUZZ_CHECK(result == 9);
  return 0;
}
