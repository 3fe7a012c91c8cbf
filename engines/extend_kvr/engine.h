// The engine's state behind the nine exported functions: its data, the
// Lexmill dictionaries it uses, and the current article.
#ifndef TARNIX_ENGINES_EXTEND_KVR_ENGINE_H_
#define TARNIX_ENGINES_EXTEND_KVR_ENGINE_H_

#include <memory>
#include <string>
#include <vector>

#include "gbk_script.h"
#include "word_list.h"
#include "article_terms.h"
#include "zh_classes.h"
#include "zh_words.h"
#include "tarnix/records.h"

namespace ekvr {

// Data files in the data folder (see data/extend_kvr/README.md).
inline constexpr const char* kConcordanceFile = "disciplines.tsv";
inline constexpr const char* kChineseIdfFile = "zh_idf.txt";
inline constexpr const char* kEnglishIdfFile = "en_idf.txt";

// Configuration keys of section "DictInfo" in ".\EKVR.ini" naming the Lexmill
// dictionaries the engine uses, with their defaults.
inline constexpr const char* kSegmentDictKey = "ekvr_segment_dict";
inline constexpr const char* kSegmentDictDefault = "QOVA_CLA_CHN_DICT";
inline constexpr const char* kEnglishDictKey = "ekvr_english_dict";
inline constexpr const char* kEnglishDictDefault = "EnglishGeneral";

// Longest text EKVR_Init_File2 accepts in one field, as Tarnix passes them.
inline constexpr size_t kMaxFieldBytes = 0x80000 - 1;

class Engine {
 public:
  int SetPath();
  int WordInit(int mode, int type);
  int FreeDict();
  int InitFile(const char* title, const char* keyword, const char* abstract, const char* magazine,
               const char* file, const char* extra);
  int SetThreshold(float threshold);
  int Calculate(int mode, int class_mode);
  int Classify(char** classes, float* scores, int* count) const;
  int Formalize(const char* text, char* out) const;
  int ArticleInfo(ArticleTerm* table, int* count, int kind) const;

 private:
  struct Language;
  // Makes sure the dictionary of that name is loaded (by this engine when
  // nobody had it, so that FreeDict unloads it); false when it cannot be.
  bool KeepLoaded(const std::string& name);
  bool LoadChinese();
  bool LoadEnglish();
  // Reads the stop words EKVR.ini names, once per initialisation.
  bool LoadStopWords();

  std::string folder_;
  std::unique_ptr<Classifier> classifier_;
  std::unique_ptr<ClassScheme> scheme_;
  std::unique_ptr<IdfTable> zh_idf_;
  std::unique_ptr<IdfTable> en_idf_;
  std::unique_ptr<EnglishTagger> en_tagger_;
  std::unique_ptr<KeyphraseTable> en_keyphrases_;
  std::unique_ptr<TermModel> en_model_;
  std::unique_ptr<IdfTable> en_pairs_;
  std::unique_ptr<TermModel> term_model_;
  std::string segment_dict_;
  std::string english_dict_;
  std::shared_ptr<const tarnix::StopWords> stop_words_;  // null: none
  bool stop_words_read_ = false;
  std::vector<std::string> owned_dicts_;  // loaded by the engine, unloaded by it

  bool have_article_ = false;
  bool calculated_ = false;
  ArticleText article_;
  float chi_threshold_ = 200.0f;
  Analysis analysis_;
  // The classes of each class mode (0, and any other), worked out at the
  // first article that asks after the tables are loaded.
  ClassMerge merge_[2];
  bool merge_ready_[2] = {false, false};
  // The Chinese tables' values of words of earlier articles.
  WordMemory words_;
  // An article in Traditional characters is analysed in Simplified ones;
  // this puts its own characters back into the records.
  tarnix::ScriptRestorer script_;
};

Engine& TheEngine();

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_ENGINE_H_
