// Tarnix_Direct with the scripted engines replaying arbitrary tables: what
// a faulty or hostile classification or segmentation engine could return.
//
// Input: lines of "<letter> <fields separated by TAB>":
//   M type class_mode floor_weights capacity    the modes (default 1 0 0 800)
//   T/A/K/F/J/N text      title, abstract, keyword, file, magazine, class_name
//   f word class weight frequency second position    a full-text record
//   a ...                 an abstract record, same fields
//   r count how           repeats the last record `count` times: how 0 as
//                         is, 1 with a number appended, 2 cut to ever
//                         shorter prefixes (texts that contain one another)
//   C class score         a candidate class of GetTxtClassifyTemp
//   O text standard       a GetFormalizationClass answer
//   D dict word info      an entry of a loaded dictionary (dict s = the
//                         similar-word, g = the general-word, e = the
//                         English general-word, c = the classification one)
//   S text end,end,...    QX_Word_Sect's segmentation of text
//   G text tag,tag,...    its tags
//   H text end,end,...    Code_Determine's character ends of text
//   R which value         engine results and reported counts: which is one
//                         of i s c x t (Init_File2, SetCHIThreshold,
//                         CalculateTxtValue, GetTxtClassifyTemp, Code_Determine)
//                         1 2 (GetArticleInfo results) n m k (reported
//                         full, abstract and class counts)
// Texts longer than a record field fill it to the last byte without a NUL.
// Weights are read with strtof, so nan, inf and 1e40 are weights too.
// Position codes and counts are any int; segment and character ends are
// any int, at most length + 1 of them (what the engine interface allows).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "direct_support.h"
#include "scripted_engines.h"
#include "tarnix/tarnix.h"

namespace {

constexpr size_t kMaxInput = 1 << 16;
constexpr int kMaxRepeat = 10050;  // a little beyond InfoMap's capacity

std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  for (;;) {
    const size_t cut = s.find(sep);
    parts.push_back(s.substr(0, cut));
    if (cut == std::string_view::npos) return parts;
    s.remove_prefix(cut + 1);
  }
}

std::string Field(const std::vector<std::string_view>& f, size_t i) {
  return i < f.size() ? std::string(f[i]) : std::string();
}

long Int(const std::vector<std::string_view>& f, size_t i, long fallback = 0) {
  if (i >= f.size() || f[i].empty()) return fallback;
  const std::string s(f[i]);
  return std::strtol(s.c_str(), nullptr, 10);
}

float Float(const std::vector<std::string_view>& f, size_t i) {
  const std::string s = Field(f, i);
  return std::strtof(s.c_str(), nullptr);
}

// Fills a record field the way a careless engine would: a text of the
// field's size or more leaves no NUL.
template <size_t N>
void Fill(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), text.size() < N ? text.size() : N);
}

ArticleTerm Record(const std::vector<std::string_view>& f) {
  ArticleTerm t;
  std::memset(&t, 0, sizeof t);
  Fill(t.word, Field(f, 1));
  Fill(t.class_code, Field(f, 2));
  t.weight = Float(f, 3);
  t.frequency = static_cast<int32_t>(Int(f, 4, 1));
  Fill(t.second_word, Field(f, 5));
  t.position = static_cast<int32_t>(Int(f, 6));
  t.reserved2 = -1;
  t.reserved3 = -1;
  return t;
}

void Repeat(std::vector<ArticleTerm>& table, long count, long how) {
  if (table.empty() || count <= 0) return;
  const ArticleTerm base = table.back();
  const std::string word(base.word, strnlen(base.word, sizeof base.word));
  for (long i = 0; i < count && table.size() < static_cast<size_t>(kMaxRepeat); ++i) {
    ArticleTerm t = base;
    if (how == 1) {
      Fill(t.word, word + std::to_string(i));
    } else if (how == 2 && !word.empty()) {
      Fill(t.word, word.substr(0, word.size() - static_cast<size_t>(i) % word.size()));
    }
    table.push_back(t);
  }
}

std::vector<int> Ends(std::string_view list, size_t text_length) {
  std::vector<int> ends;
  for (std::string_view e : Split(list, ',')) {
    if (ends.size() > text_length) break;  // the engine writes at most length + 1
    const std::string s(e);
    ends.push_back(static_cast<int>(std::strtol(s.c_str(), nullptr, 10)));
  }
  return ends;
}

const char* DictionaryName(std::string_view which) {
  if (which == "s") return "QOVA_SIM_CHN_DICT";
  if (which == "g") return "sys_general_dic";
  if (which == "e") return "EnglishGeneral";
  return "QOVA_CLA_CHN_DICT";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tarnix_fuzz::EnterWorkDir(true, argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput) return 0;
  scripted::Reset();
  scripted::Recording() = false;  // the call record would grow without end
  scripted::LexmillScript& lex = scripted::Lexmill();
  scripted::ExtendScript& ext = scripted::Extend();
  for (const char* name : {"QOVA_SIM_CHN_DICT", "sys_general_dic", "EnglishGeneral",
                           "QOVA_CLA_CHN_DICT"}) {
    lex.dictionaries[name];
    lex.loaded.insert(name);
  }

  int type = 1, class_mode = 0, floor_weights = 0, capacity = 800;
  std::string texts[6];
  std::vector<ArticleTerm>* last = &ext.full_text;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  for (std::string_view line : Split(input, '\n')) {
    if (line.size() < 2) continue;
    const std::vector<std::string_view> f = Split(line.substr(2), '\t');
    std::vector<std::string_view> r(1);  // record fields start at 1
    r.insert(r.end(), f.begin(), f.end());
    switch (line[0]) {
      case 'M':
        type = static_cast<int>(Int(f, 0, 1));
        class_mode = static_cast<int>(Int(f, 1));
        floor_weights = static_cast<int>(Int(f, 2));
        capacity = static_cast<int>(Int(f, 3, 800));
        if (capacity < 1 || capacity > 4000) capacity = 800;
        break;
      case 'T': texts[0] = Field(f, 0); break;
      case 'A': texts[1] = Field(f, 0); break;
      case 'K': texts[2] = Field(f, 0); break;
      case 'F': texts[3] = Field(f, 0); break;
      case 'J': texts[4] = Field(f, 0); break;
      case 'N': texts[5] = Field(f, 0); break;
      case 'f':
        ext.full_text.push_back(Record(r));
        last = &ext.full_text;
        break;
      case 'a':
        ext.abstract_terms.push_back(Record(r));
        last = &ext.abstract_terms;
        break;
      case 'r': Repeat(*last, Int(f, 0), Int(f, 1)); break;
      case 'C': ext.classes.emplace_back(Field(f, 0), Float(f, 1)); break;
      case 'O': ext.formal[Field(f, 0)] = Field(f, 1); break;
      case 'D': lex.dictionaries[DictionaryName(Field(f, 0))].entries[Field(f, 1)] = Field(f, 2); break;
      case 'S': lex.segments[Field(f, 0)] = Ends(Field(f, 1), Field(f, 0).size()); break;
      case 'G': {
        std::vector<int16_t> tags;
        for (int v : Ends(Field(f, 1), Field(f, 0).size())) tags.push_back(static_cast<int16_t>(v));
        lex.tags[Field(f, 0)] = tags;
        break;
      }
      case 'H': lex.characters[Field(f, 0)] = Ends(Field(f, 1), Field(f, 0).size()); break;
      case 'R': {
        const std::string which = Field(f, 0);
        const int v = static_cast<int>(Int(f, 1));
        if (which == "i") ext.init_file2 = v;
        if (which == "s") ext.chi_threshold = v;
        if (which == "c") ext.calculate = v;
        if (which == "x") ext.classify = v;
        if (which == "t") lex.code_determine_result = v != 0;
        if (which == "1") ext.full_text_result = v;
        if (which == "2") ext.abstract_result = v;
        if (which == "n") ext.reported_full_count = v;
        if (which == "m") ext.reported_abstract_count = v;
        if (which == "k") ext.reported_class_count = v;
        break;
      }
      default: break;
    }
  }

  tarnix_fuzz::DirectAndNormalise(texts, capacity, type, class_mode, floor_weights);
  return 0;
}
