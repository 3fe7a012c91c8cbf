#include "idf_table.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <vector>

#include "table_file.h"

namespace ekvr {

bool IdfTable::Load(const std::string& path, std::string* error) {
  return LoadTable(path, this, error);
}

bool IdfTable::LoadImage(const std::string& path, std::string* error) {
  auto image = MappedImage::Open(path, ImageKind::kIdf, tarnix::WordTableView<float>::kSlotBytes, error);
  tarnix::WordTableView<float> view;
  if (image == nullptr || !image->View(&view, error)) return false;
  const float median = image->header().scalar;
  if (view.size() == 0 || !(median >= 0.0f && median < 1000.0f)) {
    *error = path + ": an empty table or a median out of range";
    return false;
  }
  idf_.clear();
  image_ = std::move(image);
  mapped_ = view;
  median_ = median;
  return true;
}

bool IdfTable::WriteImage(const std::string& path, uint64_t source_size, std::string* error) const {
  const auto view = image_ != nullptr ? mapped_ : tarnix::WordTableView<float>::Of(idf_);
  ImageHeader header{};
  header.kind = static_cast<uint32_t>(ImageKind::kIdf);
  header.source_size = source_size;
  header.scalar = median_;
  return ekvr::WriteImage(path, header, view, {}, error);
}

bool IdfTable::Parse(std::string_view text, std::string* error) {
  image_.reset();
  mapped_ = {};
  idf_.clear();
  idf_.reserve(text.size() / 16);
  std::vector<float> values;
  int line_no = 0;
  for (std::string_view line : SplitView(text, '\n')) {
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    // The last blank or tab, found by hand: find_last_of asks a set of two
    // for every byte of a line.
    size_t sep = std::string_view::npos;
    for (size_t i = line.size(); i-- > 0;) {
      if (line[i] == ' ' || line[i] == '\t') {
        sep = i;
        break;
      }
    }
    const std::string_view number = sep == std::string_view::npos ? std::string_view() : line.substr(sep + 1);
    // from_chars rounds as strtof does, without its locale and its copy:
    // the English and Chinese tables hold some 400,000 lines between them.
    float idf = -1.0f;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), idf);
    if (sep == 0 || sep == std::string_view::npos || number.empty() || ec != std::errc() ||
        end != number.data() + number.size() || !(idf >= 0.0f && idf < 1000.0f)) {
      *error = "idf line " + std::to_string(line_no) + " is malformed";
      return false;
    }
    idf_.Set(line.substr(0, sep), idf);
    values.push_back(idf);
  }
  if (values.empty()) {
    *error = "idf table is empty";
    return false;
  }
  idf_.BuildFilter();  // most compounds of an article are not listed
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  median_ = values[values.size() / 2];
  return true;
}

float IdfTable::Get(std::string_view word) const {
  const float* idf = Find(word);
  return idf == nullptr ? median_ : *idf;
}

float IdfTable::Get(std::string_view word, bool* listed) const {
  const float* idf = Find(word);
  *listed = idf != nullptr;
  return *listed ? *idf : median_;
}

}  // namespace ekvr
