#include "output.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "text.h"

namespace tarnix {
namespace cli {
namespace {

// Tabs and line ends inside a text would break a line-based format.
std::string OneLine(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return out;
}

// A text cut to at most width columns, its end marked with "…".
std::string Cut(const std::string& text, size_t width) {
  if (DisplayWidth(text) <= width) return text;
  std::string out;
  size_t used = 0;
  for (size_t at = 0; at < text.size();) {
    size_t n = 1;
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    if (lead >= 0xF0) n = 4;
    else if (lead >= 0xE0) n = 3;
    else if (lead >= 0xC0) n = 2;
    const std::string c = text.substr(at, n);
    const size_t w = DisplayWidth(c);
    if (used + w + 1 > width) break;  // one column for the ellipsis
    out += c;
    used += w;
    at += n;
  }
  return out + "\xE2\x80\xA6";
}

void Pad(std::string* line, const std::string& cell, size_t width, bool right) {
  const size_t w = DisplayWidth(cell);
  const std::string fill(width > w ? width - w : 0, ' ');
  *line += right ? fill + cell : cell + fill;
}

}  // namespace

std::string WeightText(double weight) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.6g", weight);
  return buffer;
}

nlohmann::ordered_json KeywordsJson(const std::vector<Keyword>& keywords) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const Keyword& k : keywords) {
    list.push_back({{"keyword", k.text},
                    {"weight", k.weight},
                    {"frequency", k.frequency},
                    {"class", k.class_code},
                    {"second", k.second}});
  }
  return list;
}

namespace {

// Whether s is well-formed UTF-8 with no byte that JSON escapes (the
// controls, '"' and '\\'): then its JSON text is s between quotes.
bool PlainJsonString(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const size_t n = s.size();
  for (size_t i = 0; i < n;) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      if (c < 0x20 || c == '"' || c == '\\') return false;
      ++i;
      continue;
    }
    // The well-formed sequences: no overlong form, no surrogate, nothing
    // past U+10FFFF.
    size_t len;
    unsigned char low = 0x80, high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (i + len > n || p[i + 1] < low || p[i + 1] > high) return false;
    for (size_t k = 2; k < len; ++k) {
      if (p[i + k] < 0x80 || p[i + k] > 0xBF) return false;
    }
    i += len;
  }
  return true;
}

// A number as the JSON library writes a double: null for what is not
// finite, else the shortest text that reads back as the same double, by
// the very function its dump() calls. Building a JSON value and a
// serializer for each weight cost as much as the rest of the record.
void AppendJsonNumber(std::string* out, double x) {
  if (!std::isfinite(x)) {
    *out += "null";
    return;
  }
  std::array<char, 64> buffer;
  const char* end = nlohmann::detail::to_chars(buffer.data(), buffer.data() + buffer.size(), x);
  out->append(buffer.data(), static_cast<size_t>(end - buffer.data()));
}

void AppendJsonString(std::string* out, const std::string& s) {
  if (PlainJsonString(s)) {
    *out += '"';
    *out += s;
    *out += '"';
  } else {
    *out += nlohmann::ordered_json(s).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  }
}

}  // namespace

std::string KeywordsJsonText(const std::vector<Keyword>& keywords) {
  std::string out = "[";
  for (const Keyword& k : keywords) {
    if (out.size() > 1) out += ',';
    out += "{\"keyword\":";
    AppendJsonString(&out, k.text);
    out += ",\"weight\":";
    AppendJsonNumber(&out, k.weight);
    out += ",\"frequency\":";
    out += std::to_string(k.frequency);
    out += ",\"class\":";
    AppendJsonString(&out, k.class_code);
    out += ",\"second\":";
    AppendJsonString(&out, k.second);
    out += '}';
  }
  out += ']';
  return out;
}

std::string KeywordsTable(const std::vector<Keyword>& keywords) {
  const std::vector<std::string> head = {"rank", "keyword", "weight", "freq", "class", "second text"};
  std::vector<std::vector<std::string>> rows;
  for (size_t i = 0; i < keywords.size(); ++i) {
    const Keyword& k = keywords[i];
    // A keyword of thousands of letters (a formula, a run-on token) would
    // push every other row off the screen; JSON and TSV keep it whole.
    rows.push_back({std::to_string(i + 1), Cut(OneLine(k.text), kTableTextWidth), WeightText(k.weight),
                    std::to_string(k.frequency), OneLine(k.class_code),
                    Cut(OneLine(k.second), kTableTextWidth)});
  }
  std::vector<size_t> width(head.size());
  for (size_t c = 0; c < head.size(); ++c) width[c] = DisplayWidth(head[c]);
  for (const auto& row : rows) {
    for (size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], DisplayWidth(row[c]));
  }
  // Numbers are right-aligned, texts left-aligned; the last column is not
  // padded, so that lines carry no trailing blanks.
  const bool right[] = {true, false, true, true, false, false};
  std::string out;
  auto emit = [&](const std::vector<std::string>& row) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) {
      if (c > 0) line += "  ";
      if (c + 1 == row.size()) {
        line += row[c];
      } else {
        Pad(&line, row[c], width[c], right[c]);
      }
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
  };
  emit(head);
  for (const auto& row : rows) emit(row);
  if (rows.empty()) out += "(no keywords)\n";
  return out;
}

std::string KeywordsTsv(const std::vector<Keyword>& keywords) {
  std::string out = "rank\tkeyword\tweight\tfrequency\tclass\tsecond\n";
  for (size_t i = 0; i < keywords.size(); ++i) {
    const Keyword& k = keywords[i];
    // The weight as JSON writes it: the shortest text that reads back to
    // the same double.
    out += std::to_string(i + 1) + "\t" + OneLine(k.text) + "\t" + nlohmann::json(k.weight).dump() +
           "\t" + std::to_string(k.frequency) + "\t" + OneLine(k.class_code) + "\t" +
           OneLine(k.second) + "\n";
  }
  return out;
}

}  // namespace cli
}  // namespace tarnix
