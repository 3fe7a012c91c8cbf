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

bool WriteLogLines(const std::vector<std::string>& messages) {
  try {
    if (messages.empty()) return true;
    const std::string time = LocalTimeText();
    std::string lines;
    for (const std::string& message : messages) {
      lines += time;
      lines += " : ";
      lines += message;
      lines += '\n';
    }
    const AppendResult result = AppendToFile(kRunLogFile, lines);
    if (result == AppendResult::kNotOpened) {
      // Once per message, as that many WriteLog calls would say it.
      for (size_t i = 0; i < messages.size(); ++i) std::fputs("WriteLog openfile false!\n", stdout);
      return false;
    }
    return result == AppendResult::kWritten;
  } catch (...) {
    std::cerr << "WriteLog Error!" << std::endl;
    return false;
  }
}

}  // namespace tarnix
