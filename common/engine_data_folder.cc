#include "engine_data_folder.h"

#include <sys/stat.h>

#include <cstdlib>

#include "platform.h"

namespace tarnix {

std::string FindDataFolder(const DataFolderSearch& search) {
  if (const char* env = std::getenv(search.env_var); env != nullptr && *env != '\0') return env;
  if (!search.configured.empty()) return search.configured;
  if (search.module_folder.empty()) return std::string();
  const std::string shared = JoinPath(JoinPath(JoinPath(search.module_folder, ".."), "share"), search.name);
  if (search.holds_data(shared)) return shared;
  return JoinPath(search.module_folder, search.name);
}

std::string JoinPath(const std::string& folder, const char* name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  if (last == '/' || last == '\\') return folder + name;
  return folder + kPathSeparator + name;
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR;
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFREG;
}

}  // namespace tarnix
