#include "session.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "tarnix/tarnix.h"

namespace tarnix {
namespace cli {
namespace {

namespace fs = std::filesystem;

constexpr char kLogFile[] = "Tarnix_Log.log";
constexpr size_t kLogLines = 6;

const char* InitialFailure(int result) {
  switch (result) {
    case 1: return "the classification engine finds no data folder";
    case 2: return "the classification engine cannot load its data";
    case 3: return "the similar-word dictionary cannot be loaded";
    case 4: return "the English general-word dictionary cannot be loaded";
    default: return "the engines cannot be prepared";
  }
}

std::string MakeTemporaryDirectory(std::string* error) {
  std::error_code ec;
  const fs::path base = fs::temp_directory_path(ec);
  if (ec) {
    *error = "no temporary directory: " + ec.message();
    return std::string();
  }
  std::mt19937_64 random(static_cast<unsigned long long>(
      std::chrono::steady_clock::now().time_since_epoch().count()) ^ std::random_device{}());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path dir = base / ("tarnix-" + std::to_string(random() % 1000000000ULL));
    if (fs::create_directory(dir, ec)) return dir.string();
    if (ec) break;
  }
  *error = "cannot make a temporary directory in " + base.string() +
           (ec ? ": " + ec.message() : std::string());
  return std::string();
}

}  // namespace

bool TemporaryFolder::Make(std::string* error) {
  Remove();
  path_ = MakeTemporaryDirectory(error);
  if (path_.empty()) return false;
  if (!RemoveFolderOnSignal(path_)) {
    Remove();
    *error = "too many temporary folders at once";
    return false;
  }
  return true;
}

void TemporaryFolder::Remove() {
  if (path_.empty()) return;
  std::error_code ec;
  fs::remove_all(path_, ec);
  ForgetFolderOnSignal(path_);
  path_.clear();
}

namespace {

std::string ToUtf8Lossy(const std::string& gbk) {
  std::string out;
  GbkToUtf8(gbk, &out, Unmappable::kReplace, nullptr);
  return out;
}

}  // namespace

namespace {

// The name of a section header line as the profile readers compare it
// (blanks dropped, ASCII case folded), or "" for any other line.
std::string SectionName(const std::string& line) {
  std::string name;
  for (char c : line) {
    if (c == ' ' || c == '\t' || c == '\r') continue;
    name += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  if (name.size() < 2 || name.front() != '[' || name.back() != ']') return std::string();
  return name;
}

}  // namespace

bool CheckWordFiles(const ExtractSettings& settings, std::string* error) {
  for (const std::string* file : {&settings.user_dict, &settings.stop_words}) {
    if (file->empty()) continue;
    std::FILE* f = std::fopen(file->c_str(), "rb");
    if (f == nullptr) {
      *error = "cannot read " + *file + ": " + std::strerror(errno);
      return false;
    }
    std::fclose(f);
  }
  return true;
}

Session::~Session() {
  if (initialised_) Tarnix_FreeDict();
  RestoreIniFiles();
  std::error_code ec;
  if (!start_dir_.empty()) fs::current_path(start_dir_, ec);
  temporary_.Remove();
}

bool Session::SetIniKey(const char* file, const char* section, const char* key, const std::string& value,
                        std::string* error) {
  std::string content;
  std::ifstream in(file, std::ios::binary);
  const bool existed = static_cast<bool>(in);
  if (existed) content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  in.close();
  saved_ini_.push_back(SavedIni{file, existed, content});
  // The key goes first in its section (where the readers find it before
  // any older line of the same key), and the section is added when missing.
  const std::string header = std::string("[") + section + "]";
  const std::string line = std::string(key) + "=" + value + "\n";
  std::string updated;
  size_t at = 0;
  bool placed = false;
  while (at < content.size()) {
    size_t end = content.find('\n', at);
    end = end == std::string::npos ? content.size() : end + 1;
    std::string current = content.substr(at, end - at);
    updated += current;
    if (current.back() != '\n') updated += '\n';
    while (!current.empty() && (current.back() == '\n' || current.back() == '\r')) current.pop_back();
    if (!placed && SectionName(current) == SectionName(header)) {
      updated += line;
      placed = true;
    }
    at = end;
  }
  if (!placed) updated += header + "\n" + line;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!(out << updated) || !out.flush()) {
    *error = std::string("cannot write ") + file + " in " + work_dir_;
    return false;
  }
  return true;
}

void Session::RestoreIniFiles() {
  // Last change first, so that a file changed twice ends as it began.
  for (auto it = saved_ini_.rbegin(); it != saved_ini_.rend(); ++it) {
    std::error_code ec;
    const fs::path path = fs::path(work_dir_) / it->file;
    if (!it->existed) {
      fs::remove(path, ec);
    } else {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out << it->content;
    }
  }
  saved_ini_.clear();
}

bool Session::Open(const std::string& work_dir, const ExtractSettings& settings, std::string* error) {
  std::error_code ec;
  start_dir_ = fs::current_path(ec).string();
  // Named by the user: a file that cannot be read stops the run here, with
  // a message of ours rather than the engines' failure to start.
  if (!CheckWordFiles(settings, error)) return false;
  if (work_dir.empty()) {
    if (!temporary_.Make(error)) return false;
    work_dir_ = temporary_.path();
  } else {
    work_dir_ = fs::absolute(work_dir, ec).string();
    fs::create_directories(work_dir_, ec);
    if (!fs::is_directory(work_dir_)) {
      *error = "cannot use the working directory " + work_dir_;
      return false;
    }
  }
  fs::current_path(work_dir_, ec);
  if (ec) {
    *error = "cannot enter the working directory " + work_dir_ + ": " + ec.message();
    return false;
  }
  // The library reports a run log it cannot open on standard output, where
  // it would end up among the keywords (or in a worker's replies); a log
  // that cannot be written stops the run here instead.
  if (!std::ofstream(kLogFile, std::ios::app | std::ios::binary)) {
    *error = std::string("cannot write the run log ") + kLogFile + " in " + work_dir_;
    return false;
  }
  // The engines read their INI files in the working directory, so the
  // files are named there, with absolute paths. A --workdir may hold INI
  // files of its own: their other keys stay, and they get their content
  // back when the session ends.
  if (!settings.user_dict.empty() &&
      !SetIniKey("Lexmill.ini", "Lexmill", "user_dict", fs::absolute(settings.user_dict, ec).string(), error)) {
    return false;
  }
  if (!settings.stop_words.empty() &&
      !SetIniKey("EKVR.ini", "DictInfo", "stop_words", fs::absolute(settings.stop_words, ec).string(), error)) {
    return false;
  }
  if (!settings.stop_words.empty()) {
    std::vector<std::string> words, warnings;  // Extend_KVR reports the bad lines
    if (!ReadStopWords(settings.stop_words, &words, &warnings, error)) return false;
    stop_words_ = std::make_shared<const StopWords>(words);
  }
  // Both languages are loaded whatever the input holds, so that an
  // article's keywords do not depend on the articles before it.
  const unsigned long long before = LogSize();
  int result = Tarnix_Initial(1, true);
  if (result == 0) result = Tarnix_Initial(2, false);
  initialised_ = true;
  if (result != 0) {
    *error = std::string("the library cannot start: ") + InitialFailure(result) + " (result " +
             std::to_string(result) + ")" + LogSince(before, kLogLines);
    return false;
  }
  return true;
}

unsigned long long Session::LogSize() const {
  std::error_code ec;
  const auto size = fs::file_size(kLogFile, ec);
  return ec ? 0 : static_cast<unsigned long long>(size);
}

std::string Session::LogSince(unsigned long long offset, size_t lines) const {
  std::ifstream in(kLogFile, std::ios::binary);
  if (!in) return std::string();
  in.seekg(static_cast<std::streamoff>(offset));
  std::vector<std::string> tail;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    tail.push_back(line);
    if (tail.size() > lines) tail.erase(tail.begin());
  }
  if (tail.empty()) return std::string();
  std::string text = "; the run log (" + work_dir_ + "/" + kLogFile + ") ends with:";
  for (const std::string& l : tail) text += "\n  " + ToUtf8Lossy(l);
  return text;
}

namespace {

// Moves the keywords that are not listed to the front; their number.
int DropStopWords(const StopWords& stop_words, KeywordEntry* list, int count) {
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    list[i].keyword_text[sizeof list[i].keyword_text - 1] = '\0';
    if (stop_words.Contains(list[i].keyword_text)) continue;
    if (kept != i) list[kept] = list[i];
    ++kept;
  }
  return kept;
}

}  // namespace

bool Session::Extract(const LibraryArticle& article, const ExtractSettings& settings,
                      std::vector<Keyword>* keywords, std::string* error) {
  keywords->clear();
  // The library needs at least TARNIX_MIN_BUFFER records; the list can
  // never be longer than the full-text and abstract tables together.
  constexpr int kCapacity = 10050;
  if (list_ == nullptr) list_.reset(new KeywordEntry[kCapacity]);
  KeywordEntry* const list = list_.get();
  int count = kCapacity;
  const unsigned long long before = LogSize();
  const int class_mode = settings.class_mode == 0 || settings.class_mode == 1 ? settings.class_mode : 2;
  const int result = Tarnix_Direct(
      article.field[kTitle].c_str(), article.field[kAbstract].c_str(),
      article.field[kKeywords].c_str(), article.field[kText].c_str(),
      article.field[kJournal].c_str(), article.field[kClass].c_str(), list, &count,
      article.type, class_mode, settings.floor_weights ? 1 : 0);
  if (result != TARNIX_OK) {
    *error = "the library failed on this article (result " + std::to_string(result) + ")" +
             LogSince(before, kLogLines);
    return false;
  }
  if (count < 0 || count > kCapacity) {
    *error = "the library returned an impossible keyword count " + std::to_string(count);
    return false;
  }
  if (stop_words_) count = DropStopWords(*stop_words_, list, count);
  if (settings.top > 0 && count > settings.top) count = settings.top;
  if (settings.normalise == Normalise::kSum && Word_Normal(list, &count) != 0) {
    *error = "Word_Normal failed" + LogSince(before, kLogLines);
    return false;
  }
  if (settings.normalise == Normalise::kTen && Word_Normal_Ten(list, &count) != 0) {
    *error = "Word_Normal_Ten failed" + LogSince(before, kLogLines);
    return false;
  }
  for (int i = 0; i < count; ++i) {
    KeywordEntry& e = list[static_cast<size_t>(i)];
    // The texts are NUL-terminated within their fields; the last byte is
    // forced so that a full field cannot run on.
    e.keyword_text[sizeof e.keyword_text - 1] = '\0';
    e.second_text[sizeof e.second_text - 1] = '\0';
    e.class_code[sizeof e.class_code - 1] = '\0';
    Keyword k;
    k.text = ToUtf8Lossy(e.keyword_text);
    k.second = ToUtf8Lossy(e.second_text);
    // --class-mode none: the library still fills in codes; none are shown.
    if (settings.class_mode == 0 || settings.class_mode == 1) k.class_code = ToUtf8Lossy(e.class_code);
    k.frequency = e.frequency;
    k.weight = e.weight;
    keywords->push_back(std::move(k));
  }
  return true;
}

}  // namespace cli
}  // namespace tarnix
