// lexmill_dictc: compiles a dictionary source (dict_source.h) into the form
// that Lexmill loads.
//
//   lexmill_dictc [--source-encoding UTF-8|GBK] SOURCE OUTPUT
//
// Sources are UTF-8 unless told otherwise; words and information texts are
// converted to GBK, and an entry that GBK cannot hold is skipped and counted.
#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "dict_builder.h"
#include "dict_source.h"

namespace {

class ToGbk {
 public:
  explicit ToGbk(const std::string& from) : cd_(iconv_open("GBK", from.c_str())) {}
  ~ToGbk() {
    if (ok()) iconv_close(cd_);
  }
  ToGbk(const ToGbk&) = delete;
  ToGbk& operator=(const ToGbk&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // False when some character has no GBK form.
  bool Convert(const std::string& in, std::string* out) {
    out->assign(in.size() * 2 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char* dst = &(*out)[0];
    size_t dst_left = out->size();
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd_, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1)) return false;
    out->resize(out->size() - dst_left);
    return true;
  }

 private:
  iconv_t cd_;
};

int Usage() {
  std::fprintf(stderr, "usage: lexmill_dictc [--source-encoding UTF-8|GBK] SOURCE OUTPUT\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string encoding = "UTF-8";
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--source-encoding") == 0 && i + 1 < argc) {
      encoding = argv[++i];
    } else {
      files.push_back(argv[i]);
    }
  }
  if (files.size() != 2) return Usage();
  const bool convert = encoding != "GBK";
  ToGbk to_gbk(encoding);
  if (convert && !to_gbk.ok()) {
    std::fprintf(stderr, "lexmill_dictc: no conversion from %s to GBK\n", encoding.c_str());
    return 1;
  }
  std::ifstream in(files[0], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "lexmill_dictc: cannot open %s\n", files[0].c_str());
    return 1;
  }
  std::vector<lexmill::SourceEntry> entries;
  std::string line, error;
  size_t line_no = 0, not_gbk = 0;
  lexmill::SourceEntry e;
  while (std::getline(in, line)) {
    ++line_no;
    const lexmill::LineResult r = lexmill::ParseSourceLine(line, &e, &error);
    if (r == lexmill::LineResult::kSkip) continue;
    if (r == lexmill::LineResult::kError) {
      std::fprintf(stderr, "%s:%zu: %s\n", files[0].c_str(), line_no, error.c_str());
      return 1;
    }
    if (convert) {
      std::string word, info;
      if (!to_gbk.Convert(e.word, &word) || !to_gbk.Convert(e.info, &info)) {
        ++not_gbk;
        continue;
      }
      e.word = std::move(word);
      e.info = std::move(info);
    }
    entries.push_back(std::move(e));
  }
  lexmill::BuildStats stats;
  if (!lexmill::WriteDictionary(std::move(entries), files[1], &stats, &error)) {
    std::fprintf(stderr, "lexmill_dictc: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %zu entries; skipped %zu not in GBK, %zu duplicates, %zu invalid\n",
              files[1].c_str(), stats.written, not_gbk, stats.duplicates, stats.invalid_words);
  return 0;
}
