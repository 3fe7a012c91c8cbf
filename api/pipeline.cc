// Tarnix_Direct: one article from its texts to its keyword list.
#include "pipeline.h"

#include <atomic>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>
#include <string>

#include "abstract_candidates.h"
#include "article_class.h"
#include "class_filter.h"
#include "english_root_only.h"
#include "english_terms.h"
#include "extend_kvr.h"
#include "frequency_totals.h"
#include "full_text_selection.h"
#include "keyword_buffer.h"
#include "platform.h"
#include "profile.h"
#include "root_word.h"
#include "run_log.h"
#include "similar_words.h"
#include "term_maps.h"
#include "text.h"
#include "weight_sort.h"

namespace tarnix {
namespace {

// The two Chinese texts of the run log, in GBK.
constexpr char kArticleLine[] = "\xB4\xA6\xC0\xED\xCE\xC4\xD5\xC2: ";  // 处理文章:
constexpr char kNoTitle[] =
    "\xB4\xCB\xCE\xC4\xD5\xC2\xCE\xDE\xB1\xEA\xCC\xE2\xA3\xA1\xA3\xA1";  // 此文章无标题！！

constexpr size_t kClassNameLimit = 0x40000;
constexpr size_t kTextLimit = 0x80000;
constexpr int32_t kMinBufferSize = 800;
constexpr float kChiThreshold = 200.0f;

// Whether text has at most limit - 1 bytes; reads no more than limit bytes.
bool FitsLimit(const char* text, size_t limit) { return strnlen(text, limit) < limit; }

// Allocates a table without throwing through the pipeline: a null result
// is logged with the step's message, an exception with its own.
template <typename Record>
std::unique_ptr<Record[]> AllocateTable(int32_t count, const char* exception_message) {
  try {
    return std::unique_ptr<Record[]>(new (std::nothrow) Record[count]);
  } catch (...) {
    WriteLog(exception_message);
    return nullptr;
  }
}

// The full-text tables, kept from one call to the next in their initial
// state: setting up their 4.4 MB record by record took longer than the
// whole analysis of a short abstract, so a call sets back only the records
// that were written. A call that finds them taken (a second thread) sets
// up tables of its own, as every call once did.
class FullTextTables {
 public:
  // The tables in their initial state, or null when taken or when memory
  // ran out (then the call allocates its own).
  bool Take(ArticleTerm** info_map, TermClassMatch** info_map_class) {
    if (busy_.exchange(true)) return false;
    if (!info_map_ && !Allocate()) {
      busy_ = false;
      return false;
    }
    *info_map = info_map_;
    *info_map_class = info_map_class_;
    return true;
  }
  // Sets back the first terms and matches records and hands the tables on.
  void Give(int32_t terms, int32_t matches) {
    for (int32_t i = 0; i < terms; ++i) InitArticleTerm(info_map_[i], 0.0f);
    for (int32_t i = 0; i < matches; ++i) InitTermClassMatch(info_map_class_[i]);
    busy_ = false;
  }
  // Tarnix_FreeDict: the memory goes back unless a call holds it.
  void Release() {
    if (busy_.exchange(true)) return;
    Free();
    busy_ = false;
  }
  ~FullTextTables() { Free(); }

 private:
  // Both tables in one block of the platform's large pages: setting up
  // 4.4 MB page by page was a quarter of a one-article process's time.
  static constexpr size_t kTermBytes = sizeof(ArticleTerm) * kInfoMapCapacity;
  static constexpr size_t kMatchAt = (kTermBytes + alignof(TermClassMatch) - 1) / alignof(TermClassMatch) *
                                     alignof(TermClassMatch);
  static constexpr size_t kBlockBytes = kMatchAt + sizeof(TermClassMatch) * kInfoMapCapacity;

  bool Allocate() {
    block_ = AllocateLargeBlock(kBlockBytes);
    if (block_ == nullptr) return false;
    info_map_ = new (block_) ArticleTerm[kInfoMapCapacity];
    info_map_class_ = new (static_cast<char*>(block_) + kMatchAt) TermClassMatch[kInfoMapCapacity];
    Give(kInfoMapCapacity, kInfoMapCapacity);
    return true;
  }
  void Free() {
    FreeLargeBlock(block_, kBlockBytes);
    block_ = nullptr;
    info_map_ = nullptr;
    info_map_class_ = nullptr;
  }

  std::atomic<bool> busy_{false};
  void* block_ = nullptr;
  ArticleTerm* info_map_ = nullptr;
  TermClassMatch* info_map_class_ = nullptr;
};

FullTextTables& KeptTables() {
  static FullTextTables tables;
  return tables;
}

// What one call owns; released on every way out.
struct CallTables {
  CallTables() = default;
  CallTables(const CallTables&) = delete;
  CallTables& operator=(const CallTables&) = delete;
  ~CallTables() {
    if (kept) KeptTables().Give(terms_written, matches_written);
  }

  ArticleTerm* info_map = nullptr;  // kept tables, or the two below
  TermClassMatch* info_map_class = nullptr;
  bool kept = false;
  int32_t terms_written = 0;    // records to set back in the kept tables
  int32_t matches_written = 0;
  std::unique_ptr<ArticleTerm[]> own_info_map;
  std::unique_ptr<TermClassMatch[]> own_info_map_class;
  int32_t n = 0;
  std::unique_ptr<ArticleTerm[]> info_map1;
  int32_t m = 0;
  char article_class[kArticleClassSize] = {};
  ClassScoreMap class_map;
  NodeArena arena;  // before the maps: they give their nodes back to it
  TermIndexMap fileword{TermIndexMap::allocator_type(&arena)};
  TermIndexMap english_fileword{TermIndexMap::allocator_type(&arena)};
  TermIndexMap abstword{TermIndexMap::allocator_type(&arena)};
};

// How many records of a kept table the engine wrote when it reported n:
// an engine fills the table from its start, so the first record past n
// that still holds its initial state ends what it wrote.
int32_t RecordsWritten(const ArticleTerm* table, int32_t n) {
  while (n < kInfoMapCapacity && !IsInitialArticleTerm(table[n], 0.0f)) ++n;
  return n;
}

// Terminates the texts of the engine's records, copies each word into its
// class-match entry and sets its depth, in one walk over the records; the
// entries beyond the records are given their initial state, unless the
// table came in it (initial: a kept table).
void MatchClasses(ArticleTerm* info_map, int32_t n, TermClassMatch* info_map_class,
                  const char* article_class, int class_mode, bool initial) {
  if (!initial) {
    for (int32_t i = n; i < kInfoMapCapacity; ++i) InitTermClassMatch(info_map_class[i]);
  }
  for (int32_t i = 0; i < n; ++i) {
    ArticleTerm& term = info_map[i];
    TerminateTextFields(term);
    SetField(info_map_class[i].word, FieldView(term.word));
    info_map_class[i].match_depth = ClassMatchDepth(article_class, term.class_code, class_mode);
  }
}

}  // namespace

bool TarnixInputTest(const char* title, const char* abstract, const char* keyword,
                     const char* file, const char* magazine, const char* class_name,
                     KeywordEntry* word_buffer, int32_t* buffer_size) {
  auto fail = [buffer_size](const char* message) {
    if (message) WriteLog(message);
    if (buffer_size) *buffer_size = 0;
    return false;
  };
  const struct {
    const void* pointer;
    const char* message;
  } required[] = {
      {title, "TarnixInputTest title is null!"},
      {abstract, "TarnixInputTest abstract is null!"},
      {keyword, "TarnixInputTest keyword is null!"},
      {file, "TarnixInputTest file is null!"},
      {magazine, "TarnixInputTest magazine is null!"},
      {class_name, "TarnixInputTest class_name is null!"},
      {word_buffer, "TarnixInputTest word_buffer is null!"},
      {buffer_size, "TarnixInputTest buffer_size is null!"},
  };
  for (const auto& r : required) {
    if (r.pointer == nullptr) return fail(r.message);
  }

  WriteLog(std::string(kArticleLine) + (title[0] ? title : kNoTitle));

  const struct {
    const char* text;
    const char* message;
  } warnings[] = {
      {file, "TarnixInputTest . <1>input file length  is 0!"},
      {title, "TarnixInputTest . <2>input title length is 0!"},
      {abstract, "TarnixInputTest . <3>input abstract length is 0!"},
      {keyword, "TarnixInputTest . <4>input keyword length is 0!"},
      {magazine, "TarnixInputTest . <5>input magzine length is 0!"},
      {class_name, "TarnixInputTest . <6>input class_name length is 0!"},
  };
  for (const auto& w : warnings) {
    if (w.text[0] == '\0') WriteLog(w.message);
  }

  const struct {
    const char* text;
    size_t limit;
    const char* message;
  } limits[] = {
      {class_name, kClassNameLimit, "TarnixInputTest class_name is too long!"},
      {title, kTextLimit, "TarnixInputTest . title is too long!"},
      {keyword, kTextLimit, "TarnixInputTest . keyword is too long!"},
      {abstract, kTextLimit, "TarnixInputTest . abstract is too long!"},
      {magazine, kTextLimit, "TarnixInputTest . magazine is too long!"},
      {file, kTextLimit, "TarnixInputTest . file is too long!"},
  };
  for (const auto& l : limits) {
    if (!FitsLimit(l.text, l.limit)) return fail(l.message);
  }

  if (*buffer_size < kMinBufferSize) {
    WriteLog("TarnixInputTest . buffer_size is too small!");
    std::cout << *buffer_size << std::endl;
    return fail(nullptr);
  }
  return true;
}

namespace {

// What a failed step writes to the run log, and whether the title follows
// (from the candidate selection on, so that the article can be found).
struct Failure {
  const char* message = nullptr;
  bool log_title = false;
};
constexpr Failure kDone{};

// The engine takes the article and computes its terms.
Failure AnalyzeArticle(const char* title, const char* abstract, const char* keyword, const char* file,
                       const char* magazine, int class_mode) {
  char no_extra[] = "NULL";
  if (EKVR_Init_File2(title, keyword, abstract, magazine, file, no_extra) != 1) {
    return {"step2. EKVR_Init_File2 failed!"};
  }
  if (SetCHIThreshold(kChiThreshold) != 1) return {"step2. SetCHIThreshold failed!"};
  if (EKVR_CalculateTxtValue(0, class_mode) != 1) return {"step2. EKVR_CalculateTxtValue failed!"};
  return kDone;
}

// The full-text terms, and each one's agreement with the article class.
Failure ReadFullTextTerms(CallTables& t, int class_mode) {
  t.kept = KeptTables().Take(&t.info_map, &t.info_map_class);
  if (!t.kept) {
    t.own_info_map = AllocateTable<ArticleTerm>(kInfoMapCapacity, "InfoMap Error!");
    if (!t.own_info_map) return {"step2. InfoMap allocate memory failed!"};
    t.info_map = t.own_info_map.get();
    for (int32_t i = 0; i < kInfoMapCapacity; ++i) InitArticleTerm(t.info_map[i], 0.0f);
  }
  t.n = kInfoMapCapacity;
  // Until the engine has answered, any record may have been written.
  t.terms_written = kInfoMapCapacity;
  if (EKVR_GetArticleInfo(t.info_map, &t.n, EKVR_KIND_FULL_TEXT) != 1) {
    return {"step5. EKVR_GetArticleInfo failed!"};
  }
  // A count the table cannot hold is rejected before any record is read.
  if (t.n > kInfoMapCapacity || t.n < 0) return {"step5. InfoMap Num Error!"};
  if (t.kept) t.terms_written = RecordsWritten(t.info_map, t.n);
  // Matched in the same walk over the records that terminates their texts.
  if (!t.kept) {
    t.own_info_map_class = AllocateTable<TermClassMatch>(kInfoMapCapacity, "InfoMapclass Error!");
    if (!t.own_info_map_class) return {"step6. InfoMapclass allocat failed!"};
    t.info_map_class = t.own_info_map_class.get();
  }
  t.matches_written = t.n;
  MatchClasses(t.info_map, t.n, t.info_map_class, t.article_class, class_mode, t.kept);
  return kDone;
}

// The full-text candidates, one per text.
Failure SelectFullTextCandidates(CallTables& t, bool chinese) {
  TermIndexMap& full_text = chinese ? t.fileword : t.english_fileword;
  if (chinese ? !EraseFileClass(t.fileword, t.info_map, t.n, t.info_map_class)
              : !EraseFileClass_English(t.english_fileword, t.info_map, t.n, t.info_map_class)) {
    return {"step7. EraseFileClass failed!", true};
  }
  if (!SelectFileWord(full_text, t.info_map, t.info_map_class)) {
    return {"step8. SelectFileWord failed!", true};
  }
  if (!chinese &&
      !RootFileWordOnly(t.english_fileword, t.fileword, t.info_map, t.info_map_class)) {
    return {"step8(Eng). RootFileWordOnly failed!", true};
  }
  t.english_fileword.clear();
  return kDone;
}

// The abstract and keyword terms, each in the article's class.
Failure ReadAbstractTerms(CallTables& t) {
  t.info_map1 = AllocateTable<ArticleTerm>(kInfoMap1Capacity, "InfoMap1 Error!");
  if (!t.info_map1) return {"step9. InfoMap1 allocate memory failed!"};
  for (int32_t i = 0; i < kInfoMap1Capacity; ++i) InitArticleTerm(t.info_map1[i], 100.0f);
  t.m = kInfoMap1Capacity;
  if (EKVR_GetArticleInfo(t.info_map1.get(), &t.m, EKVR_KIND_ABSTRACT) != 1) {
    return {"step9. EKVR_GetArticleInfo failed!"};
  }
  if (t.m > kInfoMap1Capacity || t.m < 0) return {"step9. InfoMap1 Num Error!"};
  for (int32_t i = 0; i < t.m; ++i) {
    TerminateTextFields(t.info_map1[i]);
    SetField(t.info_map1[i].class_code, t.article_class);
  }
  return kDone;
}

// English terms of a Chinese title, then the abstract candidates.
Failure SelectAbstractCandidates(CallTables& t, bool chinese, const char* title) {
  if (chinese && !AddEngLishWord(t.info_map, t.n, t.info_map1.get(), &t.m, title, t.article_class)) {
    return {"step10. AddEngLishWord failed!", true};
  }
  if (!EraseAbstword(t.abstword, t.info_map1.get(), t.m)) return {"step11. EraseAbstword failed!", true};
  if (!SelectWord(t.abstword, t.info_map1.get())) return {"step12. SelectWord failed!", true};
  return kDone;
}

Failure MergeRootWords(CallTables& t, bool chinese) {
  bool merged;
  if (chinese) {
    Erase_Longword(t.fileword, 0);
    Erase_Longword(t.abstword, 1);
    merged = RootFileWord3(t.fileword, t.abstword, t.info_map, t.info_map1.get(), t.info_map_class);
  } else {
    merged = RootFileWord3_English(t.fileword, t.abstword, t.info_map, t.info_map1.get(),
                                   t.info_map_class);
  }
  return merged ? kDone : Failure{"step15. RootFileWord failed!", true};
}

// The keyword list: written, sorted, class-adjusted and, for Chinese, rid
// of similar words.
Failure WriteKeywordList(CallTables& t, KeywordEntry* word_buffer, int32_t* buffer_size, int type,
                         bool floor_weights) {
  if (!PrintKeyWord(t.fileword, t.abstword, t.info_map, t.n, t.info_map1.get(), t.m, word_buffer,
                    buffer_size, type, floor_weights)) {
    return {"step9. PrintKeyWord failed!", true};
  }
  t.fileword.clear();
  t.abstword.clear();
  if (!SortByPos(t.info_map, &t.n, t.info_map1.get(), &t.m, word_buffer, buffer_size)) {
    return {"SortByPos failed!"};
  }
  if (!MaoPaoSort(word_buffer, *buffer_size)) return {"MaoPaoSort Wrong!"};
  if (!WordValueChang(t.class_map, t.article_class, word_buffer, buffer_size)) {
    return {"WordValueChang Wrong!"};
  }
  t.class_map.clear();
  if (type == 1 && !SimilarWordDel(word_buffer, buffer_size)) return {"SimilarWordDel Wrong!"};
  return kDone;
}

}  // namespace

void ReleaseCallTables() { KeptTables().Release(); }

int RunDirect(const char* title, const char* abstract, const char* keyword, const char* file,
              const char* magazine, const char* class_name, KeywordEntry* word_buffer,
              int32_t* buffer_size, int type, int class_mode, bool floor_weights) {
  const ProfileCheckScope one_configuration_per_article;
  CallTables t;
  // A failed step logs its message (and for the later steps the title),
  // reports no keywords and leaves; the tables go with `t`.
  auto fail = [&](const Failure& f) {
    WriteLog(f.message);
    if (f.log_title) WriteLog(title);
    if (buffer_size) *buffer_size = 0;
    return 9;
  };
  if (!TarnixInputTest(title, abstract, keyword, file, magazine, class_name, word_buffer, buffer_size)) {
    return fail({"step1. TarnixInputTest failed!"});
  }
  // Each step runs only when every step before it succeeded.
  const bool chinese = type == 1;
  Failure f = AnalyzeArticle(title, abstract, keyword, file, magazine, class_mode);
  if (f.message == nullptr && !GetAutoClass(t.class_map, t.article_class, class_name, class_mode)) {
    f = {"step3. GetAutoClass failed!"};
  }
  if (f.message == nullptr) f = ReadFullTextTerms(t, class_mode);
  if (f.message == nullptr && type != 1 && type != 2) f = {"step7. EraseFileClass failed!", true};
  if (f.message == nullptr) f = SelectFullTextCandidates(t, chinese);
  if (f.message == nullptr) f = ReadAbstractTerms(t);
  if (f.message == nullptr) f = SelectAbstractCandidates(t, chinese, title);
  if (f.message == nullptr) f = MergeRootWords(t, chinese);
  if (f.message == nullptr) f = WriteKeywordList(t, word_buffer, buffer_size, type, floor_weights);
  return f.message == nullptr ? 0 : fail(f);
}

}  // namespace tarnix
