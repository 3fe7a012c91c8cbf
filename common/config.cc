#include "config.h"

#include "platform.h"

namespace tarnix {

std::string ReadConfig(const char* file, const char* key, const char* default_value) {
  char value[kConfigValueSize];
  value[0] = '\0';
  uint32_t n = ReadProfileString(kDictInfoSection, key, default_value, value, sizeof value, file);
  if (n >= sizeof value) n = sizeof value - 1;
  return std::string(value, n);
}

std::string SimilarDictName() {
  return ReadConfig(kTarnixIni, "tarnix_sim_dict", "QOVA_SIM_CHN_DICT");
}

std::string EnglishGeneralDictName() {
  return ReadConfig(kTarnixIni, "tarnix_genneral_dict", "EnglishGeneral");
}

std::string ClassifyChnDictName() {
  return ReadConfig(kTarnixIni, "classify_chn_dict", "QOVA_CLA_CHN_DICT");
}

std::string SysGeneralDictName() {
  return ReadConfig(kEkvrIni, "sys_general_dic", "sys_general_dic");
}

}  // namespace tarnix
