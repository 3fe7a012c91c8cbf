// Where the compiled dictionaries live (tarnix::FindDataFolder):
//   1. the environment variable LEXMILL_DATA;
//   2. key "data_dir" of section [Lexmill] in "Lexmill.ini" in the current
//      directory;
//   3. "../share/lexmill" beside the folder of the Lexmill library itself,
//      else "lexmill" inside that folder.
#ifndef TARNIX_ENGINES_LEXMILL_DATA_FOLDER_H_
#define TARNIX_ENGINES_LEXMILL_DATA_FOLDER_H_

#include <string>

namespace lexmill {

inline constexpr const char* kDataEnvVar = "LEXMILL_DATA";
// Named with its folder: Windows looks for a bare name in its own folder.
inline constexpr const char* kConfigFile = ".\\Lexmill.ini";
inline constexpr const char* kDictSuffix = ".lxd";

std::string FindDataFolder();

}  // namespace lexmill

#endif  // TARNIX_ENGINES_LEXMILL_DATA_FOLDER_H_
