// Where the engine's data folder is (tarnix::FindDataFolder), looked up by
// EKVR_SetPath:
//   1. the environment variable EKVR_DATA;
//   2. key "ekvr_data_path" of section "DictInfo" in ".\EKVR.ini" (current
//      directory; a relative path is taken from the current directory);
//   3. "../share/extend_kvr" beside the folder of the library itself, else
//      "extend_kvr" inside that folder.
// The folder found counts only when it holds the classifier model.
#ifndef TARNIX_ENGINES_EXTEND_KVR_DATA_PATH_H_
#define TARNIX_ENGINES_EXTEND_KVR_DATA_PATH_H_

#include <string>

#include "engine_data_folder.h"

namespace ekvr {

inline constexpr const char* kDataEnvVar = "EKVR_DATA";
inline constexpr const char* kDataPathKey = "ekvr_data_path";
inline constexpr const char* kModelFile = "classifier.model";

// The data folder, or empty when the folder found lacks the model.
std::string FindDataFolder();

using tarnix::IsRegularFile;
using tarnix::JoinPath;

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_DATA_PATH_H_
