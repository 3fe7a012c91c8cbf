// The platform layer of the tarnix command: code pages, child processes,
// terminals and signals. The library needs none of it.
#ifndef TARNIX_CLI_HOST_PLATFORM_H_
#define TARNIX_CLI_HOST_PLATFORM_H_

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "platform.h"

namespace tarnix {

// What to do with a character the target code page cannot hold (or, for
// GBK input, a byte sequence that is not GBK).
enum class Unmappable { kFail, kReplace };

// Where a conversion stopped: the byte offset of the offending character in
// the input and its length in bytes.
struct ConversionStop {
  size_t offset = 0;
  size_t length = 0;
};

// UTF-8 to GBK (code page 936). The input must be valid UTF-8. With kFail
// the conversion stops at the first character GBK cannot hold and returns
// false with *stop set; with kReplace each such character becomes '?' and
// *replaced (when not null) counts them.
bool Utf8ToGbk(const std::string& in, std::string* out, Unmappable mode, ConversionStop* stop,
               size_t* replaced = nullptr);

// GBK to UTF-8. With kFail an invalid byte sequence stops the conversion;
// with kReplace each invalid byte becomes U+FFFD.
bool GbkToUtf8(const std::string& in, std::string* out, Unmappable mode, ConversionStop* stop,
               size_t* replaced = nullptr);

// The running program's own file, for starting copies of it; empty when it
// cannot be found.
std::string SelfExecutablePath();

// The address of function `name` in the shared library `library` (a file
// name the system's loader searches for), which is opened the first time
// it is asked for and stays open; null with *error when either cannot be
// found.
void* LibraryFunction(const char* library, const char* name, std::string* error);

// True when the stream is an interactive terminal.
bool IsTerminal(std::FILE* stream);

// Standard input and output carry bytes, not text (no CR/LF translation).
void SetBinaryMode(std::FILE* stream);

// Reads the bytes of stream up to the next '\n' (which is read and not
// kept) or its end into line, keeping at most limit + 1 of them; false at
// the end of the stream with nothing read. A NUL byte is kept like any
// other.
bool ReadLineBytes(std::FILE* stream, std::string* line, size_t limit);

// A writer on a pipe whose reader has gone gets an error instead of being
// killed, so that the program can say what happened.
void IgnoreBrokenPipes();

// Temporary folders that must not outlive the program however it stops.
// A folder registered here is removed, with what it holds (three levels
// deep), when SIGINT, SIGTERM, SIGHUP, SIGPIPE or a crash stops the program
// (on Windows: Ctrl-C, Ctrl-Break or the console closing); the child
// processes still running are killed and waited for first, since they may
// be writing into it. The signal then takes its usual course, so that the
// exit status still says what stopped the program. A signal the program
// was started ignoring stays ignored. At most 8 folders at once; false when
// there is no room.
bool RemoveFolderOnSignal(const std::string& folder);
// The folder has been removed (or is to be kept) by the program itself.
void ForgetFolderOnSignal(const std::string& folder);

// A child process whose standard input and output are pipes to the parent;
// its standard error is the parent's. Not available on Windows, where
// Start fails with a message saying so.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  // argv[0] is the program's path; it is not looked up in PATH.
  bool Start(const std::vector<std::string>& argv, std::string* error);
  std::FILE* input() const { return input_; }    // the child's standard input
  std::FILE* output() const { return output_; }  // the child's standard output
  // Closes the child's standard input, so that it sees the end of its input.
  void CloseInput();
  // Stops reading the child's output; a child still writing then fails.
  void CloseOutput();
  // Closes both pipes and waits for the child. Its exit status, or -1 when
  // it did not exit normally (or was never started).
  int Wait();
  // The signal that ended the child, or 0 (after Wait).
  int signal() const { return signal_; }

 private:
  int signal_ = 0;
  std::FILE* input_ = nullptr;
  std::FILE* output_ = nullptr;
  long long id_ = -1;
};

}  // namespace tarnix

#endif  // TARNIX_CLI_HOST_PLATFORM_H_
