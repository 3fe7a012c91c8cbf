#include "profile.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform.h"
#include "text.h"

namespace tarnix {
namespace {

struct ProfileKey {
  std::string name;
  bool has_value = false;
  std::string value;
};

struct ProfileSection {
  std::string name;
  std::vector<ProfileKey> keys;
};

struct ParsedProfile {
  FileStamp stamp;
  bool settled = false;  // the file was old enough when read to trust its stamp
  std::vector<ProfileSection> sections;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1a;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// There is no comment syntax: a line such as "; k=v" is a key named "; k"
// that no caller asks for, which is all a comment needs.
std::vector<ProfileSection> Parse(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<ProfileSection> sections(1);  // keys before any header
  while (!text.empty()) {
    // A lone carriage return ends a line too (files from old Macs).
    size_t end = text.find_first_of("\r\n");
    std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty()) continue;
    if (line.front() == '[') {
      size_t close = line.rfind(']');
      if (close != std::string_view::npos && close > 0) {
        sections.push_back(ProfileSection{std::string(Trim(line.substr(1, close - 1))), {}});
        continue;
      }
    }
    ProfileKey key;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      key.name = std::string(line);
    } else {
      key.name = std::string(Trim(line.substr(0, eq)));
      key.has_value = true;
      key.value = std::string(Trim(line.substr(eq + 1)));
    }
    sections.back().keys.push_back(std::move(key));
  }
  return sections;
}

// Checks of the files' stamps: 0 outside a ProfileCheckScope, else the
// scope's number, so that a file checked in this scope is not checked
// again.
thread_local uint64_t current_check = 0;
thread_local uint64_t last_check = 0;
thread_local int scope_depth = 0;

// Two seconds: coarser than any file system's time stamps.
constexpr int64_t kSettledNs = 2'000'000'000;

int64_t WallClockNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

struct CachedProfile {
  std::unique_ptr<ParsedProfile> parsed;  // null: the file could not be read
  uint64_t checked = 0;
};

// The parsed file of `path`, re-read whenever its stamp changes; null when
// the file cannot be read.
const ParsedProfile* Load(const std::string& path) {
  thread_local std::unordered_map<std::string, CachedProfile> cache;
  auto it = cache.find(path);
  if (it != cache.end() && current_check != 0 && it->second.checked == current_check) {
    return it->second.parsed.get();
  }
  CachedProfile& entry = it != cache.end() ? it->second : cache[path];
  entry.checked = current_check;
  FileStamp stamp;
  if (!StampFile(path, &stamp)) {
    entry.parsed.reset();
    return nullptr;
  }
  // A copy read while the file was younger than the clock's granularity
  // may predate a second write in the same tick, of the same size, which
  // the stamp would not tell apart: such a copy is read again.
  if (entry.parsed && entry.parsed->stamp == stamp && entry.parsed->settled) return entry.parsed.get();
  entry.parsed.reset();
  std::ifstream in(path, std::ios::binary);
  if (!in) return nullptr;
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto parsed = std::make_unique<ParsedProfile>();
  parsed->stamp = stamp;
  parsed->settled = WallClockNs() - stamp.mtime_ns >= kSettledNs;
  parsed->sections = Parse(content);
  entry.parsed = std::move(parsed);
  return entry.parsed.get();
}

const ProfileKey* Find(const ParsedProfile& profile, std::string_view section, std::string_view key) {
  for (const ProfileSection& s : profile.sections) {
    if (!SameName(s.name, section)) continue;
    for (const ProfileKey& k : s.keys) {
      if (SameName(k.name, key)) return &k;
    }
    return nullptr;  // only the first section of a name is searched
  }
  return nullptr;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

uint32_t PortableProfileString(const char* section, const char* key, const char* default_value,
                               char* buffer, uint32_t size, const char* file) {
  if (buffer == nullptr || size == 0) return 0;
  std::string_view fallback = default_value ? default_value : "";
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
  if (section == nullptr || key == nullptr) {
    buffer[0] = '\0';
    return 0;
  }
  // The default loses its quotes like a value read from the file.
  std::string_view result = Unquote(fallback);
  if (const ParsedProfile* profile = Load(NativePath(file))) {
    // An empty name finds a line "=value": names are compared after trimming.
    const ProfileKey* found = Find(*profile, Trim(section), Trim(key));
    if (found && found->has_value) result = Unquote(found->value);
  }
  return static_cast<uint32_t>(CopyText(buffer, size, result));
}

ProfileCheckScope::ProfileCheckScope() {
  if (scope_depth++ == 0) current_check = ++last_check;
}

ProfileCheckScope::~ProfileCheckScope() {
  if (--scope_depth == 0) current_check = 0;
}

uint64_t ProfileCheckScope::Current() { return current_check; }

}  // namespace tarnix
