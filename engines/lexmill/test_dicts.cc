#include "test_dicts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "dict_image.h"
#include "lexmill.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace lexmill_test {

TempFolder::TempFolder() {
  std::random_device rd;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    const auto candidate = base / ("lexmill_test_" + std::to_string(rd()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate.string();
      return;
    }
  }
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<lexmill::SourceEntry> SampleEntries() {
  auto e = [](const std::string& w, uint32_t f, uint16_t code) {
    return lexmill::SourceEntry{w, f, code, "info:" + w};
  };
  return {e(kYanjiu, 1000, 15), e(kYanjiusheng, 100, 9), e(kShengming, 1000, 9),
          e(kMing, 10, 9),      e(kQiyuan, 500, 9),      e(kDe, 5000, 3),
          e(kJiyu, 300, 3),     e(kFangfa, 800, 9),      e("Deep", 50, 28),
          e("3D", 40, 13)};
}

void WriteDict(const std::string& path, const std::vector<lexmill::SourceEntry>& entries) {
  lexmill::BuildStats stats;
  std::string error;
  ASSERT_TRUE(lexmill::WriteDictionary(entries, path, &stats, &error)) << error;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Gbk(const std::string& utf8) {
#if defined(_WIN32)
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0],
                                  static_cast<int>(wide.size())));
  std::string out(wide.size() * 2, '\0');
  out.resize(WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), &out[0],
                                 static_cast<int>(out.size()), nullptr, nullptr));
  return out;
#else
  iconv_t cd = iconv_open("GBK", "UTF-8");
  std::string out(utf8.size() * 2 + 4, '\0');
  char* src = const_cast<char*>(utf8.data());
  size_t src_left = utf8.size();
  char* dst = &out[0];
  size_t dst_left = out.size();
  const size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
  iconv_close(cd);
  EXPECT_NE(r, static_cast<size_t>(-1)) << utf8;
  out.resize(out.size() - dst_left);
  return out;
#endif
}

void PatchByte(const std::string& path, size_t at, char value) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(static_cast<std::streamoff>(at));
  f.put(value);
  ASSERT_TRUE(f.good()) << path;
}

std::vector<size_t> DamageSites(const std::string& file) {
  lexmill::FileHeader h;
  std::memcpy(&h, file.data(), sizeof h);
  const size_t node = sizeof(lexmill::DictImage::Node);
  const size_t root = static_cast<size_t>(h.offset[lexmill::kSectionRoot]);
  const std::string empty(node, '\0');
  std::vector<size_t> sites;
  bool first_empty = true;
  for (size_t at = 0; at < file.size();) {
    if (at >= root && at < root + lexmill::kRootUnits * node && file.compare(at, node, empty) == 0) {
      if (!first_empty) {
        at += node;
        continue;
      }
      first_empty = false;
    }
    const size_t end = at >= root && at < root + lexmill::kRootUnits * node ? at + node : at + 1;
    for (; at < end; ++at) sites.push_back(at);
  }
  return sites;
}

std::vector<std::string> Segments(const std::string& text, int handle, std::vector<int16_t>* codes) {
  std::vector<int> ends(text.size() + 1, 0);
  std::vector<int16_t> tags(text.size() + 1, -1);
  EXPECT_TRUE(QX_Word_Sect(text.c_str(), ends.data(), static_cast<int>(text.size()), handle, 1, tags.data(), 1024,
                           1, 0, 0));
  std::vector<std::string> words;
  int begin = 0;
  for (size_t k = 0; k < ends.size() && ends[k] != 0; ++k) {
    words.push_back(text.substr(begin, ends[k] - begin));
    begin = ends[k];
  }
  if (codes != nullptr) *codes = std::move(tags);
  return words;
}

}  // namespace lexmill_test
