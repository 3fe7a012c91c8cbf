#include "data_path.h"

#include <cstdlib>

#include "config.h"

#if defined(_WIN32)
#include <windows.h>
#include <sys/stat.h>
#else
#include <dlfcn.h>
#include <sys/stat.h>
#endif

namespace ekvr {
namespace {

#if defined(_WIN32)
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

std::string ModuleFolder() {
#if defined(_WIN32)
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&ModuleFolder), &module)) {
    return std::string();
  }
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  std::string file(path, n);
#else
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&ModuleFolder), &info) == 0 || info.dli_fname == nullptr) {
    return std::string();
  }
  std::string file(info.dli_fname);
#endif
  const size_t slash = file.find_last_of("/\\");
  return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

bool HoldsModel(const std::string& folder) {
  return !folder.empty() && IsRegularFile(JoinPath(folder, kModelFile));
}

}  // namespace

std::string JoinPath(const std::string& folder, const char* name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  if (last == '/' || last == '\\') return folder + name;
  return folder + kSeparator + name;
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
