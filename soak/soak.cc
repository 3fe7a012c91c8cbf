// Many Tarnix_Direct calls on real articles with the reference engines,
// Chinese and English alternating: every call must succeed, give the same
// keywords as the first call of its article, and add only the article's own
// lines to the run log; with --rss, the process's resident memory must stay
// flat after the first hundred calls.
//
//   tarnix_soak ARTICLES_DIR CALLS [--rss [SLACK_KB]]
//
// ARTICLES_DIR holds zh_N.txt (GBK) and en_N.txt: title, abstract or text,
// author keywords, one a line. The abstract stands in for the full text.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tarnix/tarnix.h"
#include "work_dir.h"

namespace {

constexpr char kArticleLine[] = "\xB4\xA6\xC0\xED\xCE\xC4\xD5\xC2: ";  // 处理文章:
constexpr size_t kTimeLength = 24;  // "Www Mmm dd hh:mm:ss yyyy"
constexpr int kCapacity = 800;
constexpr int kSettleCalls = 100;

struct Article {
  std::string name;
  int type = 1;
  std::string title, abstract, keyword;
  // What its first call gave, to compare the later ones with.
  std::vector<std::string> expected_log;
  std::vector<KeywordEntry> keywords;
  bool seen = false;
};

[[noreturn]] void Die(const std::string& what) {
  std::cerr << "tarnix_soak: " << what << std::endl;
  std::exit(1);
}

std::vector<Article> ReadArticles(const std::string& dir) {
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if ((name.rfind("zh_", 0) == 0 || name.rfind("en_", 0) == 0) &&
        e.path().extension() == ".txt") {
      files.push_back(e.path().string());
    }
  }
  std::sort(files.begin(), files.end());
  std::vector<Article> articles;
  for (const std::string& path : files) {
    std::ifstream in(path, std::ios::binary);
    Article a;
    a.name = std::filesystem::path(path).filename().string();
    a.type = a.name.rfind("zh_", 0) == 0 ? 1 : 2;
    std::getline(in, a.title);
    std::getline(in, a.abstract);
    std::getline(in, a.keyword);
    if (a.title.empty() || a.abstract.empty()) Die(path + ": no title or no text");
    articles.push_back(std::move(a));
  }
  return articles;
}

// The lines an article adds to the run log on success: its title line and
// the warnings for its empty texts (magazine and class_name always are).
std::vector<std::string> LogLinesOf(const Article& a) {
  std::vector<std::string> lines{kArticleLine + a.title};
  if (a.keyword.empty()) lines.push_back("TarnixInputTest . <4>input keyword length is 0!");
  lines.push_back("TarnixInputTest . <5>input magzine length is 0!");
  lines.push_back("TarnixInputTest . <6>input class_name length is 0!");
  return lines;
}

// Resident set size in KiB, from /proc/self/statm.
long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The messages written to the run log since the last call, without their
// time prefix.
class LogTail {
 public:
  std::vector<std::string> Next() {
    std::ifstream in("Tarnix_Log.log", std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset_));
    std::vector<std::string> messages;
    for (std::string line; std::getline(in, line);) {
      offset_ += line.size() + 1;
      if (line.size() < kTimeLength + 3 || line.compare(kTimeLength, 3, " : ") != 0) {
        Die("malformed run log line: " + line);
      }
      messages.push_back(line.substr(kTimeLength + 3));
      ++lines_;
    }
    return messages;
  }
  size_t lines() const { return lines_; }

 private:
  size_t offset_ = 0;
  size_t lines_ = 0;
};

bool SameKeywords(const std::vector<KeywordEntry>& a, const KeywordEntry* b, int n) {
  if (static_cast<int>(a.size()) != n) return false;
  for (int i = 0; i < n; ++i) {
    if (std::strcmp(a[i].keyword_text, b[i].keyword_text) != 0 || a[i].weight != b[i].weight ||
        a[i].frequency != b[i].frequency) {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) Die("usage: tarnix_soak ARTICLES_DIR CALLS [--rss [SLACK_KB]]");
  std::vector<Article> articles = ReadArticles(argv[1]);
  const long calls = std::atol(argv[2]);
  const bool check_rss = argc > 3 && std::strcmp(argv[3], "--rss") == 0;
  const long slack_kb = argc > 4 ? std::atol(argv[4]) : 1024;
  std::vector<Article*> zh, en;
  for (Article& a : articles) (a.type == 1 ? zh : en).push_back(&a);
  if (zh.empty() || en.empty()) Die("need zh_N.txt and en_N.txt articles");

  const std::string work = tarnix_testing::EnterFreshDir("tarnix_soak_");
  if (work.empty()) Die("no work directory");
  if (Tarnix_Initial(1, true) != 0 || Tarnix_Initial(2, false) != 0) {
    Die("Tarnix_Initial failed (are the engines' data folders built?)");
  }
  LogTail log;
  log.Next();

  std::vector<KeywordEntry> buffer(kCapacity);
  long settled_kb = 0, peak_kb = 0;
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < calls; ++i) {
    Article& a = i % 2 == 0 ? *zh[static_cast<size_t>(i / 2) % zh.size()]
                            : *en[static_cast<size_t>(i / 2) % en.size()];
    int n = kCapacity;
    const int result = Tarnix_Direct(a.title.c_str(), a.abstract.c_str(), a.keyword.c_str(),
                                     a.abstract.c_str(), "", "", buffer.data(), &n, a.type, 0, 0);
    const std::string where = "call " + std::to_string(i) + " (" + a.name + ")";
    if (result != 0 || n <= 0) Die(where + ": result " + std::to_string(result) + ", " +
                                   std::to_string(n) + " keywords");
    const std::vector<std::string> messages = log.Next();
    if (!a.seen) {
      a.seen = true;
      a.keywords.assign(buffer.begin(), buffer.begin() + n);
      a.expected_log = LogLinesOf(a);
    }
    if (messages != a.expected_log) {
      std::string got;
      for (const std::string& m : messages) got += "\n  " + m;
      Die(where + ": unexpected run log lines:" + got);
    }
    if (!SameKeywords(a.keywords, buffer.data(), n)) Die(where + ": keywords differ from its first call");
    if (i + 1 == kSettleCalls) settled_kb = peak_kb = ResidentKb();
    if (i + 1 > kSettleCalls && (i % 50 == 0 || i + 1 == calls)) {
      peak_kb = std::max(peak_kb, ResidentKb());
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  Tarnix_FreeDict();

  std::printf("%ld calls in %.1f s (%.2f ms each), %zu run log lines; RSS after %d calls %ld KiB, "
              "peak after them %ld KiB (+%ld KiB)\n",
              calls, seconds, calls ? 1000.0 * seconds / static_cast<double>(calls) : 0.0,
              log.lines(), kSettleCalls, settled_kb, peak_kb, peak_kb - settled_kb);
  std::filesystem::remove_all(work);
  if (check_rss && calls > kSettleCalls && peak_kb - settled_kb > slack_kb) {
    Die("resident memory grew by " + std::to_string(peak_kb - settled_kb) + " KiB (limit " +
        std::to_string(slack_kb) + ")");
  }
  return 0;
}
