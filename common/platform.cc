#include "platform.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <limits>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

#include "profile.h"
#endif

namespace tarnix {

std::string LocalTimeText() {
  const std::time_t now = std::time(nullptr);
  // Worked out once a second by each thread: a call of the library writes
  // five lines of the run log within the same second, and the conversion
  // to local time and the formatting were a seventieth of a short
  // article's call.
  struct Formatted {
    std::time_t at;
    bool valid;
    char text[64];
  };
  thread_local Formatted last{0, false, {}};
  if (last.valid && last.at == now) return last.text;
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
  std::snprintf(last.text, sizeof last.text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d", kDays[tm.tm_wday % 7],
                kMonths[tm.tm_mon % 12], tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_year + 1900);
  last.at = now;
  last.valid = true;
  return last.text;
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

bool Utf8ToGbkText(const std::string& utf8, std::string* gbk) {
  gbk->clear();
  if (utf8.empty()) return true;
#ifdef _WIN32
  const int wide_length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                              static_cast<int>(utf8.size()), nullptr, 0);
  if (wide_length <= 0) return false;
  std::wstring wide(static_cast<size_t>(wide_length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                      &wide[0], wide_length);
  BOOL defaulted = FALSE;
  const int length = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), wide_length, nullptr, 0,
                                         nullptr, &defaulted);
  if (length <= 0 || defaulted) return false;
  gbk->resize(static_cast<size_t>(length));
  WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), wide_length, &(*gbk)[0], length, nullptr,
                      &defaulted);
  return !defaulted;
#else
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  // A GBK character is never longer than its UTF-8 form.
  gbk->resize(utf8.size());
  char* in = const_cast<char*>(utf8.data());
  size_t in_left = utf8.size();
  char* out = &(*gbk)[0];
  size_t out_left = gbk->size();
  const bool ok = iconv(cd, &in, &in_left, &out, &out_left) != static_cast<size_t>(-1) && in_left == 0;
  iconv_close(cd);
  gbk->resize(ok ? gbk->size() - out_left : 0);
  return ok;
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

namespace tarnix {

#ifdef _WIN32

void* AllocateLargeBlock(size_t bytes) {
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreeLargeBlock(void* block, size_t) {
  if (block != nullptr) VirtualFree(block, 0, MEM_RELEASE);
}

#else

namespace {
constexpr size_t kHugePage = size_t{2} << 20;

// A block ends on a huge-page boundary too: a tail in small pages cost a
// fault for every 4 KB of it (the kept full-text tables' 0.4 MB tail, a
// hundred faults at a process's first article).
size_t WholeHugePages(size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }
}  // namespace

void* AllocateLargeBlock(size_t requested) {
  const size_t bytes = WholeHugePages(requested);
  if (bytes < requested || bytes > std::numeric_limits<size_t>::max() - kHugePage) return nullptr;  // wraps round
  // Reserve a huge page more than that, so that the block can start on a
  // huge-page boundary, and give the ends back.
  const size_t reserved = bytes + kHugePage;
  void* p = mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<uintptr_t>(p);
  const uintptr_t aligned = (start + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
  if (aligned > start) munmap(p, aligned - start);
  const size_t tail = reserved - (aligned - start) - bytes;
  if (tail > 0) munmap(reinterpret_cast<void*>(aligned + bytes), tail);
#ifdef MADV_HUGEPAGE
  madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);  // a hint: failure changes nothing
#endif
  return reinterpret_cast<void*>(aligned);
}

void FreeLargeBlock(void* block, size_t bytes) {
  if (block != nullptr) munmap(block, WholeHugePages(bytes));
}

#endif

}  // namespace tarnix

namespace tarnix {

#ifdef _WIN32
std::unique_ptr<MappedFile> MappedFile::Open(const std::string& path, std::string* error) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = "cannot open " + path;
    return nullptr;
  }
  std::unique_ptr<MappedFile> mapped(new MappedFile());
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(file, &size) != 0;
  if (ok && static_cast<uint64_t>(size.QuadPart) > SIZE_MAX / 2) {
    *error = path + ": too large to map";
    CloseHandle(file);
    return nullptr;
  }
  if (ok && size.QuadPart > 0) {
    // The mapping object keeps the file open; the file handle is not needed.
    mapped->mapping_ = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ok = mapped->mapping_ != nullptr;
    if (ok) {
      mapped->data_ = static_cast<const char*>(MapViewOfFile(mapped->mapping_, FILE_MAP_READ, 0, 0, 0));
      ok = mapped->data_ != nullptr;
      mapped->size_ = static_cast<size_t>(size.QuadPart);
    }
  }
  CloseHandle(file);
  if (!ok) {
    *error = "cannot map " + path;
    return nullptr;
  }
  return mapped;
}

MappedFile::~MappedFile() {
  if (data_ != nullptr) UnmapViewOfFile(data_);
  if (mapping_ != nullptr) CloseHandle(mapping_);
}
#else
std::unique_ptr<MappedFile> MappedFile::Open(const std::string& path, std::string* error) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = "cannot open " + path;
    return nullptr;
  }
  std::unique_ptr<MappedFile> mapped(new MappedFile());
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok && st.st_size > 0) {
    void* p = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
    ok = p != MAP_FAILED;
    if (ok) {
      mapped->data_ = static_cast<const char*>(p);
      mapped->size_ = static_cast<size_t>(st.st_size);
    }
  }
  close(fd);  // the mapping keeps the file
  if (!ok) {
    *error = "cannot map " + path;
    return nullptr;
  }
  return mapped;
}

MappedFile::~MappedFile() {
  if (data_ != nullptr) munmap(const_cast<char*>(data_), size_);
}
#endif

}  // namespace tarnix
