// The run log "Tarnix_Log.log" in the current directory.
#ifndef TARNIX_COMMON_RUN_LOG_H_
#define TARNIX_COMMON_RUN_LOG_H_

#include <string>

namespace tarnix {

constexpr char kRunLogFile[] = "Tarnix_Log.log";

// Appends "<ctime text> : <message>" and a line end to the run log. The
// file is opened, written, flushed and closed for every message, so that a
// host that dies leaves a complete log behind. No caller checks the result.
bool WriteLog(const char* message);
inline bool WriteLog(const std::string& message) { return WriteLog(message.c_str()); }

}  // namespace tarnix

#endif  // TARNIX_COMMON_RUN_LOG_H_
