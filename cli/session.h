// The library as the tarnix command drives it: Tarnix_Initial once,
// Tarnix_Direct per article, Word_Normal or Word_Normal_Ten when asked,
// Tarnix_FreeDict at the end; in a working directory of its own, where the
// library writes its run log and reads its configuration.
#ifndef TARNIX_CLI_SESSION_H_
#define TARNIX_CLI_SESSION_H_

#include <memory>
#include <string>
#include <vector>

#include "article.h"
#include "tarnix/tarnix.h"
#include "word_list.h"

namespace tarnix {
namespace cli {

enum class Normalise { kNone, kSum, kTen };

// How every article of a run is extracted.
struct ExtractSettings {
  int class_mode = 1;  // 0, 1, or 2 for none
  bool floor_weights = false;
  Normalise normalise = Normalise::kNone;
  int top = 20;  // 0 = every keyword
  Unmappable unmappable = Unmappable::kFail;
  // --user-dict and --stop-words, absolute; empty for none.
  std::string user_dict;
  std::string stop_words;
};

// One keyword of the library's list, its texts in UTF-8.
struct Keyword {
  std::string text;
  std::string second;
  std::string class_code;
  int frequency = 0;
  double weight = 0.0;
};

// Whether the user's word files of settings can be read; false with
// "cannot read FILE: why". Checked before any engine starts, so that a
// mistyped name stops the run with one message.
bool CheckWordFiles(const ExtractSettings& settings, std::string* error);

// A new folder tarnix-N in the system's temporary directory, removed when
// this goes out of scope or a signal stops the program (platform.h).
class TemporaryFolder {
 public:
  TemporaryFolder() = default;
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  ~TemporaryFolder() { Remove(); }
  bool Make(std::string* error);
  void Remove();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class Session {
 public:
  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  // Frees the engines, returns to the directory it started in and removes
  // a temporary working directory.
  ~Session();

  // Moves into work_dir (made when missing), or into a new temporary
  // directory when work_dir is empty, and prepares the engines for both
  // languages.
  bool Open(const std::string& work_dir, std::string* error) { return Open(work_dir, ExtractSettings(), error); }
  // The same, and the engines are told of the user dictionary and the
  // stop words of settings through their INI files in the working
  // directory, which get their old content back when the session ends.
  bool Open(const std::string& work_dir, const ExtractSettings& settings, std::string* error);

  // Runs one article; false with a message (the run log's last lines for
  // a failure inside the library).
  bool Extract(const LibraryArticle& article, const ExtractSettings& settings,
               std::vector<Keyword>* keywords, std::string* error);

  const std::string& work_dir() const { return work_dir_; }

 private:
  std::string LogSince(unsigned long long offset, size_t lines) const;
  bool SetIniKey(const char* file, const char* section, const char* key, const std::string& value,
                 std::string* error);
  void RestoreIniFiles();
  unsigned long long LogSize() const;

  std::string start_dir_;
  std::string work_dir_;
  TemporaryFolder temporary_;
  bool initialised_ = false;
  // INI files changed by Open: name, whether it existed, its old content.
  struct SavedIni {
    std::string file;
    bool existed;
    std::string content;
  };
  std::vector<SavedIni> saved_ini_;
  // Reused: the library's list is large (10,050 records, 5 MB). Left
  // uninitialised: the library writes the records it reports and the
  // command reads no others, so a process touches only those pages.
  std::unique_ptr<KeywordEntry[]> list_;
  // The user's stop words: Extend_KVR proposes none, but the library adds
  // words of its own (a Chinese title's English words).
  std::shared_ptr<const StopWords> stop_words_;
};

}  // namespace cli
}  // namespace tarnix

#endif  // TARNIX_CLI_SESSION_H_
