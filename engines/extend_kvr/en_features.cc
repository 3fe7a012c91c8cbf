#include "en_features.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "table_file.h"

namespace ekvr {

void KeyphraseFeatures(int kp, int df, float* f) {
  kp = std::max(kp, 0);
  df = std::max(df, 0);
  f[kEKpLog] = std::log1p(static_cast<float>(kp));
  f[kEKpRatio] = std::min(1.0f, static_cast<float>(kp) / static_cast<float>(df + 1));
  f[kEKpNever] = kp == 0 ? 1.0f : 0.0f;
}

bool KeyphraseTable::Load(const std::string& path, std::string* error) {
  return LoadTable(path, this, error);
}

bool KeyphraseTable::LoadImage(const std::string& path, std::string* error) {
  auto image = MappedImage::Open(path, ImageKind::kKeyphrases, tarnix::WordTableView<Counts>::kSlotBytes, error);
  tarnix::WordTableView<Counts> view;
  if (image == nullptr || !image->View(&view, error)) return false;
  counts_.clear();
  image_ = std::move(image);
  mapped_ = view;
  return true;
}

bool KeyphraseTable::WriteImage(const std::string& path, uint64_t source_size, std::string* error) const {
  const auto view = image_ != nullptr ? mapped_ : tarnix::WordTableView<Counts>::Of(counts_);
  ImageHeader header{};
  header.kind = static_cast<uint32_t>(ImageKind::kKeyphrases);
  header.source_size = source_size;
  return ekvr::WriteImage(path, header, view, {}, error);
}

bool KeyphraseTable::Parse(std::string_view text, std::string* error) {
  image_.reset();
  mapped_ = {};
  counts_.clear();
  auto count = [](std::string_view s, int* out) {
    if (s.empty() || s.size() > 9) return false;
    int v = 0;
    for (char c : s) {
      if (c < '0' || c > '9') return false;
      v = v * 10 + (c - '0');
    }
    *out = v;
    return true;
  };
  int line_no = 0;
  for (std::string_view line : SplitView(text, '\n')) {
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const auto cols = SplitView(line, '\t');
    Counts c;
    if (cols.size() != 3 || cols[0].empty() || !count(cols[1], &c.kp) || !count(cols[2], &c.df)) {
      *error = "keyphrase line " + std::to_string(line_no) + " is malformed";
      counts_.clear();
      return false;
    }
    counts_.Set(cols[0], c);
  }
  counts_.BuildFilter();  // most candidates were never a keyphrase
  return true;
}

KeyphraseTable::Counts KeyphraseTable::Get(std::string_view key) const {
  const Counts* c = image_ != nullptr ? mapped_.Find(key) : counts_.Find(key);
  return c == nullptr ? Counts() : *c;
}

}  // namespace ekvr
