// Configuration keys and dictionary names, read at every use so that an
// edited file takes effect at the next article (within one article, while
// a ProfileCheckScope is open, each name is read once).
#ifndef TARNIX_COMMON_CONFIG_H_
#define TARNIX_COMMON_CONFIG_H_

#include <string>

namespace tarnix {

constexpr char kTarnixIni[] = ".\\Tarnix.ini";
constexpr char kEkvrIni[] = ".\\EKVR.ini";
constexpr char kDictInfoSection[] = "DictInfo";

// Values are read into a buffer of this size, so a name has at most 127
// characters.
constexpr unsigned kConfigValueSize = 128;

// The value of `key` in section "DictInfo" of `file`, or default_value.
std::string ReadConfig(const char* file, const char* key, const char* default_value);

// The similar-word dictionary ("tarnix_sim_dict").
const std::string& SimilarDictName();
// The English general-word dictionary ("tarnix_genneral_dict").
const std::string& EnglishGeneralDictName();
// The Chinese classification dictionary ("classify_chn_dict").
const std::string& ClassifyChnDictName();
// The general-word dictionary ("sys_general_dic" in the engine's file).
const std::string& SysGeneralDictName();

}  // namespace tarnix

#endif  // TARNIX_COMMON_CONFIG_H_
