// Where an engine finds its data, the same way for both engines. Looked up
// at every call, so a changed environment or configuration takes effect
// without a restart:
//   1. the engine's environment variable;
//   2. the folder its own INI file names;
//   3. ../share/<name> beside the folder of the engine's library (the build
//      tree and the installed layout alike) when it holds the engine's
//      data, else <name> inside that folder (a flat Windows deployment).
// A folder named by 1 or 2 is the answer whether or not it holds the data:
// a wrong setting must show in the engine's error, never be replaced by
// another folder.
#ifndef TARNIX_COMMON_ENGINE_DATA_FOLDER_H_
#define TARNIX_COMMON_ENGINE_DATA_FOLDER_H_

#include <string>

namespace tarnix {

struct DataFolderSearch {
  const char* env_var;        // 1
  std::string configured;     // 2, empty when not configured
  std::string module_folder;  // ModuleFolderOf an address in the engine
  const char* name;           // 3
  // Whether a folder holds the engine's data (decides between the two of 3).
  bool (*holds_data)(const std::string& folder);
};

// The folder, or empty when 1 and 2 are unset and the module is unknown.
std::string FindDataFolder(const DataFolderSearch& search);

// folder and name joined by the platform's separator (none added after a
// folder that ends in one; just name for an empty folder).
std::string JoinPath(const std::string& folder, const char* name);
bool IsFolder(const std::string& path);
bool IsRegularFile(const std::string& path);

}  // namespace tarnix

#endif  // TARNIX_COMMON_ENGINE_DATA_FOLDER_H_
