#include "class_scheme.h"

#include "gbk_chars.h"
#include "table_file.h"

namespace ekvr {
namespace {

// Highest first-level discipline number of each category 01 to 14.
constexpr int kFirstLevelMax[15] = {0, 1, 2, 6, 3, 3, 3, 14, 37, 9, 11, 10, 5, 5, 7};

bool TwoDigits(std::string_view s, int* value) {
  if (s.size() != 2 || !IsAsciiDigit(static_cast<unsigned char>(s[0])) ||
      !IsAsciiDigit(static_cast<unsigned char>(s[1]))) {
    return false;
  }
  *value = (s[0] - '0') * 10 + (s[1] - '0');
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::optional<std::string> StandardDisciplineCode(std::string_view text) {
  std::vector<std::string_view> levels;
  if (text.find('.') != std::string_view::npos) {
    levels = SplitView(text, '.');
  } else {
    if (text.size() != 2 && text.size() != 4 && text.size() != 6) return std::nullopt;
    for (size_t at = 0; at < text.size(); at += 2) levels.push_back(text.substr(at, 2));
  }
  if (levels.empty() || levels.size() > 3) return std::nullopt;
  int value[3] = {0, 0, 0};
  for (size_t i = 0; i < levels.size(); ++i) {
    if (!TwoDigits(levels[i], &value[i]) || value[i] == 0) return std::nullopt;
  }
  if (value[0] > 14) return std::nullopt;
  if (levels.size() >= 2 && value[1] > kFirstLevelMax[value[0]]) return std::nullopt;
  std::string out(levels[0]);
  for (size_t i = 1; i < levels.size(); ++i) {
    out += '.';
    out += levels[i];
  }
  return out;
}

bool ClassScheme::Load(const std::string& path, std::string* error) {
  return LoadTable(path, this, error);
}

bool ClassScheme::Parse(std::string_view text, std::string* error) {
  disciplines_.clear();
  by_code_.clear();
  by_name_.clear();
  int line_no = 0;
  for (std::string_view line : SplitView(text, '\n')) {
    ++line_no;
    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;
    const auto cols = SplitView(line, '\t');
    const auto code = cols.size() == 4 ? StandardDisciplineCode(cols[0]) : std::nullopt;
    if (!code || *code != cols[0] || cols[1].empty() || cols[3].empty()) {
      *error = "concordance line " + std::to_string(line_no) + " is malformed";
      return false;
    }
    Discipline d{*code, std::string(cols[1]), std::string(cols[2]), {}};
    for (std::string_view lib : SplitView(cols[3], ',')) {
      lib = Trim(lib);
      if (lib.empty() || lib.size() > 99) {
        *error = "concordance line " + std::to_string(line_no) + " has an empty library class";
        return false;
      }
      d.library.emplace_back(lib);
    }
    by_code_.emplace(d.code, disciplines_.size());
    by_name_.emplace(d.name, disciplines_.size());
    disciplines_.push_back(std::move(d));
  }
  if (disciplines_.empty()) {
    *error = "concordance is empty";
    return false;
  }
  return true;
}

const Discipline* ClassScheme::FindCode(std::string_view code) const {
  const auto it = by_code_.find(std::string(code));
  return it == by_code_.end() ? nullptr : &disciplines_[it->second];
}

const Discipline* ClassScheme::FindName(std::string_view name) const {
  const auto it = by_name_.find(std::string(name));
  return it == by_name_.end() ? nullptr : &disciplines_[it->second];
}

std::optional<std::string> FormalizeClass(std::string_view text, const ClassScheme* scheme) {
  if (auto code = StandardDisciplineCode(text)) return code;
  if (scheme != nullptr) {
    if (const Discipline* d = scheme->FindName(text)) return d->code;
  }
  return std::nullopt;
}

}  // namespace ekvr
