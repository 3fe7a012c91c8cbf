// What the tests that call Tarnix_Direct share: one article's texts and
// modes, and a fixture that runs it into a fresh keyword buffer.
#ifndef TARNIX_API_DIRECT_TEST_SUPPORT_H_
#define TARNIX_API_DIRECT_TEST_SUPPORT_H_

#include <algorithm>
#include <string>
#include <vector>

#include "tarnix/tarnix.h"
#include "test_support.h"

namespace tarnix_testing {

// The texts and modes of one call.
struct Article {
  std::string title = "Title";
  std::string abstract = "Abstract";
  std::string keyword = "Keyword";
  std::string file = "Full text";
  std::string magazine = "Journal";
  std::string class_name = "TP391.1";
  int type = 1;
  int class_mode = 0;
};

class DirectCallTest : public ScriptedTest {
 protected:
  // Runs the article into a buffer of `capacity` records.
  int Run(const Article& a, int capacity = 800) {
    buffer_.assign(static_cast<size_t>(std::max(capacity, 1)), KeywordEntry{});
    size_ = capacity;
    return Tarnix_Direct(a.title.c_str(), a.abstract.c_str(), a.keyword.c_str(), a.file.c_str(),
                         a.magazine.c_str(), a.class_name.c_str(), buffer_.data(), &size_, a.type,
                         a.class_mode, 0);
  }
  // The last `n` messages of the run log.
  std::vector<std::string> LastMessages(size_t n) const {
    auto all = LogMessages();
    return std::vector<std::string>(all.end() - static_cast<long>(std::min(n, all.size())),
                                    all.end());
  }
  std::vector<KeywordEntry> buffer_;
  int size_ = 0;
};

}  // namespace tarnix_testing

#endif  // TARNIX_API_DIRECT_TEST_SUPPORT_H_
