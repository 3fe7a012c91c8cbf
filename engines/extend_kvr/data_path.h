// Where the engine's data folder is. The only file of the engine with
// platform calls (the folder of the loaded library, directory tests).
//
// Looked up by EKVR_SetPath, in this order:
//   1. the environment variable EKVR_DATA;
//   2. key "ekvr_data_path" of section "DictInfo" in ".\EKVR.ini" (current
//      directory; a relative path is taken from the current directory);
//   3. "../share/extend_kvr" beside the folder of the library itself (the
//      build tree and the installed layout alike), else "extend_kvr" inside
//      that folder (a flat Windows deployment).
// A candidate counts only when it holds the classifier model.
#ifndef TARNIX_ENGINES_EXTEND_KVR_DATA_PATH_H_
#define TARNIX_ENGINES_EXTEND_KVR_DATA_PATH_H_

#include <string>

namespace ekvr {

inline constexpr const char* kDataEnvVar = "EKVR_DATA";
inline constexpr const char* kDataPathKey = "ekvr_data_path";
inline constexpr const char* kModelFile = "classifier.model";

// The data folder, or empty when no candidate holds the model.
std::string FindDataFolder();

// folder joined with name by the platform's separator.
std::string JoinPath(const std::string& folder, const char* name);

bool IsRegularFile(const std::string& path);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_DATA_PATH_H_
