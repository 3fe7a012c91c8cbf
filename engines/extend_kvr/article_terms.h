// Terms, class candidates and term classes of one article, independent of
// how its text was segmented (the engine binds the segmenter and the
// English dictionary; tests bind their own).
//
// The analyses behind this interface: zh_article.cc reads a Chinese
// article (zh_words, zh_candidate_terms), classifies it (zh_classes) and
// weighs its terms (zh_features, zh_nesting, zh_weigh); en_article.cc
// reads an English one (en_phrases) and weighs it (en_weigh).
#ifndef TARNIX_ENGINES_EXTEND_KVR_ARTICLE_TERMS_H_
#define TARNIX_ENGINES_EXTEND_KVR_ARTICLE_TERMS_H_

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "class_scheme.h"
#include "classifier.h"
#include "en_features.h"
#include "en_tagger.h"
#include "idf_table.h"
#include "positions.h"
#include "term_model.h"
#include "term_set.h"
#include "zh_buffers.h"
#include "zh_terms.h"

namespace ekvr {

struct ArticleText {
  std::string field[kPositionCount];  // indexed by Position
};

// Segments text into tokens with part-of-speech codes; false on failure.
using SegmentFn = std::function<bool(std::string_view text, std::vector<Token>* tokens)>;
// The English dictionary's information text for a lower-case word, empty
// when it has none.
using EnglishInfoFn = std::function<std::string(const std::string& word)>;

struct ClassMerge;
class WordMemory;

struct Resources {
  const IdfTable* idf = nullptr;             // required
  const Classifier* classifier = nullptr;    // optional (no classes without it)
  const ClassScheme* scheme = nullptr;       // required with a classifier
  const TermModel* term_model = nullptr;     // optional (tf-idf weights without it)
  const EnglishTagger* tagger = nullptr;     // English, optional (dictionary classes without it)
  const KeyphraseTable* keyphrases = nullptr;  // English, optional
  const IdfTable* pairs = nullptr;             // English word pairs, optional
  float chi_threshold = 200.0f;
  int class_mode = 1;  // 0 library classes, anything else discipline codes
  const ClassMerge* merge = nullptr;  // optional: the classes of class_mode (zh_classes.h)
  WordMemory* memory = nullptr;       // optional: words of earlier articles (zh_words.h)
};

struct ClassCandidate {
  std::string code;
  float score;
};

struct Analysis {
  TermSet terms;
  std::vector<AuthorKeyword> keywords;
  std::vector<ClassCandidate> classes;  // best first
  int abstract_terms = kAbstractLimit;  // abstract terms kind 2 may hand over
  int full_text_records = 10000;        // records kind 1 may hand over
  bool whole_terms = false;  // kind 1: one record per term rather than per field
  ChineseBuffers buffers;    // kept from article to article; Clear leaves them
  void Clear();
};

// Weight factor of a field: title and author keywords say most about the
// article, the journal name least.
float PositionFactor(Position pos);

// The author keywords of a keyword field: split at ; , and their full-width
// forms, 、 and line ends, blanks trimmed, repeats dropped.
std::vector<std::string> SplitKeywords(std::string_view field);

bool AnalyzeChinese(const ArticleText& article, const SegmentFn& segment, const Resources& res,
                    Analysis* out);
bool AnalyzeEnglish(const ArticleText& article, const EnglishInfoFn& info, const Resources& res,
                    Analysis* out);

// Whether an article is Chinese: Chinese characters (double-byte GBK
// outside the rows of punctuation and symbols) make up at least a fifth of
// the non-blank bytes of its title, abstract and keywords (or of its full
// text when those are empty).
bool LooksChinese(const ArticleText& article);

}  // namespace ekvr

#endif  // TARNIX_ENGINES_EXTEND_KVR_ARTICLE_TERMS_H_
