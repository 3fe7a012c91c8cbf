// ekvr_tablec: compiles one of the engine's text tables into the image the
// engine maps (table_image.h), with the engine's own parser, so that the
// image holds exactly the table the text gives.
//   ekvr_tablec idf|keyphrases|classifier|tagger|zh-terms|en-terms TEXT IMAGE
#include <cstdio>
#include <cstring>
#include <string>

#include "classifier.h"
#include "en_features.h"
#include "en_tagger.h"
#include "idf_table.h"
#include "table_file.h"
#include "term_model.h"

namespace {

template <typename Table>
int Compile(const char* text_path, const char* image_path, Table table = Table()) {
  std::string text, error;
  if (!ekvr::ReadWholeFile(text_path, &text)) {
    std::fprintf(stderr, "ekvr_tablec: cannot read %s\n", text_path);
    return 1;
  }
  if (!table.Parse(text, &error) || !table.WriteImage(image_path, text.size(), &error)) {
    std::fprintf(stderr, "ekvr_tablec: %s: %s\n", text_path, error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "idf") == 0) return Compile<ekvr::IdfTable>(argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "keyphrases") == 0) {
    return Compile<ekvr::KeyphraseTable>(argv[2], argv[3]);
  }
  if (argc == 4 && std::strcmp(argv[1], "classifier") == 0) return Compile<ekvr::Classifier>(argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "tagger") == 0) return Compile<ekvr::EnglishTagger>(argv[2], argv[3]);
  // The two term models, over their own feature sets.
  if (argc == 4 && std::strcmp(argv[1], "zh-terms") == 0) return Compile<ekvr::TermModel>(argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "en-terms") == 0) {
    return Compile(argv[2], argv[3], ekvr::TermModel(ekvr::kEnglishFeatures));
  }
  std::fprintf(stderr, "usage: ekvr_tablec idf|keyphrases|classifier|tagger|zh-terms|en-terms TEXT IMAGE\n");
  return 2;
}
