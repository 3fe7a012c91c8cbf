// tarnix eval: keyword quality on a JSON-lines file with reference
// keywords, for Tarnix and, when asked, for jieba's TF-IDF extractor run
// on the same input.
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <thread>

#include "commands.h"
#include "platform.h"
#include "scoring.h"
#include "text.h"

namespace tarnix {
namespace cli {
namespace {

// The peer reads one JSON object per line ({"text": ...}) and answers each
// with a JSON list of at most 10 keywords.
constexpr char kJiebaPeer[] = R"(import json, sys
import jieba, jieba.analyse
jieba.setLogLevel(60)
out = sys.stdout.buffer
for line in sys.stdin.buffer:
    text = json.loads(line.decode("utf-8"))["text"]
    tags = jieba.analyse.extract_tags(text, topK=10)
    out.write(json.dumps(tags, ensure_ascii=False).encode("utf-8") + b"\n")
)";
constexpr char kPython[] = "/usr/bin/python3";

struct EvalDoc {
  long long line = 0;    // in the evaluation file
  nlohmann::json input;  // what the library is given (author keywords withheld)
  std::string peer_text;
  std::vector<std::string> references;
  bool english = false;
};

std::vector<std::string> SplitKeywordText(const std::string& text) {
  std::vector<std::string> out;
  std::string current;
  auto flush = [&] {
    if (!IsBlank(current, false)) out.push_back(current);
    current.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ';' || c == ',' || c == '\n') {
      flush();
    } else if (text.compare(i, 3, "\xEF\xBC\x9B") == 0 || text.compare(i, 3, "\xEF\xBC\x8C") == 0 ||
               text.compare(i, 3, "\xE3\x80\x81") == 0) {  // ；，、
      flush();
      i += 2;
    } else {
      current += c;
    }
  }
  flush();
  return out;
}

// Reads one record of the evaluation file. A record with neither title nor
// abstract has its text split: the first line is the title, the rest the
// abstract, as in the shared English collections.
bool ReadDoc(const std::string& line, const std::optional<std::string>& lang, EvalDoc* doc,
             std::string* error) {
  nlohmann::json record;
  try {
    record = nlohmann::json::parse(line);
  } catch (const nlohmann::json::exception& e) {
    *error = "malformed JSON: " + JsonErrorText(e);
    return false;
  }
  Article article;
  if (!ArticleFromJson(record, &article, error)) return false;
  const auto keywords = record.find("keywords");
  if (keywords != record.end() && keywords->is_array()) {
    for (const auto& k : *keywords) doc->references.push_back(k.get<std::string>());
  } else {
    doc->references = SplitKeywordText(article.field[kKeywords]);
  }
  std::string title = article.field[kTitle], abstract = article.field[kAbstract];
  std::string text = article.field[kText];
  if (title.empty() && abstract.empty()) {
    const size_t nl = text.find('\n');
    title = text.substr(0, nl);
    abstract = nl == std::string::npos ? std::string() : text.substr(nl + 1);
    text.clear();
  }
  std::string language = article.lang.empty() && lang ? *lang : article.lang;
  if (language.empty()) language = HasChineseUtf8(title + abstract + text) ? "zh" : "en";
  doc->english = language == "en";
  doc->input = {{"title", title}, {"abstract", abstract}, {"lang", language}};
  if (!text.empty()) doc->input["text"] = text;
  if (!article.field[kJournal].empty()) doc->input["journal"] = article.field[kJournal];
  if (!article.field[kClass].empty()) doc->input["class"] = article.field[kClass];
  doc->peer_text = title + "\n" + abstract + (text.empty() ? "" : "\n" + text);
  return true;
}

bool RunPeer(const std::vector<EvalDoc>& docs, std::vector<std::vector<std::string>>* lists,
             std::string* error) {
  IgnoreBrokenPipes();
  ChildProcess python;
  if (!python.Start({kPython, "-c", kJiebaPeer}, error)) {
    *error = "the jieba-tfidf peer: " + *error;
    return false;
  }
  std::thread writer([&] {
    for (const EvalDoc& d : docs) {
      const std::string line = nlohmann::json({{"text", d.peer_text}}).dump() + "\n";
      if (std::fwrite(line.data(), 1, line.size(), python.input()) != line.size()) break;
    }
    python.CloseInput();
  });
  lists->clear();
  std::string line;
  bool ok = true;
  while (lists->size() < docs.size() && ReadLine(python.output(), &line)) {
    try {
      lists->push_back(nlohmann::json::parse(line).get<std::vector<std::string>>());
    } catch (const std::exception&) {
      ok = false;
      break;
    }
  }
  if (!ok || lists->size() < docs.size()) python.CloseOutput();
  writer.join();
  const int status = python.Wait();
  if (!ok || lists->size() != docs.size() || status != 0) {
    *error = std::string("the jieba-tfidf peer failed (it needs ") + kPython +
             " with Debian's python3-jieba)";
    return false;
  }
  return true;
}

std::vector<std::string> RecordKeywords(const nlohmann::json& record) {
  std::vector<std::string> list;
  const auto keywords = record.find("keywords");
  if (keywords == record.end() || !keywords->is_array()) return list;
  for (const auto& k : *keywords) {
    if (k.is_object() && k.contains("keyword") && k["keyword"].is_string()) {
      list.push_back(k["keyword"].get<std::string>());
    }
  }
  return list;
}

// Tarnix through the batch machinery, so that --jobs works here too;
// characters GBK cannot hold become '?' rather than losing the article.
bool RunTarnix(const Options& o, const std::vector<EvalDoc>& docs,
               std::vector<std::vector<std::string>>* lists, long long* failed, std::string* error) {
  BatchSettings settings = o.batch;
  settings.extract.top = 10;
  settings.extract.unmappable = Unmappable::kReplace;
  size_t next = 0;
  const bool show = !o.quiet && IsTerminal(stderr);
  Progress progress(show, static_cast<long long>(docs.size()));
  const bool ran = RunBatch(
      settings,
      [&](std::string* l) {
        if (next >= docs.size()) return false;
        *l = docs[next++].input.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        return true;
      },
      [&](const std::string& record, bool ok) {
        if (!ok) ++*failed;
        lists->push_back(ok ? RecordKeywords(nlohmann::json::parse(record)) : std::vector<std::string>());
        progress.Step();
        return true;
      },
      error);
  progress.Finish();
  return ran;
}

// The keyword lists of a batch run's records, by their "line"; a document
// without a record, or with an error record, has an empty list.
bool ReadPredictions(const std::string& path, const std::vector<EvalDoc>& docs,
                     std::vector<std::vector<std::string>>* lists, long long* failed,
                     std::string* error) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  std::map<long long, std::vector<std::string>> by_line;
  std::string line;
  long long number = 0;
  bool ok = true;
  while (ok && ReadLine(in, &line)) {
    ++number;
    if (IsBlank(line, false)) continue;
    try {
      const nlohmann::json record = nlohmann::json::parse(line);
      if (!record.is_object() || !record.contains("line") || !record["line"].is_number_integer()) {
        *error = path + " line " + std::to_string(number) + " is not a tarnix batch record";
        ok = false;
      } else if (!record.contains("error")) {
        by_line[record["line"].get<long long>()] = RecordKeywords(record);
      }
    } catch (const nlohmann::json::exception& e) {
      *error = path + " line " + std::to_string(number) + ": malformed JSON: " + JsonErrorText(e);
      ok = false;
    }
  }
  std::fclose(in);
  if (!ok) return false;
  lists->clear();
  for (const EvalDoc& d : docs) {
    const auto it = by_line.find(d.line);
    if (it == by_line.end()) ++*failed;
    lists->push_back(it == by_line.end() ? std::vector<std::string>() : it->second);
  }
  return true;
}

struct SystemRow {
  std::string name;
  Scores mean;
  long long failed = 0;
};

}  // namespace

int RunEval(const Options& o) {
  const std::string& path = o.files[0];
  std::FILE* in = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
  if (in == nullptr) {
    std::fprintf(stderr, "tarnix: cannot read %s: %s\n", path.c_str(), std::strerror(errno));
    return kExitFailure;
  }
  std::vector<EvalDoc> docs;
  long long lines = 0, skipped = 0, no_reference = 0;
  std::string line, error;
  while (ReadLine(in, &line)) {
    ++lines;
    if (IsBlank(line, false)) continue;
    EvalDoc doc;
    if (!ReadDoc(line, o.batch.lang, &doc, &error)) {
      ++skipped;
      std::fprintf(stderr, "tarnix eval: %s line %lld skipped: %s\n", path.c_str(), lines, error.c_str());
      continue;
    }
    doc.line = lines;
    if (doc.references.empty()) {
      ++no_reference;
      continue;
    }
    docs.push_back(std::move(doc));
  }
  if (in != stdin) std::fclose(in);
  if (docs.empty()) {
    std::fprintf(stderr, "tarnix: %s has no article with reference keywords\n", path.c_str());
    return kExitFailure;
  }

  std::vector<std::vector<std::string>> ours;
  SystemRow tarnix_row{"tarnix", {}, 0};
  if (!o.predictions.empty()) {
    if (!ReadPredictions(o.predictions, docs, &ours, &tarnix_row.failed, &error)) {
      std::fprintf(stderr, "tarnix: %s\n", error.c_str());
      return kExitFailure;
    }
  } else if (!RunTarnix(o, docs, &ours, &tarnix_row.failed, &error)) {
    std::fprintf(stderr, "tarnix: %s\n", error.c_str());
    return kExitFailure;
  }
  MatchForm form;
  std::vector<SystemRow> rows;
  auto score = [&](const std::vector<std::vector<std::string>>& lists, SystemRow row) {
    ScoreTotals totals;
    for (size_t i = 0; i < docs.size(); ++i) {
      totals.Add(ScoreDocument(lists[i], docs[i].references, docs[i].english, &form));
    }
    row.mean = totals.Mean();
    rows.push_back(row);
  };
  score(ours, tarnix_row);
  if (!o.peer.empty()) {
    std::vector<std::vector<std::string>> theirs;
    if (!RunPeer(docs, &theirs, &error)) {
      std::fprintf(stderr, "tarnix: %s\n", error.c_str());
      return kExitFailure;
    }
    score(theirs, SystemRow{o.peer, {}, 0});
  }

  long long english = 0;
  for (const EvalDoc& d : docs) english += d.english;
  const long long chinese = static_cast<long long>(docs.size()) - english;
  std::string name = path;
  const size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  if (o.format == Format::kJson) {
    nlohmann::ordered_json results = nlohmann::ordered_json::object();
    for (const SystemRow& r : rows) {
      nlohmann::ordered_json s;
      for (int c = 0; c < kCutoffCount; ++c) {
        const std::string k = std::to_string(kCutoffs[c]);
        s["P@" + k] = r.mean.precision[c];
        s["R@" + k] = r.mean.recall[c];
        s["F1@" + k] = r.mean.f1[c];
      }
      s["failed"] = r.failed;
      results[r.name] = s;
    }
    nlohmann::ordered_json doc = {{"file", name},          {"scored", docs.size()},
                          {"zh", chinese},         {"en", english},
                          {"no_reference", no_reference}, {"skipped_lines", skipped},
                          {"results", results}};
    std::printf("%s\n", doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
  } else {
    std::printf("%s: %zu articles scored (zh %lld, en %lld); %lld without reference keywords, %lld lines skipped\n",
                name.c_str(), docs.size(), chinese, english, no_reference, skipped);
    std::printf("%-12s %7s %7s %7s %7s %7s %7s %7s\n", "system", "P@5", "R@5", "F1@5", "P@10", "R@10",
                "F1@10", "failed");
    for (const SystemRow& r : rows) {
      std::printf("%-12s %7.4f %7.4f %7.4f %7.4f %7.4f %7.4f %7lld\n", r.name.c_str(), r.mean.precision[0],
                  r.mean.recall[0], r.mean.f1[0], r.mean.precision[1], r.mean.recall[1], r.mean.f1[1],
                  r.failed);
    }
  }
  return std::fflush(stdout) == 0 ? 0 : kExitFailure;
}

}  // namespace cli
}  // namespace tarnix
