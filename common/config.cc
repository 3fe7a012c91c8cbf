#include "config.h"

#include <cstdint>

#include "platform.h"
#include "profile.h"

namespace tarnix {

std::string ReadConfig(const char* file, const char* key, const char* default_value) {
  char value[kConfigValueSize];
  value[0] = '\0';
  uint32_t n = ReadProfileString(kDictInfoSection, key, default_value, value, sizeof value, file);
  if (n >= sizeof value) n = sizeof value - 1;
  return std::string(value, n);
}

namespace {

enum NameSlot { kSimilar, kEnglishGeneral, kClassifyChn, kSysGeneral, kNameSlots };

// A dictionary name, read once per check scope (one article) and at every
// call outside one. The general-word and similar-word tests ask for their
// dictionary's name for every word they test.
const std::string& Name(NameSlot slot, const char* file, const char* key,
                        const char* default_value) {
  struct Memo {
    uint64_t scope = 0;
    std::string value;
  };
  thread_local Memo memo[kNameSlots];
  Memo& m = memo[slot];
  const uint64_t scope = ProfileCheckScope::Current();
  if (scope == 0 || m.scope != scope) {
    m.value = ReadConfig(file, key, default_value);
    m.scope = scope;
  }
  return m.value;
}

}  // namespace

const std::string& SimilarDictName() {
  return Name(kSimilar, kTarnixIni, "tarnix_sim_dict", "QOVA_SIM_CHN_DICT");
}

const std::string& EnglishGeneralDictName() {
  return Name(kEnglishGeneral, kTarnixIni, "tarnix_genneral_dict", "EnglishGeneral");
}

const std::string& ClassifyChnDictName() {
  return Name(kClassifyChn, kTarnixIni, "classify_chn_dict", "QOVA_CLA_CHN_DICT");
}

const std::string& SysGeneralDictName() {
  return Name(kSysGeneral, kEkvrIni, "sys_general_dic", "sys_general_dic");
}

}  // namespace tarnix
