// Scripted test builds of the two engines. They carry the engines' file
// names (libLexmill.so, libExtend_KVR.so) and export the engines'
// functions, but only replay what a test tells them and record every call,
// so that Tarnix can be driven deterministically through its exports.
#ifndef TARNIX_TESTS_SCRIPTED_SCRIPTED_ENGINES_H_
#define TARNIX_TESTS_SCRIPTED_SCRIPTED_ENGINES_H_

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "extend_kvr.h"
#include "lexmill.h"

#define SCRIPTED_API __attribute__((visibility("default")))

namespace scripted {

// One engine call with its arguments rendered as text.
struct Call {
  std::string name;
  std::vector<std::string> args;
};

// Every call to either engine, in order.
SCRIPTED_API std::vector<Call>& Calls();
// The names of the calls, in order.
SCRIPTED_API std::vector<std::string> CallNames();
// The calls of one function, in order.
SCRIPTED_API std::vector<Call> CallsTo(const std::string& name);
SCRIPTED_API void Record(const std::string& name, std::vector<std::string> args);
// Whether calls are recorded (on by default; benchmarks turn it off).
SCRIPTED_API bool& Recording();
// Records a call only when recording, so that a benchmark does not pay for
// rendering the arguments.
#define SCRIPTED_RECORD(name, ...) \
  do {                             \
    if (::scripted::Recording()) ::scripted::Record(name, __VA_ARGS__); \
  } while (0)

// Word -> information text, searched without copying the word.
using Entries = std::map<std::string, std::string, std::less<>>;

// A dictionary the scripted Lexmill can load.
struct Dictionary {
  bool loadable = true;
  Entries entries;  // word -> information text
};

struct LexmillScript {
  // What Dict_Load_New can load, by name.
  std::map<std::string, Dictionary, std::less<>> dictionaries;
  // QX_Word_Sect: text -> end offsets of its words (and their tags). A text
  // without a script is not segmented (false).
  std::map<std::string, std::vector<int>> segments;
  std::map<std::string, std::vector<int16_t>> tags;
  // Code_Determine cuts GBK characters (a byte of 0x81 or more starts a
  // two-byte character) unless the text is scripted here.
  std::map<std::string, std::vector<int>> characters;
  bool code_determine_result = true;
  int free_all_space_result = 1;

  // State, observable by tests.
  std::set<std::string, std::less<>> loaded;     // dictionaries loaded now
  // Open handles and their dictionaries, oldest first: a few at a time,
  // taken and given back thousands of times an article.
  std::vector<std::pair<int, std::string>> handles;
  std::vector<std::string> unloaded;     // dictionaries unloaded, in order
  int next_handle = 1;
};

SCRIPTED_API LexmillScript& Lexmill();

struct ExtendScript {
  int set_path = 1;
  int word_init = 1;
  int init_file2 = 1;
  int chi_threshold = 1;
  int calculate = 1;
  int classify = 1;  // GetTxtClassifyTemp's result
  // Candidate classes, best first; the count reported is the number written
  // unless reported_class_count says otherwise.
  std::vector<std::pair<std::string, float>> classes;
  std::optional<int> reported_class_count;
  // GetFormalizationClass: text -> standard form (result 1); other texts
  // give formal_miss and leave the output alone.
  std::map<std::string, std::string> formal;
  int formal_miss = 0;
  // EKVR_GetArticleInfo: records of kind 1 and kind 2. At most the capacity
  // is written; the count reported is the number written unless
  // reported_*_count says otherwise.
  std::vector<ArticleTerm> full_text;
  std::vector<ArticleTerm> abstract_terms;
  int full_text_result = 1;
  int abstract_result = 1;
  std::optional<int> reported_full_count;
  std::optional<int> reported_abstract_count;
};

SCRIPTED_API ExtendScript& Extend();

// Forgets every script, every call and all engine state.
SCRIPTED_API void Reset();

// A record as an engine would deliver it.
SCRIPTED_API ArticleTerm Term(const std::string& word, float weight, int position,
                              const std::string& class_code = "",
                              const std::string& second_word = "", int frequency = 1);

}  // namespace scripted

#endif  // TARNIX_TESTS_SCRIPTED_SCRIPTED_ENGINES_H_
