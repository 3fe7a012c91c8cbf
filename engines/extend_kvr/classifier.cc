#include "classifier.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "prefetch.h"
#include "table_file.h"

namespace ekvr {
namespace {

bool ParseUnsigned(std::string_view s, uint32_t* out) {
  if (s.empty() || s.size() > 9) return false;
  uint32_t v = 0;
  for (char ch : s) {
    if (ch < '0' || ch > '9') return false;
    v = v * 10 + static_cast<uint32_t>(ch - '0');
  }
  *out = v;
  return true;
}

std::string LineError(int line_no) {
  return "classifier model line " + std::to_string(line_no) + " is malformed";
}

}  // namespace

double ChiSquare(double a, double b, double c, double d) {
  const double n = a + b + c + d;
  const double denom = (a + b) * (c + d) * (a + c) * (b + d);
  if (denom <= 0.0) return 0.0;
  const double diff = a * d - b * c;
  return n * diff * diff / denom;
}

bool Classifier::Load(const std::string& path, std::string* error) {
  return LoadTable(path, this, error);
}

void Classifier::Clear() {
  codes_.clear();
  class_docs_.clear();
  log_prior_.clear();
  log_floor_.clear();
  index_.clear();
  stats_.clear();
  evidence_.clear();
  image_.reset();
  mapped_index_ = {};
  UseOwnArrays();
}

void Classifier::UseOwnArrays() {
  stats_data_ = stats_.data();
  stats_size_ = stats_.size();
  evidence_data_ = evidence_.data();
}

bool Classifier::Parse(std::string_view text, std::string* error) {
  Clear();
  std::vector<std::string> words;
  std::vector<std::vector<std::pair<uint16_t, uint32_t>>> counts;
  int line_no = 0;
  for (std::string_view line : SplitView(text, '\n')) {
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) {
      const auto cols = SplitView(line, ' ');
      if (cols[0] == "alpha" && cols.size() == 2) {
        alpha_ = std::strtod(std::string(cols[1]).c_str(), nullptr);
        if (!(alpha_ > 0.0 && alpha_ < 100.0)) {
          *error = LineError(line_no);
          return false;
        }
      } else if (cols[0] == "class" && cols.size() >= 3 && words.empty()) {
        uint32_t docs = 0;
        if (!ParseUnsigned(cols[2], &docs) || codes_.size() >= 65535) {
          *error = LineError(line_no);
          return false;
        }
        codes_.emplace_back(cols[1]);
        class_docs_.push_back(docs);
      } else {
        *error = LineError(line_no);
        return false;
      }
      continue;
    }
    std::vector<std::pair<uint16_t, uint32_t>> row;
    for (std::string_view pair : SplitView(line.substr(tab + 1), ' ')) {
      const size_t colon = pair.find(':');
      uint32_t cls = 0, docs = 0;
      if (colon == std::string_view::npos || !ParseUnsigned(pair.substr(0, colon), &cls) ||
          !ParseUnsigned(pair.substr(colon + 1), &docs) || cls >= codes_.size() || docs == 0) {
        *error = LineError(line_no);
        return false;
      }
      row.emplace_back(static_cast<uint16_t>(cls), docs);
    }
    words.emplace_back(line.substr(0, tab));
    counts.push_back(std::move(row));
  }
  if (codes_.empty() || words.empty()) {
    *error = "classifier model has no classes or no words";
    return false;
  }
  Finish(counts, words);
  UseOwnArrays();
  return true;
}

bool Classifier::LoadImage(const std::string& path, std::string* error) {
  auto image = MappedImage::Open(path, ImageKind::kClassifier, tarnix::WordTableView<uint32_t>::kSlotBytes, error);
  tarnix::WordTableView<uint32_t> index;
  if (image == nullptr || !image->View(&index, error)) return false;
  auto refuse = [&](const char* why) {
    *error = path + ": " + why;
    return false;
  };
  const size_t k = image->header().classes;
  auto sized = [&](ImageSectionId id, size_t item) { return image->section(id).size % item == 0; };
  if (k == 0 || k > 65535 || image->section(kClassDocsSection).size != k * sizeof(uint32_t) ||
      image->section(kLogPriorSection).size != k * sizeof(double) ||
      image->section(kLogFloorSection).size != k * sizeof(double) || !sized(kStatsSection, sizeof(WordClassStats)) ||
      !sized(kEvidenceSection, sizeof(ClassEvidence)) || image->section(kStatsSection).size == 0) {
    return refuse("the classes' sections do not match the class count");
  }
  std::vector<std::string> codes = image->Names(kCodesSection);
  if (codes.size() != k) return refuse("the class codes do not match the class count");
  // Every entry the look-ups may hand out points inside the evidence and
  // names a class: checked once here, so the callers index without checks.
  const auto* stats = reinterpret_cast<const WordClassStats*>(image->at(kStatsSection));
  const size_t stats_size = image->section(kStatsSection).size / sizeof(WordClassStats);
  const auto* evidence = reinterpret_cast<const ClassEvidence*>(image->at(kEvidenceSection));
  const size_t evidence_size = image->section(kEvidenceSection).size / sizeof(ClassEvidence);
  for (size_t i = 0; i < stats_size; ++i) {
    const WordClassStats& st = stats[i];
    if (st.first > evidence_size || st.count > evidence_size - st.first || st.best_class < -1 ||
        st.best_class >= static_cast<int32_t>(k)) {
      return refuse("a word's statistics lie outside the evidence or name no class");
    }
  }
  for (size_t i = 0; i < evidence_size; ++i) {
    if (evidence[i].cls >= k) return refuse("evidence names no class");
  }
  Clear();
  codes_ = std::move(codes);
  class_docs_ = image->Copy<uint32_t>(kClassDocsSection);
  log_prior_ = image->Copy<double>(kLogPriorSection);
  log_floor_ = image->Copy<double>(kLogFloorSection);
  image_ = std::move(image);
  mapped_index_ = index;
  stats_data_ = stats;
  stats_size_ = stats_size;
  evidence_data_ = evidence;
  return true;
}

bool Classifier::WriteImage(const std::string& path, uint64_t source_size, std::string* error) const {
  if (image_ != nullptr) {
    *error = "a mapped classifier is written by copying its file";
    return false;
  }
  const std::string codes = JoinNames(codes_);
  ImageHeader header{};
  header.kind = static_cast<uint32_t>(ImageKind::kClassifier);
  header.source_size = source_size;
  header.classes = static_cast<uint32_t>(codes_.size());
  const ImageExtra extra[kImageSections - kKindSections] = {
      {stats_.data(), stats_.size() * sizeof(WordClassStats)},
      {evidence_.data(), evidence_.size() * sizeof(ClassEvidence)},
      {class_docs_.data(), class_docs_.size() * sizeof(uint32_t)},
      {log_prior_.data(), log_prior_.size() * sizeof(double)},
      {log_floor_.data(), log_floor_.size() * sizeof(double)},
      {codes.data(), codes.size()}};
  return ekvr::WriteImage(path, header, tarnix::WordTableView<uint32_t>::Of(index_), extra, error);
}

void Classifier::Finish(const std::vector<std::vector<std::pair<uint16_t, uint32_t>>>& counts,
                        const std::vector<std::string>& words) {
  const size_t k = codes_.size();
  std::vector<double> tokens(k, 0.0);
  for (const auto& row : counts) {
    for (const auto& [cls, docs] : row) tokens[cls] += docs;
  }
  double total_docs = 0.0;
  for (uint32_t d : class_docs_) total_docs += d;
  const double vocab = static_cast<double>(words.size());
  log_prior_.assign(k, 0.0);
  log_floor_.assign(k, 0.0);
  for (size_t c = 0; c < k; ++c) {
    log_prior_[c] = std::log((class_docs_[c] + 1.0) / (total_docs + static_cast<double>(k)));
    log_floor_[c] = std::log(alpha_) - std::log(tokens[c] + alpha_ * vocab);
  }
  index_.reserve(words.size());
  stats_.reserve(words.size());
  for (size_t w = 0; w < words.size(); ++w) {
    if (index_.Find(words[w]) != nullptr) continue;  // the first line of a word holds
    WordClassStats stats;
    stats.first = static_cast<uint32_t>(evidence_.size());
    stats.count = static_cast<uint32_t>(counts[w].size());
    double word_docs = 0.0;
    for (const auto& [cls, docs] : counts[w]) word_docs += docs;
    for (const auto& [cls, docs] : counts[w]) {
      evidence_.push_back({cls, 0, static_cast<float>(std::log((docs + alpha_) / alpha_))});
      const double a = docs, b = word_docs - docs;
      const double c = class_docs_[cls] - a, d = total_docs - class_docs_[cls] - b;
      if (a * d <= b * c) continue;  // occurs in the class no more than by chance
      const double chi2 = ChiSquare(a, b, c, d);
      if (chi2 > stats.chi2) {
        stats.chi2 = static_cast<float>(chi2);
        stats.best_class = cls;
      }
    }
    index_.Set(words[w], static_cast<uint32_t>(stats_.size()));
    stats_.push_back(stats);
  }
  index_.BuildFilter();  // most compounds of an article are not in the model
}

std::vector<double> Classifier::Posterior(const std::vector<std::string>& words) const {
  std::vector<const WordClassStats*> stats;
  stats.reserve(words.size());
  for (const std::string& w : words) stats.push_back(Find(w));
  return Posterior(stats);
}

std::vector<double> Classifier::Posterior(const std::vector<const WordClassStats*>& words) const {
  const size_t k = codes_.size();
  std::vector<double> score(log_prior_);
  size_t known = 0;
  // Each word's evidence is an allocation of its own, somewhere in the
  // model's megabytes: the evidence of the word kAhead places on is asked
  // for now, so that the sum does not wait for every word in turn.
  constexpr size_t kAhead = 8;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i + kAhead < words.size() && words[i + kAhead] != nullptr) {
      tarnix::Prefetch(evidence_data_ + words[i + kAhead]->first);
    }
    const WordClassStats* w = words[i];
    if (w == nullptr) continue;
    ++known;
    for (const ClassEvidence* e = evidence_data_ + w->first, *end = e + w->count; e < end; ++e) {
      score[e->cls] += e->extra;
    }
  }
  if (known == 0) return {};
  for (size_t c = 0; c < k; ++c) score[c] += static_cast<double>(known) * log_floor_[c];
  const double top = *std::max_element(score.begin(), score.end());
  double sum = 0.0;
  for (double& s : score) {
    s = std::exp(s - top);
    sum += s;
  }
  for (double& s : score) s /= sum;
  return score;
}

const WordClassStats* Classifier::Find(std::string_view word) const {
  const uint32_t* i = image_ != nullptr ? mapped_index_.Find(word) : index_.Find(word);
  // A damaged compiled model's slot may point anywhere.
  return i == nullptr || *i >= stats_size_ ? nullptr : &stats_data_[*i];
}

}  // namespace ekvr
