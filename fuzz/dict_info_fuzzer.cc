// The readers of dictionary information texts on arbitrary texts: the
// similarity lists ("word:0.8;...") of GetSimlarity and SimilarWordDel,
// the part-of-speech pairs of the general-word dictionary ("x 20 35 ..."),
// the English records ("x,n,4000;...") and the decimal readers behind them.
//
// Input: eight bytes (a part-of-speech code and a threshold, int32 each),
// then NUL-separated texts: info, word a, word b, letters, and a comma
// list of segment ends. info is what the scripted segmentation engine's
// dictionaries answer for a and b; a and b are also the words tested and
// the keywords compared, the segment ends cut them for HighFreStructure.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "general_words.h"
#include "tarnix/records.h"
#include "scripted_engines.h"
#include "similar_words.h"
#include "word_tests.h"

namespace {

constexpr size_t kMaxInput = 1 << 13;

template <size_t N>
void Put(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), text.size() < N - 1 ? text.size() : N - 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tarnix_fuzz::EnterWorkDir(true, argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8 || size > kMaxInput) return 0;
  int32_t code, threshold;
  std::memcpy(&code, data, 4);
  std::memcpy(&threshold, data + 4, 4);
  std::vector<std::string> t(5);
  size_t field = 0;
  for (size_t i = 8; i < size && field < t.size(); ++i) {
    if (data[i] == 0) {
      ++field;
    } else {
      t[field].push_back(static_cast<char>(data[i]));
    }
  }
  const std::string& info = t[0];
  const std::string& a = t[1];
  const std::string& b = t[2];
  const std::string& letters = t[3];

  // The readers on their own.
  FUZZ_CHECK(!std::isnan(tarnix::NumStrValue(info)));
  tarnix::PosAndFre(info.c_str(), code, threshold);
  tarnix::PosAndFreEnglish(info.c_str(), letters.c_str(), threshold);

  // The same texts as the dictionaries' answers.
  scripted::Reset();
  scripted::Recording() = false;
  scripted::LexmillScript& lex = scripted::Lexmill();
  for (const char* name : {"QOVA_SIM_CHN_DICT", "sys_general_dic", "EnglishGeneral"}) {
    lex.dictionaries[name].entries = {{a, info}, {b, info}};
    lex.loaded.insert(name);
  }
  std::vector<int> ends;
  for (size_t at = 0; at <= t[4].size() && ends.size() <= a.size();) {
    const size_t comma = t[4].find(',', at);
    ends.push_back(std::atoi(t[4].substr(at, comma - at).c_str()));
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  lex.segments[a] = ends;

  const double similarity = tarnix::GetSimlarity(a.c_str(), b.c_str());
  FUZZ_CHECK(!std::isnan(similarity));
  tarnix::IsGeneralChinese(a.c_str());
  tarnix::IsGeneralChineseStrict(b.c_str());
  const int32_t structure = tarnix::HighFreStructure(a.c_str());
  FUZZ_CHECK(structure >= 0 && structure <= 6);
  tarnix::IsGeneralEnglish(a.c_str());
  ArticleTerm term;
  std::memset(&term, 0, sizeof term);
  Put(term.word, a + " " + b);
  tarnix::IsGeneralStructEnglish(&term);

  // Similar-word removal over keywords named a and b, heavier first.
  KeywordEntry keywords[3];
  std::memset(keywords, 0, sizeof keywords);
  Put(keywords[0].keyword_text, a);
  Put(keywords[1].keyword_text, b);
  Put(keywords[2].keyword_text, info);
  keywords[0].weight = 3.0;
  keywords[1].weight = 2.0;
  keywords[2].weight = 1.0;
  int32_t count = 3;
  FUZZ_CHECK(tarnix::SimilarWordDel(keywords, &count));
  FUZZ_CHECK(count >= 1 && count <= 3);
  return 0;
}
