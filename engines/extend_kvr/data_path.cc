#include "data_path.h"

#include <sys/stat.h>

#include <cstdlib>

#include "config.h"
#include "platform.h"

namespace ekvr {
namespace {

std::string ModuleFolder() {
  return tarnix::ModuleFolderOf(reinterpret_cast<const void*>(&ModuleFolder));
}

bool HoldsModel(const std::string& folder) {
  return !folder.empty() && IsRegularFile(JoinPath(folder, kModelFile));
}

}  // namespace

std::string JoinPath(const std::string& folder, const char* name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  if (last == '/' || last == '\\') return folder + name;
  return folder + tarnix::kPathSeparator + name;
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFREG;
}

std::string FindDataFolder() {
  if (const char* env = std::getenv(kDataEnvVar); env != nullptr && *env != '\0') {
    return HoldsModel(env) ? std::string(env) : std::string();
  }
  const std::string configured = tarnix::ReadConfig(tarnix::kEkvrIni, kDataPathKey, "");
  if (!configured.empty()) return HoldsModel(configured) ? configured : std::string();
  const std::string module = ModuleFolder();
  if (module.empty()) return std::string();
  const std::string shared = JoinPath(JoinPath(JoinPath(module, ".."), "share"), "extend_kvr");
  if (HoldsModel(shared)) return shared;
  const std::string flat = JoinPath(module, "extend_kvr");
  return HoldsModel(flat) ? flat : std::string();
}

}  // namespace ekvr
