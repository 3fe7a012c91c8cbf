#include "engine.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "config.h"
#include "data_path.h"
#include "feature_dump.h"
#include "gbk_chars.h"
#include "lexmill.h"
#include "table_file.h"

namespace ekvr {
namespace {

void Complain(const std::string& message) { std::fprintf(stderr, "Extend_KVR: %s\n", message.c_str()); }

// Segments text with the dictionary of handle. Whatever the segmenter
// leaves unexplained (offsets that do not grow, or stop short of the end)
// becomes one segment that breaks every term. The text is passed as it
// is, without a copy: the segmenter reads exactly length bytes.
bool Segment(int handle, std::string_view text, std::vector<Token>* tokens,
             std::vector<int>* ends, std::vector<int16_t>* tags) {
  const int length = static_cast<int>(text.size());
  ends->assign(text.size() + 1, 0);
  tags->assign(text.size() + 1, -1);
  if (!QX_Word_Sect(text.data(), ends->data(), length, handle, 1, tags->data(), 0, 1, 0, 0)) {
    return false;
  }
  // Most segments of Chinese text are one or two characters: room for
  // half the bytes saves the vector most of its growth on a long text.
  tokens->reserve(tokens->size() + text.size() / 2 + 1);
  int begin = 0;
  for (size_t k = 0; k < ends->size() && begin < length; ++k) {
    const int end = (*ends)[k];
    if (end <= begin || end > length) break;
    tokens->push_back({static_cast<uint32_t>(begin), static_cast<uint32_t>(end), (*tags)[k]});
    begin = end;
  }
  if (begin < length) {
    tokens->push_back({static_cast<uint32_t>(begin), static_cast<uint32_t>(length), -1});
  }
  return true;
}

}  // namespace

Engine& TheEngine() {
  static Engine engine;
  return engine;
}

int Engine::SetPath() {
  folder_ = FindDataFolder();
  if (folder_.empty()) {
    Complain(std::string("no data folder holds ") + kModelFile + " (set " + kDataEnvVar + " or " +
             kDataPathKey + " in EKVR.ini)");
    return 0;
  }
  return 1;
}

bool Engine::KeepLoaded(const std::string& name) {
  int handle = Dict_Get_Handle(name.c_str(), "");
  if (handle < 0) {
    handle = Dict_Load_New(name.c_str(), "");
    if (handle < 0) return false;
    owned_dicts_.push_back(name);
  }
  Dict_Delete_Handle(handle);
  return true;
}

bool Engine::LoadChinese() {
  std::string error;
  auto classifier = std::make_unique<Classifier>();
  auto scheme = std::make_unique<ClassScheme>();
  auto idf = std::make_unique<IdfTable>();
  auto term_model = std::make_unique<TermModel>();
  if (!LoadTableOrImage(JoinPath(folder_, kModelFile), classifier.get(), &error) ||
      !scheme->Load(JoinPath(folder_, kConcordanceFile), &error) ||
      !LoadTableOrImage(JoinPath(folder_, kChineseIdfFile), idf.get(), &error) ||
      !LoadTableOrImage(JoinPath(folder_, kTermModelFile), term_model.get(), &error)) {
    Complain(error);
    return false;
  }
  for (size_t c = 0; c < classifier->class_count(); ++c) {
    if (scheme->FindCode(classifier->class_code(c)) == nullptr) {
      Complain("class " + classifier->class_code(c) + " of the model is not in the concordance");
      return false;
    }
  }
  const std::string dict = tarnix::ReadConfig(tarnix::kEkvrIni, kSegmentDictKey, kSegmentDictDefault);
  if (!KeepLoaded(dict)) {
    Complain("segmentation dictionary " + dict + " cannot be loaded");
    return false;
  }
  // The general-word dictionary, which the caller's general-word tests ask
  // for by name and only find when it is loaded. Loaded here, the first
  // article of a process is tested as every later one is; otherwise its
  // abstract candidates would be tested before the caller loads it.
  KeepLoaded(tarnix::SysGeneralDictName());
  classifier_ = std::move(classifier);
  scheme_ = std::move(scheme);
  zh_idf_ = std::move(idf);
  term_model_ = std::move(term_model);
  segment_dict_ = dict;
  return true;
}

bool Engine::LoadEnglish() {
  std::string error;
  auto idf = std::make_unique<IdfTable>();
  auto tagger = std::make_unique<EnglishTagger>();
  auto keyphrases = std::make_unique<KeyphraseTable>();
  auto model = std::make_unique<TermModel>(kEnglishFeatures);
  auto pairs = std::make_unique<IdfTable>();
  // A data folder built without the tagger's model gives the dictionary's
  // word classes instead.
  const std::string tagger_path = JoinPath(folder_, kEnglishTaggerFile);
  const bool tagger_mapped = ImageIsCurrent(ImagePathFor(tagger_path), tagger_path);
  std::string tagger_text;
  const bool have_tagger = tagger_mapped || ReadWholeFile(tagger_path, &tagger_text);
  if (!have_tagger) tagger.reset();
  // Without a term model (the trainer's folder, before there is one) the
  // weights come from frequency and specificity; a model that is there
  // must fit.
  const std::string model_path = JoinPath(folder_, kEnglishModelFile);
  const bool have_model = IsRegularFile(model_path) || IsRegularFile(ImagePathFor(model_path));
  if (!have_model) model.reset();
  if (!LoadTableOrImage(JoinPath(folder_, kEnglishIdfFile), idf.get(), &error) ||
      (have_tagger && !(tagger_mapped ? tagger->LoadImage(ImagePathFor(tagger_path), &error)
                                      : tagger->Parse(tagger_text, &error))) ||
      !LoadTableOrImage(JoinPath(folder_, kKeyphraseFile), keyphrases.get(), &error) ||
      !LoadTableOrImage(JoinPath(folder_, kEnglishPairFile), pairs.get(), &error) ||
      (have_model && !LoadTableOrImage(model_path, model.get(), &error))) {
    Complain(error);
    return false;
  }
  const std::string dict = tarnix::ReadConfig(tarnix::kEkvrIni, kEnglishDictKey, kEnglishDictDefault);
  if (!KeepLoaded(dict)) {
    Complain("English dictionary " + dict + " cannot be loaded");
    return false;
  }
  en_idf_ = std::move(idf);
  en_tagger_ = std::move(tagger);
  en_keyphrases_ = std::move(keyphrases);
  en_model_ = std::move(model);
  en_pairs_ = std::move(pairs);
  english_dict_ = dict;
  return true;
}

int Engine::WordInit(int /*mode*/, int type) {
  merge_ready_[0] = merge_ready_[1] = false;
  words_.Clear();
  if (folder_.empty() && SetPath() != 1) return 0;
  if (!LoadStopWords()) return 0;
  if (type == 1) return LoadChinese() ? 1 : 0;
  if (type == 2) return LoadEnglish() ? 1 : 0;
  Complain("EKVR_Word_Init: type " + std::to_string(type) + " is neither 1 (Chinese) nor 2 (English)");
  return 0;
}

bool Engine::LoadStopWords() {
  if (stop_words_read_) return true;
  std::string error;
  stop_words_ = tarnix::LoadConfiguredStopWords("Extend_KVR", &error);
  if (!error.empty()) {
    Complain("the stop words: " + error);
    return false;
  }
  stop_words_read_ = true;
  return true;
}

int Engine::FreeDict() {
  stop_words_.reset();
  stop_words_read_ = false;
  for (const std::string& name : owned_dicts_) {
    const int handle = Dict_Get_Handle(name.c_str(), "");
    if (handle >= 0) Dict_Unload_New(handle);
  }
  owned_dicts_.clear();
  classifier_.reset();
  scheme_.reset();
  merge_ready_[0] = merge_ready_[1] = false;
  words_.Clear();
  zh_idf_.reset();
  term_model_.reset();
  en_idf_.reset();
  en_tagger_.reset();
  en_keyphrases_.reset();
  en_model_.reset();
  en_pairs_.reset();
  segment_dict_.clear();
  english_dict_.clear();
  have_article_ = calculated_ = false;
  for (std::string& f : article_.field) std::string().swap(f);
  analysis_.Clear();
  return 1;
}

int Engine::InitFile(const char* title, const char* keyword, const char* abstract,
                     const char* magazine, const char* file, const char* extra) {
  have_article_ = calculated_ = false;
  analysis_.Clear();
  if (title == nullptr || keyword == nullptr || abstract == nullptr || magazine == nullptr ||
      file == nullptr) {
    return 0;
  }
  if (!zh_idf_ && !en_idf_) return 0;  // EKVR_Word_Init has not succeeded
  const char* texts[kPositionCount] = {abstract, title, keyword, file, magazine,
                                       (extra == nullptr || std::strcmp(extra, "NULL") == 0) ? "" : extra};
  for (const char* t : texts) {
    if (std::strlen(t) > kMaxFieldBytes) return 0;
  }
  for (int p = 0; p < kPositionCount; ++p) article_.field[p].assign(texts[p]);
  have_article_ = true;
  return 1;
}

int Engine::SetThreshold(float threshold) {
  if (!std::isfinite(threshold) || threshold < 0.0f) return 0;
  chi_threshold_ = threshold;
  return 1;
}

int Engine::Calculate(int /*mode*/, int class_mode) {
  calculated_ = false;
  if (!have_article_) return 0;
  const bool zh = zh_idf_ && (!en_idf_ || LooksChinese(article_));
  // The English training dump marks every article, whichever analysis it
  // takes, so that its articles line up with the input's.
  FeatureDump(kEnglishFeatureDumpVar).Mark("#article");
  Resources res;
  res.chi_threshold = chi_threshold_;
  res.class_mode = class_mode;
  bool ok = false;
  if (zh) {
    res.idf = zh_idf_.get();
    res.classifier = classifier_.get();
    res.scheme = scheme_.get();
    res.term_model = term_model_.get();
    const int mode = class_mode == 0 ? 0 : 1;
    if (!merge_ready_[mode]) {
      merge_[mode] = MergeClasses(res);
      merge_ready_[mode] = true;
    }
    res.merge = &merge_[mode];
    res.memory = &words_;
    const int handle = Dict_Get_Handle(segment_dict_.c_str(), "");
    if (handle < 0) return 0;
    std::vector<int> ends;
    std::vector<int16_t> tags;
    // The dictionaries, the idf list and the classifier are in Simplified
    // characters: a Traditional article is analysed as its Simplified copy
    // (same offsets), and its records get its own characters back.
    script_ = tarnix::ScriptRestorer();
    const ArticleText* text = &article_;
    ArticleText simple;
    if (tarnix::LooksTraditional(article_.field, std::size(article_.field))) {
      simple = article_;
      for (size_t f = 0; f < std::size(simple.field); ++f) {
        tarnix::SimplifyGbk(&simple.field[f]);
        script_.Learn(article_.field[f], simple.field[f]);
      }
      text = &simple;
    }
    ok = AnalyzeChinese(
        *text,
        [&](std::string_view text, std::vector<Token>* tokens) {
          return Segment(handle, text, tokens, &ends, &tags);
        },
        res, &analysis_);
    Dict_Delete_Handle(handle);
  } else {
    script_ = tarnix::ScriptRestorer();
    res.idf = en_idf_.get();
    res.tagger = en_tagger_.get();
    res.keyphrases = en_keyphrases_.get();
    res.term_model = en_model_.get();
    res.pairs = en_pairs_.get();
    const int handle = Dict_Get_Handle(english_dict_.c_str(), "");
    if (handle < 0) return 0;
    ok = AnalyzeEnglish(
        article_,
        [handle](const std::string& word) {
          char info[256];
          info[0] = '\0';
          if (Dict_Search_Get_Info(word.c_str(), handle, info, sizeof info) != 1) return std::string();
          info[sizeof info - 1] = '\0';
          return std::string(info);
        },
        res, &analysis_);
    Dict_Delete_Handle(handle);
  }
  calculated_ = ok;
  return ok ? 1 : 0;
}

int Engine::Classify(char** classes, float* scores, int* count) const {
  if (count == nullptr) return 0;
  const int capacity = *count;
  *count = 0;
  if (classes == nullptr || scores == nullptr || !calculated_ || capacity <= 0) return 0;
  const int n = std::min({capacity, 100, static_cast<int>(analysis_.classes.size())});
  for (int i = 0; i < n; ++i) {
    if (classes[i] == nullptr) break;
    CopyCut(classes[i], 128, analysis_.classes[i].code);
    scores[i] = analysis_.classes[i].score;
    *count = i + 1;
  }
  return *count > 0 ? 1 : 0;
}

int Engine::Formalize(const char* text, char* out) const {
  if (text == nullptr || out == nullptr) return 0;
  const auto code = FormalizeClass(text, scheme_.get());
  if (!code || code->size() > 99) return 0;
  CopyCut(out, 100, *code);
  return 1;
}

int Engine::ArticleInfo(ArticleTerm* table, int* count, int kind) const {
  if (count == nullptr) return 0;
  const int capacity = *count;
  *count = 0;
  if (table == nullptr || capacity < 0 || !calculated_) return 0;
  if (kind == 1) {
    const int limit = std::min(capacity, analysis_.full_text_records);
    *count = analysis_.whole_terms ? WriteWholeTerms(analysis_.terms, table, limit)
                                   : WriteFullText(analysis_.terms, table, limit);
  } else if (kind == 2) {
    *count = WriteAbstract(analysis_.keywords, analysis_.terms, table, capacity, analysis_.abstract_terms);
  } else {
    return 0;
  }
  // A stop word is no term, whichever field it came from: the records
  // after it move up.
  if (stop_words_) {
    int kept = 0;
    for (int i = 0; i < *count; ++i) {
      if (stop_words_->Contains(table[i].word) || stop_words_->Contains(table[i].second_word)) continue;
      if (kept != i) table[kept] = table[i];
      ++kept;
    }
    *count = kept;
  }
  if (!script_.empty()) {
    for (int i = 0; i < *count; ++i) {
      script_.Restore(table[i].word, std::strlen(table[i].word));
      script_.Restore(table[i].second_word, std::strlen(table[i].second_word));
    }
  }
  return 1;
}

}  // namespace ekvr
