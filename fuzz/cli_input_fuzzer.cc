// The tarnix command's input path on arbitrary lines: what a batch line
// goes through before the library sees it.
//
// Input: one line of `tarnix batch` input. Its first byte picks the
// settings (encoding, policy, a default language), the rest is the line.
// It is parsed within the caps on nesting and size, read as an article,
// normalised and converted to GBK and checked against the library's
// limits, giving either an article with its record or an error. Either way
// the record must print as one line of JSON, and an article must be what
// the library accepts: GBK within its limits, no NUL, not blank, a type of
// 1 or 2.
#include <cstddef>
#include <cstdint>
#include <string>

#include "article.h"
#include "fuzz_support.h"
#include "text.h"

namespace {

// A batch line of fuzzed bytes gains little past this; the size cap itself
// is checked by the command's tests.
constexpr size_t kMaxInput = 1 << 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnix::cli;
  if (size < 1 || size > kMaxInput) return 0;
  const uint8_t mode = data[0];
  const std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
  const InputEncoding encoding = (mode & 1) ? InputEncoding::kGbk : InputEncoding::kUtf8;
  const CharacterPolicy policy = (mode & 6) == 0   ? CharacterPolicy::kStrict
                                 : (mode & 6) == 2 ? CharacterPolicy::kReplace
                                                   : CharacterPolicy::kNormalise;
  std::optional<std::string> lang;
  if (mode & 8) lang = (mode & 16) ? "zh" : "en";

  nlohmann::ordered_json record;
  LibraryArticle prepared;
  std::string error;
  const bool ok = PrepareLine(line, 7, encoding, lang, policy, &record, &prepared, &error);
  FUZZ_CHECK(record.is_object() && record["line"] == 7);
  if (!ok) {
    FUZZ_CHECK(!error.empty());
    record["error"] = error;
  } else {
    FUZZ_CHECK(error.empty());
    FUZZ_CHECK(prepared.type == 1 || prepared.type == 2);
    bool blank = true;
    for (int f = 0; f < kFieldCount; ++f) {
      const std::string& text = prepared.field[f];
      FUZZ_CHECK(text.size() <= FieldLimit(static_cast<Field>(f)));
      FUZZ_CHECK(text.find('\0') == std::string::npos);
      if ((f == kTitle || f == kAbstract || f == kText) && !IsBlank(text, true)) blank = false;
      // What the command hands the library reads back as GBK, unless the
      // input was GBK passed through untouched.
      std::string utf8;
      tarnix::ConversionStop stop;
      if (encoding == InputEncoding::kUtf8) {
        FUZZ_CHECK(tarnix::GbkToUtf8(text, &utf8, tarnix::Unmappable::kFail, &stop));
      }
    }
    FUZZ_CHECK(!blank);
    FUZZ_CHECK(prepared.unmapped <= prepared.replaced);
  }
  // The record is one line: invalid UTF-8 in an id or a message is
  // replaced, and nothing in it may break the line.
  const std::string printed = record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  FUZZ_CHECK(printed.find('\n') == std::string::npos);
  FUZZ_CHECK(FindInvalidUtf8(printed) == std::string::npos);
  return 0;
}
