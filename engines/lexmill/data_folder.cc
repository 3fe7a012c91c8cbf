#include "data_folder.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "platform.h"

namespace lexmill {

namespace {

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return std::string();
  const size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFDIR) != 0;
}

}  // namespace

std::string ReadIniValue(const std::string& file, const std::string& section,
                         const std::string& key) {
  std::ifstream in(file);
  std::string line;
  bool in_section = false;
  while (std::getline(in, line)) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;
    if (t.front() == '[' && t.back() == ']') {
      in_section = Trim(t.substr(1, t.size() - 2)) == section;
      continue;
    }
    const size_t eq = t.find('=');
    if (in_section && eq != std::string::npos && Trim(t.substr(0, eq)) == key) {
      return Trim(t.substr(eq + 1));
    }
  }
  return std::string();
}

std::string ModuleFolder() {
  return tarnix::ModuleFolderOf(reinterpret_cast<const void*>(&ModuleFolder));
}

std::string FindDataFolder() {
  const char* env = std::getenv(kDataEnvVar);
  if (env != nullptr && *env != '\0') return env;
  const std::string configured = ReadIniValue(kConfigFile, "Lexmill", "data_dir");
  if (!configured.empty()) return configured;
  const std::string module = ModuleFolder();
  const std::string shared = module + "/../share/lexmill";
  if (IsFolder(shared)) return shared;
  return module + "/lexmill";
}

}  // namespace lexmill
