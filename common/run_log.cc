#include "run_log.h"

#include <cstdio>
#include <iostream>

#include "platform.h"

namespace tarnix {

bool WriteLog(const char* message) {
  try {
    if (message == nullptr) {
      std::fputs("WriteLog input false!\n", stdout);
      return false;
    }
    std::FILE* log = std::fopen(kRunLogFile, "a");
    if (log == nullptr) {
      std::fputs("WriteLog openfile false!\n", stdout);
      return false;
    }
    std::string line = LocalTimeText();
    line += " : ";
    line += message;
    line += '\n';
    bool written = std::fputs(line.c_str(), log) >= 0;
    written = std::fflush(log) == 0 && written;
    written = std::fclose(log) == 0 && written;
    return written;
  } catch (...) {
    std::cerr << "WriteLog Error!" << std::endl;
    return false;
  }
}

}  // namespace tarnix
