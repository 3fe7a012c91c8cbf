// The run log "Tarnix_Log.log" in the current directory.
#ifndef TARNIX_COMMON_RUN_LOG_H_
#define TARNIX_COMMON_RUN_LOG_H_

#include <string>
#include <vector>

namespace tarnix {

constexpr char kRunLogFile[] = "Tarnix_Log.log";

// Appends "<ctime text> : <message>" and a line end to the run log. The
// file is opened, written, flushed and closed for every message, so that a
// host that dies leaves a complete log behind. No caller checks the result.
bool WriteLog(const char* message);
inline bool WriteLog(const std::string& message) { return WriteLog(message.c_str()); }

// Several messages of one moment, each a line as WriteLog writes it, in
// one append: every call of Tarnix_Direct logs its article and up to five
// warnings together, and opening and closing the file for each line cost
// a tenth of a short abstract's time. A host that dies still leaves whole
// lines: the group goes to the file in one write.
bool WriteLogLines(const std::vector<std::string>& messages);

}  // namespace tarnix

#endif  // TARNIX_COMMON_RUN_LOG_H_
