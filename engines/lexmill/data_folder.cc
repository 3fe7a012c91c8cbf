#include "data_folder.h"

#include "engine_data_folder.h"
#include "platform.h"

namespace lexmill {

std::string FindDataFolder() {
  // A path, not a name: room for a long one.
  char configured[4096];
  tarnix::ReadProfileString("Lexmill", "data_dir", "", configured, sizeof configured, kConfigFile);
  return tarnix::FindDataFolder({kDataEnvVar, configured,
                                 tarnix::ModuleFolderOf(reinterpret_cast<const void*>(&FindDataFolder)),
                                 "lexmill", &tarnix::IsFolder});
}

}  // namespace lexmill
