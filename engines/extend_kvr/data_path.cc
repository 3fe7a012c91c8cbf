#include "data_path.h"

#include "config.h"
#include "platform.h"

namespace ekvr {
namespace {

bool HoldsModel(const std::string& folder) {
  return !folder.empty() && IsRegularFile(JoinPath(folder, kModelFile));
}

}  // namespace

std::string FindDataFolder() {
  const std::string folder = tarnix::FindDataFolder(
      {kDataEnvVar, tarnix::ReadConfig(tarnix::kEkvrIni, kDataPathKey, ""),
       tarnix::ModuleFolderOf(reinterpret_cast<const void*>(&FindDataFolder)), "extend_kvr", &HoldsModel});
  return HoldsModel(folder) ? folder : std::string();
}

}  // namespace ekvr
