#include "platform.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "profile.h"
#endif

namespace tarnix {

std::string LocalTimeText() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &now);
#else
  localtime_r(&now, &tm);
#endif
  // Formatted by hand rather than with ctime() or strftime(): the former is
  // not reentrant and the latter follows the locale.
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char text[64];
  std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d", kDays[tm.tm_wday % 7],
                kMonths[tm.tm_mon % 12], tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                tm.tm_year + 1900);
  return text;
}

std::string NativePath(const char* path) {
  std::string native(path ? path : "");
#ifndef _WIN32
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
#endif
  return native;
}

bool StampFile(const std::string& native_path, FileStamp* stamp) {
#ifdef _WIN32
  struct _stat64 st;
  if (_stat64(native_path.c_str(), &st) != 0 || !(st.st_mode & _S_IFREG)) return false;
  stamp->mtime_ns = static_cast<int64_t>(st.st_mtime) * 1000000000;
#else
  struct stat st;
  if (stat(native_path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  stamp->mtime_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#endif
  stamp->size = static_cast<int64_t>(st.st_size);
  return true;
}

uint32_t ReadProfileString(const char* section, const char* key, const char* default_value,
                           char* buffer, uint32_t size, const char* file) {
#ifdef _WIN32
  return GetPrivateProfileStringA(section, key, default_value, buffer, size, file);
#else
  return PortableProfileString(section, key, default_value, buffer, size, file);
#endif
}

AppendResult AppendToFile(const char* path, const std::string& text) {
#ifdef _WIN32
  std::FILE* file = std::fopen(path, "a");
  if (file == nullptr) return AppendResult::kNotOpened;
  bool written = std::fputs(text.c_str(), file) >= 0;
  written = std::fflush(file) == 0 && written;
  written = std::fclose(file) == 0 && written;
  return written ? AppendResult::kWritten : AppendResult::kNotWritten;
#else
  // The descriptor calls themselves: an appending write goes to the end
  // in one step, and a stream's buffer, set up and torn down for every
  // line of the run log, cost as much again as the write.
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return AppendResult::kNotOpened;
  bool written = true;
  for (size_t at = 0; at < text.size() && written;) {
    const ssize_t n = ::write(fd, text.data() + at, text.size() - at);
    if (n > 0) {
      at += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      written = false;
    }
  }
  written = ::close(fd) == 0 && written;
  return written ? AppendResult::kWritten : AppendResult::kNotWritten;
#endif
}

std::string ModuleFolderOf(const void* address) {
  std::string file;
#ifdef _WIN32
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCSTR>(address), &module)) {
    return std::string();
  }
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();  // >= MAX_PATH: cut off
  file.assign(path, n);
#else
  Dl_info info;
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return std::string();
  file = info.dli_fname;
#endif
  const size_t slash = file.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  return slash == 0 ? file.substr(0, 1) : file.substr(0, slash);
}

}  // namespace tarnix

// ---- Code pages, child processes and terminals (the tarnix command) ----

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <iconv.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace tarnix {
namespace {

// Byte length of the UTF-8 character that starts with `lead` (1 for a byte
// that cannot start one, so that a scan always moves on).
size_t Utf8CharLength(unsigned char lead) {
  if (lead < 0xC0) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return 4;
}

// A GBK character is one byte below 0x80, or a lead byte 0x81-0xFE and a
// trail byte 0x40-0xFE other than 0x7F.
size_t GbkCharLength(const std::string& s, size_t at) {
  const unsigned char lead = static_cast<unsigned char>(s[at]);
  if (lead < 0x80 || lead == 0x80 || lead == 0xFF || at + 1 >= s.size()) return 1;
  const unsigned char trail = static_cast<unsigned char>(s[at + 1]);
  return (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) ? 2 : 1;
}

#ifdef _WIN32
// One character at a time, so that the offending one can be named.
bool ConvertWindows(const std::string& in, std::string* out, Unmappable mode,
                    ConversionStop* stop, size_t* replaced, bool to_gbk) {
  out->clear();
  size_t count = 0;
  for (size_t at = 0; at < in.size();) {
    const size_t n = to_gbk ? Utf8CharLength(static_cast<unsigned char>(in[at]))
                            : GbkCharLength(in, at);
    const size_t len = std::min(n, in.size() - at);
    if (static_cast<unsigned char>(in[at]) < 0x80) {
      out->push_back(in[at]);
      at += 1;
      continue;
    }
    wchar_t wide[4];
    const UINT from = to_gbk ? CP_UTF8 : 936;
    int w = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data() + at, static_cast<int>(len),
                                wide, 4);
    bool ok = w > 0;
    char bytes[8];
    int b = 0;
    if (ok && to_gbk) {
      BOOL used_default = FALSE;
      b = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide, w, bytes, sizeof bytes, nullptr,
                              &used_default);
      ok = b > 0 && !used_default;
    } else if (ok) {
      b = WideCharToMultiByte(CP_UTF8, 0, wide, w, bytes, sizeof bytes, nullptr, nullptr);
      ok = b > 0;
    }
    if (!ok) {
      if (mode == Unmappable::kFail) {
        if (stop) *stop = ConversionStop{at, len};
        return false;
      }
      out->append(to_gbk ? "?" : "\xEF\xBF\xBD");
      ++count;
    } else {
      out->append(bytes, static_cast<size_t>(b));
    }
    at += len;
  }
  if (replaced) *replaced = count;
  return true;
}
#else
// iconv over the whole text; at a character it cannot convert it either
// stops or writes the replacement and steps over the character.
bool ConvertIconv(const char* to, const char* from, const std::string& in, std::string* out,
                  Unmappable mode, ConversionStop* stop, size_t* replaced, bool from_utf8) {
  out->clear();
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    if (stop) *stop = ConversionStop{0, 0};
    return false;
  }
  const char* replacement = from_utf8 ? "?" : "\xEF\xBF\xBD";
  size_t count = 0;
  std::string buffer(in.size() * 2 + 16, '\0');
  char* in_at = const_cast<char*>(in.data());
  size_t in_left = in.size();
  bool ok = true;
  while (in_left > 0) {
    char* out_at = &buffer[0];
    size_t out_left = buffer.size();
    const size_t r = iconv(cd, &in_at, &in_left, &out_at, &out_left);
    out->append(buffer.data(), buffer.size() - out_left);
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL (a character cut off at the end).
    const size_t offset = static_cast<size_t>(in_at - in.data());
    size_t length = from_utf8 ? Utf8CharLength(static_cast<unsigned char>(in[offset]))
                              : GbkCharLength(in, offset);
    length = std::min(length, in_left);
    if (mode == Unmappable::kFail) {
      if (stop) *stop = ConversionStop{offset, length};
      ok = false;
      break;
    }
    out->append(replacement);
    ++count;
    in_at += length;
    in_left -= length;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  if (replaced) *replaced = count;
  return ok;
}
#endif

}  // namespace

bool Utf8ToGbk(const std::string& in, std::string* out, Unmappable mode, ConversionStop* stop,
               size_t* replaced) {
#ifdef _WIN32
  return ConvertWindows(in, out, mode, stop, replaced, true);
#else
  return ConvertIconv("GBK", "UTF-8", in, out, mode, stop, replaced, true);
#endif
}

bool GbkToUtf8(const std::string& in, std::string* out, Unmappable mode, ConversionStop* stop,
               size_t* replaced) {
#ifdef _WIN32
  return ConvertWindows(in, out, mode, stop, replaced, false);
#else
  return ConvertIconv("UTF-8", "GBK", in, out, mode, stop, replaced, false);
#endif
}

std::string SelfExecutablePath() {
#ifdef _WIN32
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return (n == 0 || n >= MAX_PATH) ? std::string() : std::string(path, n);
#else
  std::string path(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", &path[0], path.size());
  if (n <= 0 || static_cast<size_t>(n) >= path.size()) return std::string();
  path.resize(static_cast<size_t>(n));
  return path;
#endif
}

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream)) != 0;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

void SetBinaryMode(std::FILE* stream) {
#ifdef _WIN32
  _setmode(_fileno(stream), _O_BINARY);
#else
  (void)stream;
#endif
}

void IgnoreBrokenPipes() {
#ifndef _WIN32
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

ChildProcess::~ChildProcess() { Wait(); }

#ifdef _WIN32
bool ChildProcess::Start(const std::vector<std::string>&, std::string* error) {
  if (error) *error = "worker processes are not available in the Windows build";
  return false;
}

void ChildProcess::CloseInput() {}

void ChildProcess::CloseOutput() {}

int ChildProcess::Wait() { return -1; }
#else
bool ChildProcess::Start(const std::vector<std::string>& argv, std::string* error) {
  if (id_ != -1 || argv.empty()) {
    if (error) *error = "nothing to start";
    return false;
  }
  // The parent's ends are close-on-exec, so that a later child does not
  // hold this child's input open and keep it from seeing its end.
  int to_child[2], from_child[2];
  if (pipe2(to_child, O_CLOEXEC) != 0) {
    if (error) *error = std::string("cannot create a pipe: ") + std::strerror(errno);
    return false;
  }
  if (pipe2(from_child, O_CLOEXEC) != 0) {
    if (error) *error = std::string("cannot create a pipe: ") + std::strerror(errno);
    close(to_child[0]);
    close(to_child[1]);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, to_child[0], 0);
  posix_spawn_file_actions_adddup2(&actions, from_child[1], 1);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(to_child[0]);
  close(from_child[1]);
  if (rc != 0) {
    if (error) *error = "cannot start " + argv[0] + ": " + std::strerror(rc);
    close(to_child[1]);
    close(from_child[0]);
    return false;
  }
  id_ = pid;
  input_ = fdopen(to_child[1], "wb");
  output_ = fdopen(from_child[0], "rb");
  if (input_ == nullptr || output_ == nullptr) {
    if (error) *error = "cannot open the pipes to " + argv[0];
    if (input_ == nullptr) close(to_child[1]);
    if (output_ == nullptr) close(from_child[0]);
    Wait();
    return false;
  }
  return true;
}

void ChildProcess::CloseInput() {
  if (input_ != nullptr) {
    std::fclose(input_);
    input_ = nullptr;
  }
}

void ChildProcess::CloseOutput() {
  if (output_ != nullptr) {
    std::fclose(output_);
    output_ = nullptr;
  }
}

int ChildProcess::Wait() {
  CloseInput();
  CloseOutput();
  if (id_ == -1) return -1;
  int status = 0;
  pid_t r;
  do {
    r = waitpid(static_cast<pid_t>(id_), &status, 0);
  } while (r == -1 && errno == EINTR);
  id_ = -1;
  if (r == -1 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}
#endif

}  // namespace tarnix
