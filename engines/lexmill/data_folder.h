// Where the compiled dictionaries live. Looked up at every load, so a
// changed environment or configuration takes effect without a restart:
//   1. the environment variable LEXMILL_DATA;
//   2. key "data_dir" of section [Lexmill] in "Lexmill.ini" in the current
//      directory;
//   3. "../share/lexmill" beside the folder of the Lexmill library itself
//      (the build tree and the installed layout alike), else "lexmill"
//      inside that folder (a flat Windows deployment).
#ifndef TARNIX_ENGINES_LEXMILL_DATA_FOLDER_H_
#define TARNIX_ENGINES_LEXMILL_DATA_FOLDER_H_

#include <string>

namespace lexmill {

inline constexpr const char* kDataEnvVar = "LEXMILL_DATA";
inline constexpr const char* kConfigFile = "Lexmill.ini";
inline constexpr const char* kDictSuffix = ".lxd";

std::string FindDataFolder();

// Value of key in [section] of an INI file; empty when the file, the
// section or the key is missing.
std::string ReadIniValue(const std::string& file, const std::string& section,
                         const std::string& key);

// Folder of the module (shared library or program) that holds this code.
std::string ModuleFolder();

}  // namespace lexmill

#endif  // TARNIX_ENGINES_LEXMILL_DATA_FOLDER_H_
