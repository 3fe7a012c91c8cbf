#include "host_platform.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <filesystem>
#include <mutex>
#else
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <iconv.h>
#include <spawn.h>
#include <sys/syscall.h>
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
// trail byte 0x40-0xFE other than 0x7F: the length of the one starting s
// (n > 0 bytes), 1 for a byte that starts none.
size_t GbkCharLength(const unsigned char* s, size_t n) {
  const unsigned char lead = s[0];
  if (lead < 0x80 || lead == 0x80 || lead == 0xFF || n < 2) return 1;
  const unsigned char trail = s[1];
  return (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) ? 2 : 1;
}
size_t GbkCharLength(const std::string& s, size_t at) {
  return GbkCharLength(reinterpret_cast<const unsigned char*>(s.data()) + at, s.size() - at);
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
// A conversion descriptor of one direction, opened at its first use on a
// thread and kept: a batch converts every article's fields and its
// keywords, and opening a descriptor (which looks the code pages up by
// name) cost as much as the conversion of a short text. The descriptor's
// state is set back before every text.
class IconvSlot {
 public:
  IconvSlot(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~IconvSlot() {
    if (ok()) iconv_close(cd_);
  }
  IconvSlot(const IconvSlot&) = delete;
  IconvSlot& operator=(const IconvSlot&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

const IconvSlot& Slot(bool from_utf8) {
  thread_local IconvSlot to_gbk("GBK", "UTF-8");
  thread_local IconvSlot to_utf8("UTF-8", "GBK");
  return from_utf8 ? to_gbk : to_utf8;
}

iconv_t Descriptor(bool from_utf8) {
  const IconvSlot& slot = Slot(from_utf8);
  if (!slot.ok()) return reinterpret_cast<iconv_t>(-1);
  iconv(slot.get(), nullptr, nullptr, nullptr, nullptr);
  return slot.get();
}

// iconv over the text from byte `start` on, appended to out; at a
// character it cannot convert it either stops or writes the replacement
// and steps over the character. Offsets are the whole text's.
bool ConvertIconvFrom(const std::string& in, size_t start, std::string* out, Unmappable mode,
                      ConversionStop* stop, size_t* replaced, bool from_utf8) {
  iconv_t cd = Descriptor(from_utf8);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    if (stop) *stop = ConversionStop{0, 0};
    return false;
  }
  const char* replacement = from_utf8 ? "?" : "\xEF\xBF\xBD";
  size_t count = 0;
  thread_local std::string buffer;
  buffer.resize(std::max(buffer.size(), in.size() * 2 + 16));
  char* in_at = const_cast<char*>(in.data()) + start;
  size_t in_left = in.size() - start;
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
  if (replaced) *replaced = count;
  return ok;
}

// The well-formed UTF-8 character of at most three bytes at the start of
// s (n bytes), as its code point and length; false for anything else.
bool DecodeBmp(const unsigned char* s, size_t n, uint32_t* cp, size_t* length) {
  const unsigned char c = s[0];
  if (c < 0x80) {
    *cp = c;
    *length = 1;
    return true;
  }
  auto continues = [](unsigned char b) { return (b & 0xC0) == 0x80; };
  if (c >= 0xC2 && c <= 0xDF) {
    if (n < 2 || !continues(s[1])) return false;
    *cp = (c & 0x1Fu) << 6 | (s[1] & 0x3Fu);
    *length = 2;
    return true;
  }
  if (c >= 0xE0 && c <= 0xEF) {
    if (n < 3 || !continues(s[1]) || !continues(s[2])) return false;
    const uint32_t v = (c & 0x0Fu) << 12 | (s[1] & 0x3Fu) << 6 | (s[2] & 0x3Fu);
    if (v < 0x800 || (v >= 0xD800 && v <= 0xDFFF)) return false;  // overlong, surrogate
    *cp = v;
    *length = 3;
    return true;
  }
  return false;
}

// The GBK character at the start of s (n bytes), as its code (the byte
// itself below 0x80, lead and trail byte above) and length; false for
// anything else.
bool DecodeGbk(const unsigned char* s, size_t n, uint32_t* code, size_t* length) {
  *length = GbkCharLength(s, n);
  if (*length == 1) {
    *code = s[0];
    return s[0] < 0x80;
  }
  *code = static_cast<uint32_t>(s[0]) << 8 | s[1];
  return true;
}

// What each character of one direction becomes in the other code page,
// learnt from iconv at its first use on a thread: converting a short
// abstract's fields and keywords through iconv cost about a sixteenth of
// its keyword extraction, and an abstract uses the same few hundred
// characters as the next one.
// iconv stays the authority: every entry is its answer for the character
// alone, which is its answer inside a text too, as neither direction keeps
// any state from one character to the next.
class RememberedChars {
 public:
  explicit RememberedChars(bool from_utf8) : from_utf8_(from_utf8) {
    if (table_ == nullptr) throw std::bad_alloc();
  }

  // Entries are zero before Learn, so that the table can come from
  // calloc's untouched pages: filling 256 KB a direction cost a process
  // a hundred page faults before its first article, where an abstract
  // touches a few dozen of the pages.
  static constexpr uint32_t kUnknown = 0;
  static constexpr uint32_t kRefused = 1;  // no character has 0 bytes

  // The converted bytes of the character numbered key: their count in the
  // top byte, the bytes below it, first byte highest; kRefused when iconv
  // refuses the character, kUnknown before Learn.
  uint32_t Find(uint32_t key) const { return table_[key]; }
  // Asks iconv about the character numbered key, whose own bytes are
  // text (length bytes).
  uint32_t Learn(uint32_t key, const char* text, size_t length) {
    return table_[key] = Ask(text, length);
  }

  // Writes the bytes of an entry other than kRefused and kUnknown at out and
  // returns how many.
  static size_t Write(uint32_t entry, char* out) {
    const uint32_t count = entry >> 24;
    for (uint32_t i = 0; i < count; ++i) {
      out[i] = static_cast<char>(entry >> (8 * (count - 1 - i)) & 0xFF);
    }
    return count;
  }

 private:
  uint32_t Ask(const char* text, size_t length) const {
    iconv_t cd = Descriptor(from_utf8_);
    if (cd == reinterpret_cast<iconv_t>(-1)) return kRefused;
    char bytes[8];
    char* in_at = const_cast<char*>(text);
    size_t in_left = length;
    char* out_at = bytes;
    size_t out_left = sizeof bytes;
    if (iconv(cd, &in_at, &in_left, &out_at, &out_left) == static_cast<size_t>(-1) || in_left != 0) return kRefused;
    const size_t n = sizeof bytes - out_left;
    // Left to the plain conversion: what would not fit the room
    // ConvertRemembering makes for a character of this length.
    if (n == 0 || n > 3 || n > (from_utf8_ ? length : length + length / 2)) return kRefused;
    uint32_t entry = static_cast<uint32_t>(n) << 24;
    for (size_t i = 0; i < n; ++i) {
      entry |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * (n - 1 - i));
    }
    return entry;
  }

  bool from_utf8_;
  struct Free {
    void operator()(uint32_t* p) const { std::free(p); }
  };
  std::unique_ptr<uint32_t[], Free> table_{static_cast<uint32_t*>(std::calloc(0x10000, sizeof(uint32_t)))};
};

// Characters a text may teach RememberedChars: asking iconv about one
// character costs as much as converting a few dozen in a row, so a long
// text of new ones (the code page's whole table, once at start-up) goes
// on in one conversion instead.
constexpr int kLearntPerText = 64;

// The characters RememberedChars knows or learns are converted through
// it; from the first one it cannot (a broken sequence, a character the
// other code page lacks, one beyond the plane, a new one past the text's
// share) iconv converts the rest, which gives what it would have given
// for the whole text, errors and replacements included.
bool ConvertRemembering(const std::string& in, std::string* out, Unmappable mode, ConversionStop* stop,
                        size_t* replaced, bool from_utf8) {
  out->clear();
  if (!Slot(from_utf8).ok()) {
    if (stop) *stop = ConversionStop{0, 0};
    return false;
  }
  thread_local RememberedChars to_gbk(true), to_utf8(false);
  RememberedChars& known = from_utf8 ? to_gbk : to_utf8;
  const auto decode = from_utf8 ? DecodeBmp : DecodeGbk;
  const auto* s = reinterpret_cast<const unsigned char*>(in.data());
  const size_t size = in.size();
  // No character grows from UTF-8 to GBK; from GBK to UTF-8 two bytes
  // become three at most.
  out->resize(from_utf8 ? size : size + size / 2 + 1);
  size_t written = 0;
  size_t at = 0;
  int learnt = 0;
  while (at < size) {
    uint32_t key = 0;
    size_t length = 0;
    if (!decode(s + at, size - at, &key, &length)) break;
    uint32_t entry = known.Find(key);
    if (entry == RememberedChars::kUnknown) {
      if (learnt++ == kLearntPerText) break;
      entry = known.Learn(key, in.data() + at, length);
    }
    if (entry == RememberedChars::kRefused) break;
    written += RememberedChars::Write(entry, &(*out)[written]);
    at += length;
  }
  out->resize(written);
  if (at == size) {
    if (replaced) *replaced = 0;
    return true;
  }
  return ConvertIconvFrom(in, at, out, mode, stop, replaced, from_utf8);
}
#endif

}  // namespace

bool Utf8ToGbk(const std::string& in, std::string* out, Unmappable mode, ConversionStop* stop,
               size_t* replaced) {
#ifdef _WIN32
  return ConvertWindows(in, out, mode, stop, replaced, true);
#else
  return ConvertRemembering(in, out, mode, stop, replaced, true);
#endif
}

bool GbkToUtf8(const std::string& in, std::string* out, Unmappable mode, ConversionStop* stop,
               size_t* replaced) {
#ifdef _WIN32
  return ConvertWindows(in, out, mode, stop, replaced, false);
#else
  return ConvertRemembering(in, out, mode, stop, replaced, false);
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

void* LibraryFunction(const char* library, const char* name, std::string* error) {
#ifdef _WIN32
  HMODULE module = LoadLibraryA(library);
  if (module == nullptr) {
    *error = std::string("cannot load ") + library + " (error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  void* function = reinterpret_cast<void*>(GetProcAddress(module, name));
  if (function == nullptr) *error = std::string(library) + " has no " + name;
  return function;
#else
  void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();  // names the library
    *error = why != nullptr ? std::string(why) : std::string("cannot load ") + library;
    return nullptr;
  }
  void* function = dlsym(handle, name);
  if (function == nullptr) *error = std::string(library) + " has no " + name;
  return function;
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

bool ReadLineBytes(std::FILE* stream, std::string* line, size_t limit) {
  line->clear();
#ifdef _WIN32
  auto next = [stream] { return std::getc(stream); };
#else
  // The stream is locked once for the line rather than once for each of
  // its thousand-odd bytes, which cost as much as parsing its JSON.
  flockfile(stream);
  auto next = [stream] { return getc_unlocked(stream); };
#endif
  int c = next();
  const bool any = c != EOF;
  while (c != EOF && c != '\n') {
    if (line->size() <= limit) line->push_back(static_cast<char>(c));
    c = next();
  }
#ifndef _WIN32
  funlockfile(stream);
#endif
  return any;
}

void IgnoreBrokenPipes() {
#ifndef _WIN32
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

namespace {

// The registry the signal handler reads: fixed slots, filled before they
// are marked used, so that a handler never sees half a path and never
// needs the heap.
constexpr int kFolderSlots = 8;
constexpr size_t kFolderPathMax = 4096;
struct FolderSlot {
  volatile std::sig_atomic_t used = 0;
  char path[kFolderPathMax] = {};
};
FolderSlot g_folders[kFolderSlots];

#ifndef _WIN32
constexpr int kChildSlots = 512;
volatile pid_t g_children[kChildSlots] = {};

void RememberChild(pid_t pid) {
  for (int i = 0; i < kChildSlots; ++i) {
    if (g_children[i] == 0) {
      g_children[i] = pid;
      return;
    }
  }
}

void ForgetChild(pid_t pid) {
  for (int i = 0; i < kChildSlots; ++i) {
    if (g_children[i] == pid) g_children[i] = 0;
  }
}

// Empties the folder open as fd, depth levels deep, with system calls
// only: the handler may have interrupted malloc, so opendir is out.
void EmptyFolder(int fd, int depth) {
  struct Entry {
    uint64_t inode;
    int64_t offset;
    unsigned short length;
    unsigned char type;
    char name[1];
  };
  alignas(8) char buffer[4096];
  // Entries removed while reading may be listed again or skipped; a few
  // passes settle it.
  for (int pass = 0; pass < 4; ++pass) {
    bool any = false;
    ::lseek(fd, 0, SEEK_SET);
    for (;;) {
      const long n = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
      if (n <= 0) break;
      for (long at = 0; at < n;) {
        const Entry* e = reinterpret_cast<const Entry*>(buffer + at);
        at += e->length;
        const char* name = e->name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        any = true;
        if (::unlinkat(fd, name, 0) == 0) continue;
        if (depth <= 0) continue;
        const int sub = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub < 0) continue;
        EmptyFolder(sub, depth - 1);
        ::close(sub);
        ::unlinkat(fd, name, AT_REMOVEDIR);
      }
    }
    if (!any) break;
  }
}

void RemoveFolderNow(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) {
    EmptyFolder(fd, 3);
    ::close(fd);
  }
  ::rmdir(path);
}

// The crash signals too: a sanitizer that handles them has its handler in
// place already, which is left alone.
const int kStopSignals[] = {SIGINT,  SIGTERM, SIGHUP, SIGPIPE, SIGQUIT,
                            SIGABRT, SIGSEGV, SIGBUS, SIGFPE,  SIGILL};

extern "C" void OnStopSignal(int sig) {
  const int saved = errno;
  for (int i = 0; i < kChildSlots; ++i) {
    if (g_children[i] > 0) ::kill(g_children[i], SIGKILL);
  }
  for (int i = 0; i < kChildSlots; ++i) {
    const pid_t pid = g_children[i];
    if (pid > 0) {
      while (::waitpid(pid, nullptr, 0) == -1 && errno == EINTR) {
      }
    }
  }
  for (FolderSlot& slot : g_folders) {
    if (slot.used) RemoveFolderNow(slot.path);
  }
  errno = saved;
  std::signal(sig, SIG_DFL);
  ::raise(sig);
}

void InstallStopHandlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  for (int sig : kStopSignals) {
    struct sigaction old {};
    if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Every stop signal waits while one is handled: two handlers at once
    // would remove the same folders.
    for (int other : kStopSignals) sigaddset(&action.sa_mask, other);
    ::sigaction(sig, &action, nullptr);
  }
}
#else
std::mutex g_folder_mutex;

BOOL WINAPI OnConsoleStop(DWORD) {
  std::lock_guard<std::mutex> lock(g_folder_mutex);
  for (FolderSlot& slot : g_folders) {
    if (!slot.used) continue;
    // A folder that is the current directory cannot be removed.
    std::error_code ec;
    const std::filesystem::path folder(slot.path);
    std::filesystem::current_path(folder.parent_path(), ec);
    std::filesystem::remove_all(folder, ec);
  }
  return FALSE;  // and the default handler ends the program
}

void InstallStopHandlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  SetConsoleCtrlHandler(OnConsoleStop, TRUE);
}
#endif

}  // namespace

bool RemoveFolderOnSignal(const std::string& folder) {
  if (folder.empty() || folder.size() >= kFolderPathMax) return false;
#ifdef _WIN32
  std::lock_guard<std::mutex> lock(g_folder_mutex);
#endif
  InstallStopHandlers();
  for (FolderSlot& slot : g_folders) {
    if (slot.used) continue;
    std::memcpy(slot.path, folder.c_str(), folder.size() + 1);
    slot.used = 1;
    return true;
  }
  return false;
}

void ForgetFolderOnSignal(const std::string& folder) {
#ifdef _WIN32
  std::lock_guard<std::mutex> lock(g_folder_mutex);
#endif
  for (FolderSlot& slot : g_folders) {
    if (slot.used && folder == slot.path) slot.used = 0;
  }
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
  RememberChild(pid);
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
  ForgetChild(static_cast<pid_t>(id_));
  id_ = -1;
  signal_ = r != -1 && WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  if (r == -1 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}
#endif

}  // namespace tarnix
