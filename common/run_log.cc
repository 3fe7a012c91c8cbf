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
    std::string line = LocalTimeText();
    line += " : ";
    line += message;
    line += '\n';
    const AppendResult result = AppendToFile(kRunLogFile, line);
    if (result == AppendResult::kNotOpened) {
      std::fputs("WriteLog openfile false!\n", stdout);
      return false;
    }
    return result == AppendResult::kWritten;
  } catch (...) {
    std::cerr << "WriteLog Error!" << std::endl;
    return false;
  }
}

}  // namespace tarnix
