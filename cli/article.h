// One article as the tarnix command reads it (a JSON object or plain text
// with options) and as it hands it to the library (GBK, within the
// library's limits).
#ifndef TARNIX_CLI_ARTICLE_H_
#define TARNIX_CLI_ARTICLE_H_

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "host_platform.h"

namespace tarnix {
namespace cli {

enum class InputEncoding { kUtf8, kGbk };

// What becomes of a character of UTF-8 input that GBK cannot hold.
enum class CharacterPolicy {
  kNormalise,  // its nearest GBK form (normalize.h), or a space
  kReplace,    // the same, but '?' where there is no nearest form
  kStrict,     // the article is refused, with the character named
};

// The text fields in the order Tarnix_Direct does not use, but the one the
// messages and the JSON input name them in.
enum Field { kTitle, kAbstract, kKeywords, kText, kJournal, kClass, kFieldCount };
extern const char* const kFieldNames[kFieldCount];

// The article before conversion: UTF-8 unless gbk is set (plain GBK input,
// whose bytes are passed through untouched).
struct Article {
  std::string field[kFieldCount];
  std::string lang;  // "zh", "en" or empty (guessed from the text)
  bool gbk = false;
};

// Fields given on the command line; each one replaces the article's own.
struct FieldOverrides {
  std::optional<std::string> field[kFieldCount];
  std::optional<std::string> lang;
};

// Reads the fields of a JSON object (UTF-8). `keywords` may be a text or a
// list of texts (joined with ";"); fields other than those named above are
// ignored. False with a message for anything that is not such an object.
bool ArticleFromJson(const nlohmann::json& object, Article* article, std::string* error);

// The most a JSON document (an extract input, a batch line) may hold: an
// article's fields need two levels and a few megabytes, and anything far
// beyond that is refused before a value is built, since the library's
// copies of a value recurse once per level.
constexpr size_t kMaxJsonDepth = 64;
constexpr size_t kMaxJsonBytes = size_t{16} << 20;

// Parses one UTF-8 JSON document within the limits above, a byte-order mark
// skipped; false with a message naming the line and column, in characters.
bool ParseJsonDocument(const std::string& utf8, nlohmann::json* value, std::string* error);

// Parses one JSON document in the given encoding (GBK documents are decoded
// first, so that a trail byte that looks like a backslash or a quote is not
// taken for one) and reads the article from it. *parsed, when given, keeps
// the parsed value (for the record's "id").
bool ArticleFromJsonText(const std::string& document, InputEncoding encoding, Article* article,
                         nlohmann::json* parsed, std::string* error);

// Applies the overrides; their texts are in `encoding` and are converted
// to the article's own.
bool ApplyOverrides(const FieldOverrides& overrides, InputEncoding encoding, Article* article,
                    std::string* error);

// What Tarnix_Direct receives: GBK texts and the article type (1 Chinese, 2
// English).
struct LibraryArticle {
  std::string field[kFieldCount];
  int type = 1;
  size_t replaced = 0;  // characters changed or removed to fit GBK
  size_t unmapped = 0;  // of those, characters with no GBK form, now ' ' or '?'
  std::string warning;  // the language given and the text disagree
};

// The largest field Tarnix_Direct accepts, in bytes of GBK.
size_t FieldLimit(Field field);

// "zh" when the title, abstract and text are mostly Chinese (text.h), else
// "en".
std::string GuessLanguage(const Article& article);

// Converts the article for the library and checks it: a language of zh or
// en (guessed when missing, as above; a warning when the one given is
// not the one the text looks like), no
// NUL character, every character representable in GBK (UTF-8 fields are
// normalised first unless the policy is kStrict; English ones fold their
// accents too), not empty once converted, and every field within the
// library's limit.
bool PrepareArticle(const Article& article, CharacterPolicy policy, LibraryArticle* out,
                    std::string* error);

// The part of a batch line's work that comes before the library: the line
// parsed, read as an article (lang, when given, for one that does not
// say), converted and checked. The record gets "line", the input's "id"
// when it has one, and "replaced" and "warning" when there are any; false
// with a message when the line cannot be an article.
bool PrepareLine(const std::string& line, long long line_number, InputEncoding encoding,
                 const std::optional<std::string>& lang, CharacterPolicy policy,
                 nlohmann::ordered_json* record, LibraryArticle* prepared, std::string* error);

// The message of a JSON parse error without the library's tag. Given the
// text parsed, its column counts characters, as an editor does, not bytes.
std::string JsonErrorText(const std::exception& e, const std::string* source = nullptr);

// A UTF-8 byte-order mark at the start of the text, which editors on
// Windows write and JSON parsers and the library would read as text.
bool StartsWithBom(const std::string& text);

}  // namespace cli
}  // namespace tarnix

#endif  // TARNIX_CLI_ARTICLE_H_
