// Reading the English tagger's model: its sections in order, each line
// checked, a malformed model rejected with the number of its line.
#include "en_tagger.h"

#include <cmath>
#include <cstring>
#include <string>

#include "gbk_chars.h"
#include "table_file.h"

namespace ekvr {
namespace {

// The options of a word line, and of a token (two lines mixed): Viterbi
// keeps its back pointers in a byte.
constexpr size_t kMaxLineOptions = 64;

// Numbers of the model: an optional minus, digits, optionally a point and
// digits. Parsed here rather than by strtod: tens of thousands of them, and
// no locale may change their meaning.
bool ParseNumber(std::string_view s, double* out) {
  if (s.empty() || s.size() > 24) return false;
  size_t i = 0;
  const bool negative = s[0] == '-';
  if (negative) ++i;
  double value = 0.0;
  size_t digits = 0;
  for (; i < s.size() && IsAsciiDigit(static_cast<unsigned char>(s[i])); ++i, ++digits) {
    value = value * 10.0 + (s[i] - '0');
  }
  if (i < s.size() && s[i] == '.') {
    ++i;
    double scale = 0.1;
    size_t fraction = 0;
    for (; i < s.size() && IsAsciiDigit(static_cast<unsigned char>(s[i])); ++i, ++fraction, scale *= 0.1) {
      value += (s[i] - '0') * scale;
    }
    if (fraction == 0) return false;
  }
  if (digits == 0 || i != s.size()) return false;
  *out = negative ? -value : value;
  return true;
}

// Splits at single blanks; false when a field is empty.
bool Fields(std::string_view line, std::vector<std::string_view>* out) {
  out->clear();
  size_t from = 0;
  while (true) {
    const size_t at = line.find(' ', from);
    const std::string_view field = line.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from);
    if (field.empty()) return false;
    out->push_back(field);
    if (at == std::string_view::npos) return true;
    from = at + 1;
  }
}

}  // namespace

// Reads the model's lines into the tagger, section by section; each step
// leaves a message in problem when a line is malformed.
class EnglishTagger::ModelReader {
 public:
  ModelReader(EnglishTagger* tagger, std::string_view text) : m_(*tagger), text_(text) {}

  // False at the first malformed line, whose number goes to *line_no.
  bool ReadAll(size_t* line_no);
  const std::string& problem() const { return problem_; }

 private:
  // Sections in their order; each must be complete before the next.
  enum Stage { kHeader, kTags, kCounts, kStart, kFrom, kWordsHeader, kWords, kSuffixesHeader, kSuffixes, kEnd, kDone };

  bool Line(std::string_view line);
  bool Tags(std::string_view line);
  bool Counts(std::string_view line);
  bool Start(std::string_view line);
  bool From(std::string_view line);
  bool WordsHeader(std::string_view line);
  bool Entry(std::string_view line);
  bool SuffixesHeader(std::string_view line);
  // "tag:logp tag:logp ..." after the tab of a word or suffix line.
  bool Options(std::string_view list, Span* span);
  // A row of tag_count_ log probabilities from fields[from].
  bool Row(size_t from, std::vector<float>* out);
  // "keyword N" with N at most limit, into expected.
  bool CountLine(std::string_view line, const char* keyword, size_t limit);

  EnglishTagger& m_;
  std::string_view text_;
  Stage stage_ = kHeader;
  size_t expected_ = 0;  // lines left in the current section
  std::vector<std::string_view> fields_;
  std::string problem_;
};

bool EnglishTagger::ModelReader::ReadAll(size_t* line_no) {
  size_t at = 0;
  bool ok = true;
  while (ok && at < text_.size()) {
    size_t end = text_.find('\n', at);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view line = text_.substr(at, end - at);
    at = end + 1;
    ++*line_no;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (stage_ == kHeader && (line.empty() || line.front() == '#')) continue;
    ok = Line(line);
  }
  if (ok && stage_ != kDone) {
    problem_ = "the model ends early (truncated?)";
    ++*line_no;
    return false;
  }
  return ok;
}

bool EnglishTagger::ModelReader::Line(std::string_view line) {
  bool ok = true;
  switch (stage_) {
    case kHeader:
      ok = line == "en-tagger 1";
      if (!ok) problem_ = "expected \"en-tagger 1\"";
      stage_ = kTags;
      break;
    case kTags:
      return Tags(line);
    case kCounts:
      return Counts(line);
    case kStart:
      return Start(line);
    case kFrom:
      return From(line);
    case kWordsHeader:
      return WordsHeader(line);
    case kWords:
    case kSuffixes:
      return Entry(line);
    case kSuffixesHeader:
      return SuffixesHeader(line);
    case kEnd:
      ok = line == "end";
      if (!ok) problem_ = "expected \"end\"";
      stage_ = kDone;
      break;
    case kDone:
      ok = line.empty();
      if (!ok) problem_ = "text after \"end\"";
      break;
  }
  return ok;
}

bool EnglishTagger::ModelReader::Tags(std::string_view line) {
  double n = 0.0;
  bool ok = Fields(line, &fields_) && fields_.size() >= 2 && fields_[0] == "tags" && ParseNumber(fields_[1], &n) &&
            n >= 1.0 && n <= 255.0 && n == std::floor(n) && fields_.size() == 2 + static_cast<size_t>(n);
  if (!ok) {
    problem_ = "expected \"tags N name...\"";
    return false;
  }
  m_.tag_count_ = static_cast<size_t>(n);
  for (size_t i = 2; i < fields_.size(); ++i) {
    for (const std::string& earlier : m_.tag_names_) {
      if (earlier == fields_[i]) ok = false;
    }
    m_.tag_names_.emplace_back(fields_[i]);
    m_.classes_.push_back(ClassOfTagName(fields_[i]));
  }
  if (!ok) problem_ = "a tag named twice";
  stage_ = kCounts;
  return ok;
}

bool EnglishTagger::ModelReader::Counts(std::string_view line) {
  bool ok = Fields(line, &fields_) && fields_[0] == "counts" && fields_.size() == 1 + m_.tag_count_;
  for (size_t i = 1; ok && i < fields_.size(); ++i) {
    double c = 0.0;
    ok = ParseNumber(fields_[i], &c) && c >= 1.0 && c < 1e15;
    m_.log_count_.push_back(static_cast<float>(std::log(c)));
  }
  if (!ok) problem_ = "expected \"counts\" and a count of at least 1 per tag";
  stage_ = kStart;
  return ok;
}

bool EnglishTagger::ModelReader::Start(std::string_view line) {
  const bool ok = Fields(line, &fields_) && fields_[0] == "start" && Row(1, &m_.start_);
  if (!ok && problem_.empty()) problem_ = "expected \"start\" and a number per tag";
  stage_ = kFrom;
  expected_ = m_.tag_count_;
  return ok;
}

bool EnglishTagger::ModelReader::From(std::string_view line) {
  const std::string& from = m_.tag_names_[m_.tag_count_ - expected_];
  const bool ok = Fields(line, &fields_) && fields_.size() >= 2 && fields_[0] == "from" && fields_[1] == from &&
                  Row(2, &m_.transition_);
  if (!ok && problem_.empty()) problem_ = "expected \"from " + from + "\" and a number per tag";
  if (--expected_ == 0) stage_ = kWordsHeader;
  return ok;
}

bool EnglishTagger::ModelReader::WordsHeader(std::string_view line) {
  const bool ok = CountLine(line, "words", 10000000);
  stage_ = expected_ > 0 ? kWords : kSuffixesHeader;
  m_.words_.reserve(expected_);
  // About ten bytes a word or suffix option: one allocation, not a copy of
  // everything read so far at each doubling.
  m_.entries_.reserve(text_.size() / 10);
  return ok;
}

bool EnglishTagger::ModelReader::Entry(std::string_view line) {
  const size_t tab = line.find('\t');
  if (tab == std::string_view::npos || tab == 0) {
    problem_ = "expected \"key<TAB>tag:logp ...\"";
    return false;
  }
  const std::string_view key = line.substr(0, tab);
  if (stage_ == kSuffixes && key.size() > kMaxSuffix + 1) {
    problem_ = "suffix too long";
    return false;
  }
  Span span;
  if (!Options(line.substr(tab + 1), &span)) return false;
  auto& table = stage_ == kWords ? m_.words_ : m_.suffixes_;
  if (!table.Insert(key, span).second) {
    problem_ = "key listed twice";
    return false;
  }
  if (stage_ == kSuffixes && key.size() - 1 > m_.max_suffix_) m_.max_suffix_ = key.size() - 1;
  if (--expected_ == 0) stage_ = stage_ == kWords ? kSuffixesHeader : kEnd;
  return true;
}

bool EnglishTagger::ModelReader::SuffixesHeader(std::string_view line) {
  const bool ok = CountLine(line, "suffixes", 10000000);
  stage_ = expected_ > 0 ? kSuffixes : kEnd;
  m_.suffixes_.reserve(expected_);
  return ok;
}

bool EnglishTagger::ModelReader::Options(std::string_view list, Span* span) {
  std::vector<Option>& entries = m_.entries_;
  span->first = static_cast<uint32_t>(entries.size());
  if (!Fields(list, &fields_) || fields_.size() > kMaxLineOptions) {
    problem_ = "bad option list";
    return false;
  }
  for (std::string_view f : fields_) {
    const size_t colon = f.find(':');
    double tag = 0.0, logp = 0.0;
    if (colon == std::string_view::npos || !ParseNumber(f.substr(0, colon), &tag) ||
        !ParseNumber(f.substr(colon + 1), &logp)) {
      problem_ = "bad number";
      return false;
    }
    if (tag != std::floor(tag) || tag < 0.0 || tag >= static_cast<double>(m_.tag_count_)) {
      problem_ = "unknown tag index";
      return false;
    }
    if (logp < -100.0 || logp > 100.0) {
      problem_ = "log probability out of range";
      return false;
    }
    const auto t = static_cast<uint8_t>(tag);
    for (size_t i = span->first; i < entries.size(); ++i) {
      if (entries[i].tag == t) {
        problem_ = "tag listed twice";
        return false;
      }
    }
    entries.push_back({t, static_cast<float>(logp)});
  }
  span->count = static_cast<uint32_t>(entries.size() - span->first);
  return true;
}

bool EnglishTagger::ModelReader::Row(size_t from, std::vector<float>* out) {
  if (fields_.size() != from + m_.tag_count_) {
    problem_ = "needs one number per tag";
    return false;
  }
  for (size_t i = from; i < fields_.size(); ++i) {
    double v = 0.0;
    if (!ParseNumber(fields_[i], &v) || v < -100.0 || v > 100.0) {
      problem_ = "bad number";
      return false;
    }
    out->push_back(static_cast<float>(v));
  }
  return true;
}

bool EnglishTagger::ModelReader::CountLine(std::string_view line, const char* keyword, size_t limit) {
  double v = 0.0;
  if (!Fields(line, &fields_) || fields_.size() != 2 || fields_[0] != keyword || !ParseNumber(fields_[1], &v) ||
      v != std::floor(v) || v < 0.0 || v > static_cast<double>(limit)) {
    problem_ = std::string("expected \"") + keyword + " N\"";
    return false;
  }
  expected_ = static_cast<size_t>(v);
  return true;
}

WordClass ClassOfTagName(std::string_view name) {
  struct Entry {
    const char* name;
    WordClass cls;
  };
  static constexpr Entry kTable[] = {
      {"nn", WordClass::kNoun},          {"nns", WordClass::kNoun},
      {"nnp", WordClass::kProperNoun},   {"nnps", WordClass::kProperNoun},
      {"jj", WordClass::kAdjective},     {"jjr", WordClass::kAdjective},
      {"jjs", WordClass::kAdjective},    {"vb", WordClass::kVerb},
      {"vbd", WordClass::kVerb},         {"vbp", WordClass::kVerb},
      {"vbz", WordClass::kVerb},         {"md", WordClass::kVerb},
      {"vbg", WordClass::kGerund},       {"vbn", WordClass::kParticiple},
      {"rb", WordClass::kAdverb},        {"rbr", WordClass::kAdverb},
      {"rbs", WordClass::kAdverb},       {"rp", WordClass::kAdverb},
      {"wrb", WordClass::kAdverb},       {"det", WordClass::kDeterminer},
      {"dt", WordClass::kDeterminer},    {"pdt", WordClass::kDeterminer},
      {"wdt", WordClass::kDeterminer},   {"ex", WordClass::kDeterminer},
      {"prp", WordClass::kPronoun},      {"prps", WordClass::kPronoun},
      {"wp", WordClass::kPronoun},       {"wps", WordClass::kPronoun},
      {"in", WordClass::kPreposition},   {"to", WordClass::kPreposition},
      {"cc", WordClass::kConjunction},   {"cd", WordClass::kNumber},
      {"pp", WordClass::kPunctuation},   {"ppc", WordClass::kPunctuation},
      {"pps", WordClass::kPunctuation},  {"ppl", WordClass::kPunctuation},
      {"ppr", WordClass::kPunctuation},  {"ppd", WordClass::kPunctuation},
      {"lrb", WordClass::kPunctuation},  {"rrb", WordClass::kPunctuation},
      {"sym", WordClass::kPunctuation},
  };
  for (const Entry& e : kTable) {
    if (name == e.name) return e.cls;
  }
  return WordClass::kOther;
}

void EnglishTagger::Clear() {
  tag_names_.clear();
  classes_.clear();
  tag_count_ = 0;
  start_.clear();
  transition_.clear();
  log_count_.clear();
  entries_.clear();
  words_.clear();
  suffixes_.clear();
  number_ = ordinal_ = Span();
  nnp_ = -1;
  max_suffix_ = 0;
  image_.reset();
  mapped_words_ = {};
  mapped_suffixes_ = {};
  entries_data_ = nullptr;
  entries_size_ = 0;
}

int EnglishTagger::TagIndex(std::string_view name) const {
  for (size_t i = 0; i < tag_names_.size(); ++i) {
    if (tag_names_[i] == name) return static_cast<int>(i);
  }
  return -1;
}

bool EnglishTagger::Load(const std::string& path, std::string* error) {
  if (LoadTable(path, this, error)) return true;
  Clear();  // Parse clears on its own failures, not on a file it never saw
  return false;
}

bool EnglishTagger::Parse(std::string_view text, std::string* error) {
  Clear();
  ModelReader reader(this, text);
  size_t line_no = 0;
  if (!reader.ReadAll(&line_no)) {
    *error = "English tagger model line " + std::to_string(line_no) + ": " + reader.problem();
    Clear();
    return false;
  }
  nnp_ = TagIndex("nnp");
  const Span* w = words_.Find("*NUM*");
  if (w) number_ = *w;
  w = words_.Find("*ORD*");
  if (w) ordinal_ = *w;
  entries_data_ = entries_.data();
  entries_size_ = entries_.size();
  return true;
}

bool EnglishTagger::LoadImage(const std::string& path, std::string* error) {
  auto image = MappedImage::Open(path, ImageKind::kTagger, tarnix::WordTableView<Span>::kSlotBytes, error);
  if (image == nullptr) return false;
  auto refuse = [&](const char* why) {
    *error = path + ": " + why;
    return false;
  };
  if (image->section(kTaggerMetaSection).size != sizeof(TaggerImageMeta)) return refuse("no tagger description");
  TaggerImageMeta meta;
  std::memcpy(&meta, image->at(kTaggerMetaSection), sizeof meta);
  tarnix::WordTableView<Span> words, suffixes;
  if (!image->View(&words, error) ||
      !image->ViewAt(kSuffixSlotsSection, meta.suffix_slot_count, meta.suffix_filter_words, meta.suffix_count,
                     &suffixes, error)) {
    return false;
  }
  const size_t tags = image->header().classes;
  std::vector<std::string> names = image->Names(kTagNamesSection);
  if (tags == 0 || tags > 255 || names.size() != tags || image->section(kStartSection).size != tags * sizeof(float) ||
      image->section(kLogCountSection).size != tags * sizeof(float) ||
      image->section(kTransitionSection).size != tags * tags * sizeof(float)) {
    return refuse("the tag tables do not match the tag count");
  }
  if (image->section(kOptionsSection).size % sizeof(Option) != 0) return refuse("the options are cut short");
  const auto* entries = reinterpret_cast<const Option*>(image->at(kOptionsSection));
  const size_t entries_size = image->section(kOptionsSection).size / sizeof(Option);
  for (size_t i = 0; i < entries_size; ++i) {
    if (entries[i].tag >= tags) return refuse("an option names no tag");
  }
  auto inside = [&](uint32_t first, uint32_t count) { return first <= entries_size && count <= entries_size - first; };
  if (meta.max_suffix > kMaxSuffix || !inside(meta.number_first, meta.number_count) ||
      !inside(meta.ordinal_first, meta.ordinal_count)) {
    return refuse("the suffix length or the number options are out of range");
  }
  Clear();
  tag_names_ = std::move(names);
  for (const std::string& n : tag_names_) classes_.push_back(ClassOfTagName(n));
  tag_count_ = tags;
  start_ = image->Copy<float>(kStartSection);
  log_count_ = image->Copy<float>(kLogCountSection);
  transition_ = image->Copy<float>(kTransitionSection);
  number_ = {meta.number_first, meta.number_count};
  ordinal_ = {meta.ordinal_first, meta.ordinal_count};
  max_suffix_ = meta.max_suffix;
  nnp_ = TagIndex("nnp");
  image_ = std::move(image);
  mapped_words_ = words;
  mapped_suffixes_ = suffixes;
  entries_data_ = entries;
  entries_size_ = entries_size;
  return true;
}

bool EnglishTagger::WriteImage(const std::string& path, uint64_t source_size, std::string* error) const {
  if (image_ != nullptr || !loaded()) {
    *error = "only a tagger read from text is compiled";
    return false;
  }
  const std::string names = JoinNames(tag_names_);
  const auto suffixes = tarnix::WordTableView<Span>::Of(suffixes_);
  TaggerImageMeta meta{};
  meta.suffix_count = suffixes.size();
  meta.suffix_slot_count = suffixes.slot_count();
  meta.suffix_filter_words = suffixes.filter_words();
  meta.number_first = number_.first;
  meta.number_count = number_.count;
  meta.ordinal_first = ordinal_.first;
  meta.ordinal_count = ordinal_.count;
  meta.max_suffix = static_cast<uint32_t>(max_suffix_);
  // The options' padding bytes are set, so that one model always compiles
  // to the same bytes.
  std::vector<Option> options(entries_.size());
  std::memset(static_cast<void*>(options.data()), 0, options.size() * sizeof(Option));
  for (size_t i = 0; i < entries_.size(); ++i) {
    options[i].tag = entries_[i].tag;
    options[i].emission = entries_[i].emission;
  }
  ImageHeader header{};
  header.kind = static_cast<uint32_t>(ImageKind::kTagger);
  header.source_size = source_size;
  header.classes = static_cast<uint32_t>(tag_count_);
  const ImageExtra extra[kImageSections - kKindSections] = {
      {suffixes.slots(), suffixes.slot_count() * tarnix::WordTableView<Span>::kSlotBytes},
      {suffixes.filter(), suffixes.filter_words() * sizeof(uint64_t)},
      {suffixes.pool(), suffixes.pool_size()},
      {options.data(), options.size() * sizeof(Option)},
      {start_.data(), start_.size() * sizeof(float)},
      {transition_.data(), transition_.size() * sizeof(float)},
      {log_count_.data(), log_count_.size() * sizeof(float)},
      {names.data(), names.size()},
      {&meta, sizeof meta}};
  return ekvr::WriteImage(path, header, tarnix::WordTableView<Span>::Of(words_), extra, error);
}

}  // namespace ekvr
