#include "scoring.h"

#include <libstemmer.h>

#include <cstring>
#include <set>

#include "host_platform.h"
#include "text.h"

namespace tarnix {
namespace cli {

namespace {

// The calls of libstemmer the match form makes.
struct StemmerCalls {
  decltype(&sb_stemmer_new) create = nullptr;
  decltype(&sb_stemmer_delete) destroy = nullptr;
  decltype(&sb_stemmer_stem) stem = nullptr;
  decltype(&sb_stemmer_length) length = nullptr;
};

// The calls, or null with *error.
const StemmerCalls* StemmerLibrary(std::string* error) {
#ifdef TARNIX_STEMMER_SONAME
  // Opened when eval first stems rather than with the command: the
  // library's 330 KB of tables, relocated at load, cost every tarnix
  // process some 90 page faults (2 ms here), and only eval stems.
  static std::string failure;
  static const StemmerCalls* const calls = []() -> const StemmerCalls* {
    static StemmerCalls c;
    auto find = [](const char* name, auto* out) {
      if (!failure.empty()) return;
      void* function = LibraryFunction(TARNIX_STEMMER_SONAME, name, &failure);
      static_assert(sizeof function == sizeof *out, "a function's address fits a data pointer");
      std::memcpy(out, &function, sizeof *out);
    };
    find("sb_stemmer_new", &c.create);
    find("sb_stemmer_delete", &c.destroy);
    find("sb_stemmer_stem", &c.stem);
    find("sb_stemmer_length", &c.length);
    return failure.empty() ? &c : nullptr;
  }();
  if (calls == nullptr) *error = "the Porter stemmer is not available: " + failure;
  return calls;
#else
  (void)error;
  static const StemmerCalls calls{&sb_stemmer_new, &sb_stemmer_delete, &sb_stemmer_stem, &sb_stemmer_length};
  return &calls;
#endif
}

}  // namespace

struct MatchForm::Stemmer {
  Stemmer() {
    calls = StemmerLibrary(&error);
    if (calls != nullptr) {
      handle = calls->create("porter", "UTF_8");
      if (handle == nullptr) error = "the Porter stemmer cannot start";
    }
  }
  ~Stemmer() {
    if (handle != nullptr) calls->destroy(handle);
  }
  std::string error;
  const StemmerCalls* calls = nullptr;
  sb_stemmer* handle = nullptr;
};

MatchForm::MatchForm() : stemmer_(std::make_unique<Stemmer>()) {}
MatchForm::~MatchForm() = default;

bool MatchForm::CanStem(std::string* error) const {
  if (stemmer_->handle != nullptr) return true;
  *error = stemmer_->error;
  return false;
}

std::string MatchForm::Of(const std::string& keyword, bool english) {
  const std::string normal = NormaliseForMatch(keyword);
  if (!english || stemmer_->handle == nullptr) return normal;
  std::string out;
  size_t at = 0;
  while (at < normal.size()) {
    const size_t start = normal.find_first_not_of(" \t\n\r", at);
    if (start == std::string::npos) break;
    size_t end = normal.find_first_of(" \t\n\r", start);
    if (end == std::string::npos) end = normal.size();
    const std::string word = normal.substr(start, end - start);
    const sb_symbol* stem = stemmer_->calls->stem(stemmer_->handle, reinterpret_cast<const sb_symbol*>(word.data()),
                                                  static_cast<int>(word.size()));
    if (!out.empty()) out += ' ';
    if (stem == nullptr) {
      out += word;
    } else {
      out.append(reinterpret_cast<const char*>(stem), static_cast<size_t>(stemmer_->calls->length(stemmer_->handle)));
    }
    at = end;
  }
  return out;
}

Scores ScoreDocument(const std::vector<std::string>& predicted,
                     const std::vector<std::string>& references, bool english, MatchForm* form) {
  Scores s;
  std::set<std::string> gold;
  for (const std::string& r : references) {
    const std::string f = form->Of(r, english);
    if (!f.empty()) gold.insert(f);
  }
  if (gold.empty()) return s;
  for (int c = 0; c < kCutoffCount; ++c) {
    const size_t k = static_cast<size_t>(kCutoffs[c]);
    std::set<std::string> matched;
    for (size_t i = 0; i < predicted.size() && i < k; ++i) {
      const std::string f = form->Of(predicted[i], english);
      if (gold.count(f)) matched.insert(f);
    }
    const double hits = static_cast<double>(matched.size());
    s.precision[c] = hits / static_cast<double>(k);
    s.recall[c] = hits / static_cast<double>(gold.size());
    const double sum = s.precision[c] + s.recall[c];
    s.f1[c] = sum > 0 ? 2 * s.precision[c] * s.recall[c] / sum : 0.0;
  }
  return s;
}

void ScoreTotals::Add(const Scores& s) {
  for (int c = 0; c < kCutoffCount; ++c) {
    sum_.precision[c] += s.precision[c];
    sum_.recall[c] += s.recall[c];
    sum_.f1[c] += s.f1[c];
  }
  ++count_;
}

Scores ScoreTotals::Mean() const {
  Scores m;
  if (count_ == 0) return m;
  const double n = static_cast<double>(count_);
  for (int c = 0; c < kCutoffCount; ++c) {
    m.precision[c] = sum_.precision[c] / n;
    m.recall[c] = sum_.recall[c] / n;
    m.f1[c] = sum_.f1[c] / n;
  }
  return m;
}

}  // namespace cli
}  // namespace tarnix
