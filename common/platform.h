// Everything that differs between 64-bit Linux and 32-bit Windows lives
// here: local time, paths, file stamps, mapped files, the profile-string
// reader and the folder of a loaded module.
#ifndef TARNIX_COMMON_PLATFORM_H_
#define TARNIX_COMMON_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tarnix {

// The current local time as the 24-character ctime text without its line
// end: "Www Mmm dd hh:mm:ss yyyy".
std::string LocalTimeText();

// The configuration paths are written Windows-style (".\Tarnix.ini");
// elsewhere the backslashes become slashes, so they name the same files in
// the current directory.
std::string NativePath(const char* path);

// What identifies one version of a file on disk.
struct FileStamp {
  int64_t mtime_ns = 0;
  int64_t size = 0;
  bool operator==(const FileStamp& o) const { return mtime_ns == o.mtime_ns && size == o.size; }
};

// False when the file does not exist or is not a regular file.
bool StampFile(const std::string& native_path, FileStamp* stamp);

// A whole file mapped read-only. Its pages come from the system's file
// cache, so every process that maps the same file shares them, and only
// the pages read are ever brought in. Whoever replaces the file must write
// a new one and rename it over the old: a file cut short under a mapping
// faults its readers.
class MappedFile {
 public:
  // Null with *error set when the file cannot be opened or mapped. An empty
  // file maps to no bytes.
  static std::unique_ptr<MappedFile> Open(const std::string& path, std::string* error);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  const char* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  MappedFile() = default;
  const char* data_ = nullptr;
  size_t size_ = 0;
#ifdef _WIN32
  void* mapping_ = nullptr;  // the file-mapping object's handle
#endif
};

// Memory for a large table set up once and kept: the system's own pages,
// on Linux in huge pages where the system allows them, so that setting up a
// table of megabytes takes a few page faults instead of one for every 4 KB.
// Null when the memory is not to be had. FreeLargeBlock takes the pointer
// and the size given to AllocateLargeBlock.
void* AllocateLargeBlock(size_t bytes);
void FreeLargeBlock(void* block, size_t bytes);

// The platform's profile reader: GetPrivateProfileStringA on Windows, the
// portable reader of profile.h elsewhere. Same arguments, same result.
uint32_t ReadProfileString(const char* section, const char* key, const char* default_value,
                           char* buffer, uint32_t size, const char* file);

// Appends text to the file, created when missing: opened for this one
// write, written, flushed and closed. kNotOpened when the file cannot be
// opened, kNotWritten when the text did not all reach it.
enum class AppendResult { kWritten, kNotOpened, kNotWritten };
AppendResult AppendToFile(const char* path, const std::string& text);

// UTF-8 to GBK (code page 936), all or nothing: false when a character has
// no GBK form. The word lists users give are UTF-8 and the engines work in
// GBK (word_list.h checks the UTF-8 itself, so that a bad byte and a
// character GBK lacks get messages of their own).
bool Utf8ToGbkText(const std::string& utf8, std::string* gbk);

// The separator the platform writes between folder and file names.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The folder of the shared library (or program) whose code holds address,
// without a trailing separator; "." when the file name has no folder, empty
// when the module cannot be found. The engines pass the address of one of
// their own functions to find the data installed beside them.
std::string ModuleFolderOf(const void* address);

}  // namespace tarnix

#endif  // TARNIX_COMMON_PLATFORM_H_
