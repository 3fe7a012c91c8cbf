#include "article.h"

#include <algorithm>
#include <cstring>

#include "normalize.h"
#include "text.h"

namespace tarnix {
namespace cli {

const char* const kFieldNames[kFieldCount] = {"title", "abstract", "keywords",
                                              "text",  "journal",  "class"};

namespace {

// The library refuses a text whose length + 1 reaches its limit.
constexpr size_t kTextLimit = 0x80000 - 1;
constexpr size_t kClassLimit = 0x40000 - 1;

bool ReadText(const nlohmann::json& value, const char* name, std::string* out, std::string* error) {
  if (value.is_null()) return true;
  if (!value.is_string()) {
    *error = std::string("the field ") + name + " must be a text, not " + value.type_name();
    return false;
  }
  *out = value.get<std::string>();
  return true;
}

bool ToLibraryText(const std::string& utf8, const char* name, CharacterPolicy policy, bool english,
                   std::string* out, LibraryArticle* counts, std::string* error) {
  const size_t bad = FindInvalidUtf8(utf8);
  if (bad != std::string::npos) {
    *error = std::string("the field ") + name + " is not valid UTF-8 at byte " + std::to_string(bad + 1) +
             " (use --encoding gbk for GBK input)";
    return false;
  }
  std::string normalised;
  const std::string* text = &utf8;
  if (policy != CharacterPolicy::kStrict) {
    GbkTextOptions options;
    options.language = english ? TextLanguage::kEnglish : TextLanguage::kChinese;
    options.unmapped = policy == CharacterPolicy::kReplace ? '?' : ' ';
    GbkTextCounts n;
    normalised = NormaliseForGbk(utf8, options, &n);
    counts->replaced += n.changed;
    counts->unmapped += n.unmapped;
    text = &normalised;
  }
  // Normalised text always converts; the check stays for strict input.
  ConversionStop stop;
  if (!Utf8ToGbk(*text, out, Unmappable::kFail, &stop)) {
    *error = std::string("the field ") + name + " has a character GBK cannot hold: " +
             CodePointText(*text, stop.offset) + " \"" + text->substr(stop.offset, stop.length) +
             "\" at " + PositionText(*text, stop.offset) + " (byte " + std::to_string(stop.offset + 1) + ")";
    return false;
  }
  return true;
}

ScriptCounts CountArticleScripts(const Article& article) {
  ScriptCounts counts;
  for (int f : {kTitle, kAbstract, kText}) {
    counts.Add(article.gbk ? CountScriptsGbk(article.field[f]) : CountScriptsUtf8(article.field[f]));
  }
  return counts;
}

}  // namespace

std::string JsonErrorText(const std::exception& e, const std::string* source) {
  std::string what = e.what();
  // "[json.exception.parse_error.101] parse error at line 1, ..."
  if (!what.empty() && what[0] == '[') {
    const size_t end = what.find("] ");
    if (end != std::string::npos) what.erase(0, end + 2);
  }
  // The parser counts columns in bytes; a line of Chinese text is three
  // bytes a character. Its position is that of the last byte it read.
  const auto* parse = dynamic_cast<const nlohmann::json::parse_error*>(&e);
  const size_t at = what.find("at line ");
  const size_t colon = what.find(": ", at == std::string::npos ? 0 : at);
  if (source != nullptr && !source->empty() && parse != nullptr && parse->byte > 0 &&
      at != std::string::npos && colon != std::string::npos) {
    const size_t last = std::min(parse->byte, source->size()) - 1;
    size_t start = last;  // the first byte of the character the last byte is in
    while (start > 0 && (static_cast<unsigned char>((*source)[start]) & 0xC0) == 0x80 && last - start < 3) {
      --start;
    }
    what.replace(at, colon - at, "at " + PositionText(*source, start));
  }
  return what;
}

bool StartsWithBom(const std::string& text) { return text.compare(0, 3, "\xEF\xBB\xBF") == 0; }

bool ParseJsonDocument(const std::string& utf8, nlohmann::json* value, std::string* error) {
  if (utf8.size() > kMaxJsonBytes) {
    *error = "the JSON input is too large: " + std::to_string(utf8.size()) + " bytes, at most " +
             std::to_string(kMaxJsonBytes) + " are read";
    return false;
  }
  // Nesting is measured before anything is built: the parser itself does
  // not recurse, but copying or printing the value it builds does.
  size_t depth = 0;
  bool in_string = false;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (in_string) {
      if (c == '\\') ++i;
      else if (c == '"') in_string = false;
    } else if (c == '"') {
      in_string = true;
    } else if (c == '{' || c == '[') {
      if (++depth > kMaxJsonDepth) {
        *error = "the JSON input is nested too deep: more than " + std::to_string(kMaxJsonDepth) +
                 " levels at " + PositionText(utf8, i);
        return false;
      }
    } else if ((c == '}' || c == ']') && depth > 0) {
      --depth;
    }
  }
  try {
    *value = nlohmann::json::parse(utf8);
  } catch (const nlohmann::json::exception& e) {
    *error = "malformed JSON: " + JsonErrorText(e, &utf8);
    return false;
  }
  return true;
}

bool ArticleFromJson(const nlohmann::json& object, Article* article, std::string* error) {
  if (!object.is_object()) {
    *error = std::string("the JSON input is ") + (object.is_array() ? "an " : "a ") +
             object.type_name() + ", not an object with the article's fields" +
             (object.is_array() ? " (batch reads one article per line)" : "");
    return false;
  }
  *article = Article();
  bool any = false;
  for (int f = 0; f < kFieldCount; ++f) {
    const auto it = object.find(kFieldNames[f]);
    if (it == object.end()) continue;
    any = true;
    if (f == kKeywords && it->is_array()) {
      std::string joined;
      for (const nlohmann::json& k : *it) {
        if (!k.is_string()) {
          *error = std::string("the field keywords must hold texts, not ") + k.type_name();
          return false;
        }
        if (!joined.empty()) joined += ';';
        joined += k.get<std::string>();
      }
      article->field[f] = joined;
    } else if (!ReadText(*it, kFieldNames[f], &article->field[f], error)) {
      return false;
    }
  }
  const auto lang = object.find("lang");
  if (lang != object.end() && !ReadText(*lang, "lang", &article->lang, error)) return false;
  if (!any) {
    *error = "missing fields: the object has none of title, abstract, keywords, text, journal, class";
    return false;
  }
  return true;
}

bool ArticleFromJsonText(const std::string& document, InputEncoding encoding, Article* article,
                         nlohmann::json* parsed, std::string* error) {
  std::string utf8;
  const std::string* source = &document;
  if (encoding == InputEncoding::kGbk) {
    // A mark of UTF-8 in front of GBK text is a slip of the editor.
    const size_t skip = StartsWithBom(document) ? 3 : 0;
    ConversionStop stop;
    if (!GbkToUtf8(document.substr(skip), &utf8, Unmappable::kFail, &stop)) {
      *error = "the input is not valid GBK at byte " + std::to_string(stop.offset + skip + 1);
      return false;
    }
    source = &utf8;
  } else {
    const size_t bad = FindInvalidUtf8(document);
    if (bad != std::string::npos) {
      *error = "the input is not valid UTF-8 at byte " + std::to_string(bad + 1) +
               " (use --encoding gbk for GBK input)";
      return false;
    }
  }
  nlohmann::json object;
  nlohmann::json& value = parsed != nullptr ? *parsed : object;
  if (!ParseJsonDocument(*source, &value, error)) return false;
  return ArticleFromJson(value, article, error);
}

bool ApplyOverrides(const FieldOverrides& overrides, InputEncoding encoding, Article* article,
                    std::string* error) {
  const bool convert = encoding == InputEncoding::kGbk && !article->gbk;
  for (int f = 0; f < kFieldCount; ++f) {
    if (!overrides.field[f]) continue;
    if (!convert) {
      article->field[f] = *overrides.field[f];
      continue;
    }
    ConversionStop stop;
    if (!GbkToUtf8(*overrides.field[f], &article->field[f], Unmappable::kFail, &stop)) {
      *error = std::string("the option --") + kFieldNames[f] + " is not valid GBK at byte " +
               std::to_string(stop.offset + 1);
      return false;
    }
  }
  if (overrides.lang) article->lang = *overrides.lang;
  return true;
}

bool PrepareLine(const std::string& line, long long line_number, InputEncoding encoding,
                 const std::optional<std::string>& lang, CharacterPolicy policy,
                 nlohmann::ordered_json* record, LibraryArticle* prepared, std::string* error) {
  *record = {{"line", line_number}};
  if (line.size() > kMaxJsonBytes) {
    *error = "the line is too long: more than " + std::to_string(kMaxJsonBytes) + " bytes";
    return false;
  }
  Article article;
  nlohmann::json parsed;
  const bool read = ArticleFromJsonText(line, encoding, &article, &parsed, error);
  if (parsed.is_object() && parsed.contains("id")) (*record)["id"] = parsed["id"];
  if (!read) return false;
  if (article.lang.empty() && lang) article.lang = *lang;
  if (!PrepareArticle(article, policy, prepared, error)) return false;
  if (prepared->replaced > 0) (*record)["replaced"] = prepared->replaced;
  if (!prepared->warning.empty()) (*record)["warning"] = prepared->warning;
  return true;
}

std::string GuessLanguage(const Article& article) {
  return CountArticleScripts(article).MostlyChinese() ? "zh" : "en";
}

size_t FieldLimit(Field field) { return field == kClass ? kClassLimit : kTextLimit; }

bool PrepareArticle(const Article& article, CharacterPolicy policy, LibraryArticle* out,
                    std::string* error) {
  *out = LibraryArticle();
  for (int f = 0; f < kFieldCount; ++f) {
    const size_t nul = article.field[f].find('\0');
    if (nul != std::string::npos) {
      *error = std::string("the field ") + kFieldNames[f] + " holds a NUL character at byte " +
               std::to_string(nul + 1);
      return false;
    }
  }
  if (!article.lang.empty() && article.lang != "zh" && article.lang != "en") {
    *error = "the language must be zh or en, not \"" + article.lang + "\"";
    return false;
  }
  const ScriptCounts counts = CountArticleScripts(article);
  const std::string lang = !article.lang.empty() ? article.lang : counts.MostlyChinese() ? "zh" : "en";
  out->type = lang == "zh" ? 1 : 2;
  // Chinese text read as English comes out as characters with no
  // frequency; say so rather than let it pass. A text of neither script
  // (digits, symbols) contradicts nothing.
  if (lang == "en" && counts.MostlyChinese()) {
    out->warning = "lang is en, but the text is mostly Chinese";
  } else if (lang == "zh" && counts.latin_words > counts.chinese) {
    out->warning = "lang is zh, but the text is mostly not Chinese";
  }
  for (int f = 0; f < kFieldCount; ++f) {
    if (article.gbk) {
      out->field[f] = article.field[f];
    } else if (!ToLibraryText(article.field[f], kFieldNames[f], policy, out->type == 2, &out->field[f],
                              out, error)) {
      return false;
    }
  }
  // Measured after conversion: a text of no-break spaces and zero-width
  // characters is as empty to the library as one of blanks.
  bool blank = true;
  for (int f : {kTitle, kAbstract, kText}) {
    if (!IsBlank(out->field[f], true)) blank = false;
  }
  if (blank) {
    *error = "empty article: title, abstract and text are all empty";
    return false;
  }
  for (int f = 0; f < kFieldCount; ++f) {
    const size_t limit = FieldLimit(static_cast<Field>(f));
    if (out->field[f].size() > limit) {
      *error = std::string("the field ") + kFieldNames[f] + " is too large: " +
               std::to_string(out->field[f].size()) + " bytes in GBK, the library accepts at most " +
               std::to_string(limit);
      return false;
    }
  }
  return true;
}

}  // namespace cli
}  // namespace tarnix
