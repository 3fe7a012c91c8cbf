// The exported functions: the one place where the host's C calls meet the
// C++ stages. Each stage catches its own exceptions; these wrappers only
// make sure that nothing unexpected crosses the C boundary.
#include "tarnix/tarnix.h"

#include "pipeline.h"
#include "run_log.h"

extern "C" {

TARNIX_EXPORT int TARNIX_CALL Tarnix_Initial(int type, bool load_similar) {
  try {
    return tarnix::InitialEngines(type, load_similar);
  } catch (...) {
    tarnix::WriteLog("Tarnix_Initial Error!");
    return 2;
  }
}

TARNIX_EXPORT int TARNIX_CALL Tarnix_Direct(const char* title, const char* abstract,
                                            const char* keyword, const char* file,
                                            const char* magazine, const char* class_name,
                                            KeywordEntry* word_buffer, int* buffer_size,
                                            int type, int class_mode, int floor_weights) {
  try {
    return tarnix::RunDirect(title, abstract, keyword, file, magazine, class_name, word_buffer,
                             buffer_size, type, class_mode, (floor_weights & 0xFF) != 0);
  } catch (...) {
    tarnix::WriteLog("Tarnix_Direct Error!");
    if (buffer_size) *buffer_size = 0;
    return TARNIX_FAILED;
  }
}

TARNIX_EXPORT int TARNIX_CALL Tarnix_FreeDict(void) {
  try {
    return tarnix::FreeDictionaries();
  } catch (...) {
    tarnix::WriteLog("Tarnix_FreeDict Error!");
    return 0;
  }
}

TARNIX_EXPORT int TARNIX_CALL Word_Normal(KeywordEntry* word_buffer, int* buffer_size) {
  return tarnix::NormaliseToSum(word_buffer, buffer_size);
}

TARNIX_EXPORT int TARNIX_CALL Word_Normal_Ten(KeywordEntry* word_buffer, int* buffer_size) {
  return tarnix::NormaliseToTenThousand(word_buffer, buffer_size);
}

}  // extern "C"
