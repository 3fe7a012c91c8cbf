// The keyword list as the tarnix command prints it.
#ifndef TARNIX_CLI_OUTPUT_H_
#define TARNIX_CLI_OUTPUT_H_

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "session.h"

namespace tarnix {
namespace cli {

enum class Format { kTable, kJson, kTsv };

// The list as JSON: [{"keyword", "weight", "frequency", "class", "second"}].
nlohmann::ordered_json KeywordsJson(const std::vector<Keyword>& keywords);
// The text KeywordsJson(keywords).dump() gives (no indent, UTF-8 as it
// is, invalid bytes replaced), written straight into a string: a batch
// writes one list per record, and building the JSON values first cost
// more than the rest of the record's output.
std::string KeywordsJsonText(const std::vector<Keyword>& keywords);

// A readable table: rank, keyword, weight, frequency, class code, second
// text, in columns aligned for a terminal (Chinese characters are two
// columns wide); keywords and second texts longer than kTableTextWidth
// columns are cut, with "…" at the end.
constexpr size_t kTableTextWidth = 40;
std::string KeywordsTable(const std::vector<Keyword>& keywords);

// A header line and one tab-separated line per keyword.
std::string KeywordsTsv(const std::vector<Keyword>& keywords);

// A weight as the table shows it: up to six significant digits.
std::string WeightText(double weight);

}  // namespace cli
}  // namespace tarnix

#endif  // TARNIX_CLI_OUTPUT_H_
