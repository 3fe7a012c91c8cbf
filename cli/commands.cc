#include "commands.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "host_platform.h"
#include "text.h"

namespace tarnix {
namespace cli {
namespace {

void Fail(const std::string& message) { std::fprintf(stderr, "tarnix: %s\n", message.c_str()); }

// The first character that is not a blank, or 0.
char FirstNonBlank(const std::string& s) {
  for (char c : s) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
    return c;
  }
  return '\0';
}

bool Write(const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

long long CountLines(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return -1;
  long long lines = 0;
  int last = '\n';
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
    for (size_t i = 0; i < n; ++i) lines += buffer[i] == '\n';
    last = buffer[n - 1];
  }
  std::fclose(f);
  return lines + (last != '\n');
}

}  // namespace

double Progress::Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double Progress::Seconds() const { return Now() - start_; }

void Progress::Step() {
  ++done_;
  if (!enabled_) return;
  const double now = Now();
  if (now - last_draw_ < 0.1 && done_ != total_) return;
  last_draw_ = now;
  const double elapsed = now - start_;
  const double rate = elapsed > 0 ? static_cast<double>(done_) / elapsed : 0.0;
  char line[160];
  if (total_ > 0) {
    const int width = 24;
    const int filled = static_cast<int>(width * static_cast<double>(done_) / static_cast<double>(total_));
    std::string bar(static_cast<size_t>(std::min(filled, width)), '#');
    bar.resize(width, '.');
    const long long left = rate > 0 ? static_cast<long long>(static_cast<double>(total_ - done_) / rate) : 0;
    std::snprintf(line, sizeof line, "\r[%s] %lld/%lld articles  %.1f/s  %lld:%02lld left\033[K",
                  bar.c_str(), done_, total_, rate, left / 60, left % 60);
  } else {
    std::snprintf(line, sizeof line, "\r%lld articles  %.1f/s\033[K", done_, rate);
  }
  std::fputs(line, stderr);
  std::fflush(stderr);
  drawn_ = true;
}

void Progress::Clear() {
  if (!drawn_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  drawn_ = false;
  last_draw_ = 0;  // drawn again at the next step
}

void Progress::Finish() {
  if (enabled_ && done_ > 0) Clear();
}

bool ReadWholeFile(const std::string& path, std::string* content, std::string* error) {
  content->clear();
  std::FILE* f = stdin;
  if (path != "-") {
    f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
      *error = "cannot read " + path + ": " + std::strerror(errno);
      return false;
    }
  } else {
    SetBinaryMode(stdin);
  }
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) content->append(buffer, n);
  const bool failed = std::ferror(f) != 0;
  const int err = errno;
  if (f != stdin) std::fclose(f);
  if (failed) {
    *error = "cannot read " + (path == "-" ? std::string("standard input") : path) + ": " +
             std::strerror(err);
    return false;
  }
  return true;
}

namespace {

// The article extract reads: a file, standard input or the options alone,
// as JSON or as plain text, with the field options applied. 0, or the
// exit status after the message.
int ReadExtractArticle(const Options& o, Article* article, std::string* source) {
  bool field_options = false;
  for (const auto& f : o.overrides.field) field_options = field_options || f.has_value();
  const std::string path = o.files.empty() ? "-" : o.files[0];
  std::string content, error;
  const bool read_stdin = !o.files.empty() || !IsTerminal(stdin);
  if (o.files.empty() && !read_stdin && !field_options) {
    Fail("no article: give a FILE, pipe one in, or use --title and --abstract");
    return kExitUsage;
  }
  if (read_stdin || !o.files.empty()) {
    if (!ReadWholeFile(path, &content, &error)) {
      Fail(error);
      return kExitFailure;
    }
  }
  *source = path == "-" ? "standard input" : path;
  // A byte-order mark is no part of the article, whatever follows it.
  if (StartsWithBom(content)) content.erase(0, 3);
  // JSON is an object; any other JSON value (a list of articles, a lone
  // text) is refused rather than taken for the full text, its syntax and
  // all. Text that merely starts with "[" is still text.
  const char first = FirstNonBlank(content);
  const bool json = o.input == InputKind::kJson ||
                    (o.input == InputKind::kAuto &&
                     (first == '{' || (first != '\0' && content.size() <= kMaxJsonBytes &&
                                       o.batch.encoding == InputEncoding::kUtf8 &&
                                       nlohmann::json::accept(content))));
  if (json) {
    if (!ArticleFromJsonText(content, o.batch.encoding, article, nullptr, &error)) {
      const bool hint = first != '{' && first != '[' && o.input == InputKind::kAuto;
      Fail(*source + ": " + error + (hint ? " (--input text reads it as plain text)" : ""));
      return kExitFailure;
    }
  } else {
    article->gbk = o.batch.encoding == InputEncoding::kGbk;
    article->field[kText] = content;
  }
  if (!ApplyOverrides(o.overrides, o.batch.encoding, article, &error)) {
    Fail(error);
    return kExitFailure;
  }
  return 0;
}

std::string FormatKeywords(Format format, const LibraryArticle& prepared, const std::vector<Keyword>& keywords) {
  switch (format) {
    case Format::kTable: return KeywordsTable(keywords);
    case Format::kTsv: return KeywordsTsv(keywords);
    case Format::kJson: break;
  }
  nlohmann::ordered_json doc = {{"lang", prepared.type == 1 ? "zh" : "en"}};
  if (prepared.replaced > 0) doc["replaced"] = prepared.replaced;
  if (!prepared.warning.empty()) doc["warning"] = prepared.warning;
  doc["keywords"] = KeywordsJson(keywords);
  return doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace

int RunExtract(const Options& o) {
  Article article;
  std::string source, error;
  if (const int status = ReadExtractArticle(o, &article, &source); status != 0) return status;
  LibraryArticle prepared;
  const CharacterPolicy policy = CharacterPolicyOf(o.batch);
  if (!PrepareArticle(article, policy, &prepared, &error)) {
    Fail(source + ": " + error);
    return kExitFailure;
  }
  if (prepared.replaced > 0) {
    std::string note = std::to_string(prepared.replaced) + " characters changed to fit GBK";
    if (prepared.unmapped > 0) {
      note += " (" + std::to_string(prepared.unmapped) + " with no GBK form written as " +
              (policy == CharacterPolicy::kReplace ? "'?'" : "spaces") + ")";
    }
    Fail(note);
  }
  if (!prepared.warning.empty()) Fail("warning: " + prepared.warning);
  std::vector<Keyword> keywords;
  {
    Session session;
    if (!session.Open(o.batch.work_dir, o.batch.extract, &error) ||
        !session.Extract(prepared, o.batch.extract, &keywords, &error)) {
      Fail(error);
      return kExitFailure;
    }
  }
  if (!Write(FormatKeywords(o.format, prepared, keywords)) || std::fflush(stdout) != 0) return kExitFailure;
  return 0;
}

int RunBatchCommand(const Options& o) {
  if (o.worker) return RunWorker(o.batch);
  const std::string path = o.files.empty() ? "-" : o.files[0];
  std::FILE* in = stdin;
  if (path != "-") {
    in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
      Fail("cannot read " + path + ": " + std::strerror(errno));
      return kExitFailure;
    }
  }
  SetBinaryMode(stdin);
  SetBinaryMode(stdout);
  const bool show = !o.quiet && IsTerminal(stderr);
  // Records on the terminal the bar is drawn on: each is written on a line
  // the bar has left, and the bar comes back below it.
  const bool shared_terminal = show && IsTerminal(stdout);
  Progress progress(show, show && path != "-" ? CountLines(path) : -1);
  long long errors = 0, replaced = 0;
  bool output_gone = false;
  std::string error;
  const bool ran = RunBatch(
      o.batch, [in](std::string* line) { return ReadLine(in, line, true, kMaxJsonBytes); },
      [&](const std::string& record, bool ok) {
        if (!ok) ++errors;
        // The key cannot occur inside a text of the record, where its
        // quotes would be escaped; most records do not have it.
        if (record.find("\"replaced\":") != std::string::npos) {
          const nlohmann::json parsed = nlohmann::json::parse(record, nullptr, false);
          if (parsed.is_object() && parsed.contains("replaced") && parsed["replaced"].is_number_integer()) {
            replaced += parsed["replaced"].get<long long>();
          }
        }
        if (shared_terminal) progress.Clear();
        // Flushed per record: a program that writes one article and waits
        // for its keywords (tarnix.dask, Spark's pipe) would otherwise wait
        // for a full buffer. An article costs far more than the write.
        if (!Write(record) || !Write("\n") || std::fflush(stdout) != 0) {
          output_gone = true;
          return false;
        }
        progress.Step();
        return true;
      },
      &error);
  const bool read_failed = std::ferror(in) != 0;
  if (in != stdin) std::fclose(in);
  progress.Finish();
  if (std::fflush(stdout) != 0) output_gone = true;
  if (!ran) {
    Fail(error);
    return kExitFailure;
  }
  if (read_failed) {
    Fail("reading " + (path == "-" ? std::string("standard input") : path) + " failed");
    return kExitFailure;
  }
  if (output_gone) return kExitFailure;
  if (!o.quiet) {
    const double s = progress.Seconds();
    std::fprintf(stderr,
                 "tarnix batch: %lld articles in %.1f s (%.1f articles/s), %lld errors, "
                 "%lld characters replaced\n",
                 progress.done(), s, s > 0 ? static_cast<double>(progress.done()) / s : 0.0, errors,
                 replaced);
  }
  return o.fail_on_error && errors > 0 ? kExitErrorRecords : 0;
}

}  // namespace cli
}  // namespace tarnix
