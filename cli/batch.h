// JSON lines in, JSON lines out: one record per input line, in input order,
// from this process or from worker processes (the engines hold one current
// article, so articles run in parallel only in separate processes).
#ifndef TARNIX_CLI_BATCH_H_
#define TARNIX_CLI_BATCH_H_

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "session.h"

namespace tarnix {
namespace cli {

struct BatchSettings {
  ExtractSettings extract;
  InputEncoding encoding = InputEncoding::kUtf8;
  bool strict_encoding = false;  // refuse rather than normalise what GBK cannot hold
  std::optional<std::string> lang;  // for articles that do not say
  int jobs = 1;
  std::string work_dir;  // empty: a temporary directory per process
};

// --strict-encoding, else --replace-unmappable (which eval sets itself),
// else normalisation.
CharacterPolicy CharacterPolicyOf(const BatchSettings& settings);

// The record of one input line, without its line end: {"line": N, "id": ...,
// "replaced": R, "keywords": [...]} or {"line": N, "id": ..., "error": "..."};
// "id" only when the input has one, "replaced" only when characters were
// changed to fit GBK. *ok is false for an error record.
std::string ProcessLine(Session& session, const BatchSettings& settings, long long line_number,
                        const std::string& line, bool* ok);

// Reads one line without its line end (and, with strip_cr, without a CR
// before it); false at the end of the stream. A line longer than limit
// keeps its first limit + 1 bytes, so that a runaway line cannot take all
// the memory and is still seen to be too long.
bool ReadLine(std::FILE* stream, std::string* line, bool strip_cr = true,
              size_t limit = std::string::npos);

// Pulls lines from next_line until it returns false and hands each line's
// record to deliver, in input order; deliver returns false to stop early
// (its output has gone). False with a message when the run itself fails.
bool RunBatch(const BatchSettings& settings, const std::function<bool(std::string*)>& next_line,
              const std::function<bool(const std::string&, bool)>& deliver, std::string* error);

// The arguments after the program's path that start a worker with these
// settings.
std::vector<std::string> WorkerArguments(const BatchSettings& settings);

// A worker's main loop: "N<TAB>line" lines in on standard input, "K<TAB>record"
// or "E<TAB>record" lines out on standard output. The exit status.
int RunWorker(const BatchSettings& settings);

}  // namespace cli
}  // namespace tarnix

#endif  // TARNIX_CLI_BATCH_H_
