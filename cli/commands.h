// The three commands of the tarnix program.
#ifndef TARNIX_CLI_COMMANDS_H_
#define TARNIX_CLI_COMMANDS_H_

#include <string>

#include "options.h"

namespace tarnix {
namespace cli {

// Exit statuses: 0 done, 1 the input or the library failed, 2 bad usage,
// 3 error records from batch --fail-on-error.
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitErrorRecords = 3;

int RunExtract(const Options& options);
int RunBatchCommand(const Options& options);
int RunEval(const Options& options);

// Reads a whole file, or standard input for "-"; false with a message.
bool ReadWholeFile(const std::string& path, std::string* content, std::string* error);

// A progress line on standard error, redrawn in place: articles done (of
// the total when known), rate and time left.
class Progress {
 public:
  Progress(bool enabled, long long total) : enabled_(enabled), total_(total) {}
  void Step();
  // Takes the bar off the screen until the next Step draws it, so that a
  // record written to the same terminal starts on a clean line.
  void Clear();
  void Finish();
  double Seconds() const;
  long long done() const { return done_; }

 private:
  bool enabled_;
  long long total_;
  long long done_ = 0;
  double start_ = Now();
  double last_draw_ = 0;
  bool drawn_ = false;
  static double Now();
};

}  // namespace cli
}  // namespace tarnix

#endif  // TARNIX_CLI_COMMANDS_H_
