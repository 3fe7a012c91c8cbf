// tarnix eval: keyword quality on a JSON-lines file with reference
// keywords, for Tarnix and, when asked, for peer extractors run on the same
// input (jieba's TF-IDF, retext-keywords, YAKE).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <thread>

#include "commands.h"
#include "paper_split.h"
#include "host_platform.h"
#include "scoring.h"
#include "text.h"

#ifndef TARNIX_PEER_DIR
#define TARNIX_PEER_DIR ""
#endif

namespace tarnix {
namespace cli {
namespace {

// A peer reads one JSON object per line ({"text": ...}) and answers each
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

// How one peer is started, and what to say when it fails.
struct PeerCommand {
  std::string name;
  std::vector<std::string> argv;
  std::string needs;
};

// The program's file in one of the PATH's folders, or empty.
std::string FindOnPath(const std::string& program) {
#ifdef _WIN32
  const char separator = ';';
  const std::string suffix = ".exe";
#else
  const char separator = ':';
  const std::string suffix;
#endif
  const char* path = std::getenv("PATH");
  std::string folders = path == nullptr ? "" : path;
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(separator, start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = folders.substr(start, end - start);
    if (!folder.empty()) {
      const std::string candidate = folder + kPathSeparator + program + suffix;
      FileStamp stamp;
      if (StampFile(candidate, &stamp)) return candidate;
    }
    start = end + 1;
  }
  return "";
}

// The scripts of yake and retext-keywords live in the repository's bench/
// folder (a build knows it), or in the folder --peer-dir names.
bool MakePeerCommand(const std::string& name, const Options& o, PeerCommand* peer,
                     std::string* error) {
  peer->name = name;
  if (name == "jieba-tfidf") {
    peer->argv = {kPython, "-c", kJiebaPeer};
    peer->needs = std::string("it needs ") + kPython + " with Debian's python3-jieba";
    return true;
  }
  const std::string dir = o.peer_dir.empty() ? TARNIX_PEER_DIR : o.peer_dir;
  const std::string script = name == "yake" ? "yake_peer.py" : "retext_keywords_peer.mjs";
  const std::string path = dir + kPathSeparator + script;
  FileStamp stamp;
  if (dir.empty() || !StampFile(path, &stamp)) {
    *error = "the " + name + " peer's script " + (dir.empty() ? script : path) +
             " is missing (--peer-dir names the folder of the peer scripts, the repository's bench/)";
    return false;
  }
  if (name == "yake") {
    peer->argv = {kPython, path};
    peer->needs = std::string("it runs ") + kPython + " " + path;
    return true;
  }
  const std::string node = FindOnPath("node");
  if (node.empty()) {
    *error = "the retext-keywords peer needs node on the PATH (Debian's nodejs and npm)";
    return false;
  }
  peer->argv = {node, path};
  peer->needs = "it runs " + node + " " + path +
                ", which installs its npm packages into $TARNIX_BENCH_NPM or "
                "${TMPDIR:-/tmp}/tarnix-bench-npm when they are missing";
  return true;
}

struct EvalDoc {
  long long line = 0;    // in the evaluation file
  nlohmann::json input;  // what the library is given (author keywords withheld)
  std::string peer_text;
  std::vector<std::string> references;
  bool english = false;
  nlohmann::json id;  // the record's "id", or null
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
// abstract has its text split: an English one as a paper (title, abstract
// after its heading, body; its keyword line dropped; see paper_split.h), a
// Chinese one as first line title, the rest abstract.
bool ReadDoc(const std::string& line, const std::optional<std::string>& lang, EvalDoc* doc,
             std::string* error) {
  nlohmann::json record;
  if (!ParseJsonDocument(line, &record, error)) return false;
  Article article;
  if (!ArticleFromJson(record, &article, error)) return false;
  if (record.contains("id")) doc->id = record["id"];
  const auto keywords = record.find("keywords");
  if (keywords != record.end() && keywords->is_array()) {
    for (const auto& k : *keywords) doc->references.push_back(k.get<std::string>());
  } else {
    doc->references = SplitKeywordText(article.field[kKeywords]);
  }
  std::string title = article.field[kTitle], abstract = article.field[kAbstract];
  std::string text = article.field[kText];
  std::string language = article.lang.empty() && lang ? *lang : article.lang;
  if (language.empty()) language = GuessLanguage(article);
  if (title.empty() && abstract.empty() && language == "en") {
    PaperParts parts = SplitPaper(text);
    title = std::move(parts.title);
    abstract = std::move(parts.abstract);
    text = std::move(parts.body);
  } else if (title.empty() && abstract.empty()) {
    const size_t nl = text.find('\n');
    title = text.substr(0, nl);
    abstract = nl == std::string::npos ? std::string() : text.substr(nl + 1);
    text.clear();
  }
  doc->english = language == "en";
  doc->input = {{"title", title}, {"abstract", abstract}, {"lang", language}};
  if (!text.empty()) doc->input["text"] = text;
  if (!article.field[kJournal].empty()) doc->input["journal"] = article.field[kJournal];
  if (!article.field[kClass].empty()) doc->input["class"] = article.field[kClass];
  // A blank line between the fields: peers that read paragraphs must not
  // run a title without a full stop into the abstract's first sentence.
  doc->peer_text = title + "\n\n" + abstract + (text.empty() ? "" : "\n\n" + text);
  return true;
}

// Feeds the documents to a started peer and reads its lists back.
bool RunPeer(const PeerCommand& peer, ChildProcess& child, const std::vector<EvalDoc>& docs,
             std::vector<std::vector<std::string>>* lists, std::string* error) {
  std::thread writer([&] {
    for (const EvalDoc& d : docs) {
      // Invalid UTF-8 is replaced: a throw here would end the program.
      const std::string line = nlohmann::json({{"text", d.peer_text}})
                                   .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
                               "\n";
      if (std::fwrite(line.data(), 1, line.size(), child.input()) != line.size()) break;
    }
    child.CloseInput();
  });
  lists->clear();
  std::string line;
  bool ok = true;
  while (lists->size() < docs.size() && ReadLine(child.output(), &line)) {
    try {
      lists->push_back(nlohmann::json::parse(line).get<std::vector<std::string>>());
    } catch (const std::exception&) {
      ok = false;
      break;
    }
  }
  if (!ok || lists->size() < docs.size()) child.CloseOutput();
  writer.join();
  const int status = child.Wait();
  if (!ok || lists->size() != docs.size() || status != 0) {
    *error = "the " + peer.name + " peer failed (" + peer.needs + ")";
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

// The keyword lists of a batch run's records; a document with an error
// record has an empty list. The records must be those of a batch run over
// the whole evaluation file: one per line, in order, with the same ids.
// Records of another file would score zeros without a word otherwise.
bool ReadPredictions(const std::string& path, const std::string& eval_path, long long eval_lines,
                     const std::vector<EvalDoc>& docs, std::vector<std::vector<std::string>>* lists,
                     long long* failed, std::string* error) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  std::map<long long, nlohmann::json> by_line;
  std::string line;
  long long number = 0;
  bool ok = true;
  while (ok && ReadLine(in, &line, true, kMaxJsonBytes)) {
    ++number;
    nlohmann::json record;
    std::string why;
    if (!ParseJsonDocument(line, &record, &why)) {
      *error = path + " line " + std::to_string(number) + ": " + why;
      ok = false;
    } else if (!record.is_object() || !record.contains("line") || !record["line"].is_number_integer()) {
      *error = path + " line " + std::to_string(number) + " is not a tarnix batch record";
      ok = false;
    } else if (record["line"].get<long long>() != number) {
      *error = path + " line " + std::to_string(number) + " is the record of line " +
               record["line"].dump() + ": not the records of one tarnix batch run";
      ok = false;
    } else {
      by_line[number] = std::move(record);
    }
  }
  std::fclose(in);
  if (!ok) return false;
  if (number != eval_lines) {
    *error = path + " has " + std::to_string(number) + " records for the " + std::to_string(eval_lines) +
             " lines of " + eval_path + ": they are not the records of a tarnix batch run over it";
    return false;
  }
  lists->clear();
  for (const EvalDoc& d : docs) {
    const nlohmann::json& record = by_line[d.line];
    const nlohmann::json id = record.contains("id") ? record["id"] : nlohmann::json();
    if (id != d.id) {
      *error = path + " line " + std::to_string(d.line) + " has the id " + id.dump() + ", but line " +
               std::to_string(d.line) + " of " + eval_path + " has " + d.id.dump();
      return false;
    }
    if (record.contains("error")) ++*failed;
    lists->push_back(record.contains("error") ? std::vector<std::string>() : RecordKeywords(record));
  }
  return true;
}

struct SystemRow {
  std::string name;
  Scores mean;
  long long failed = 0;
};

}  // namespace

namespace {

// The articles of the file that carry reference keywords, with the counts
// the report gives of the others.
struct EvalInput {
  std::vector<EvalDoc> docs;
  long long lines = 0, skipped = 0, no_reference = 0;
};

bool ReadEvalInput(const Options& o, const std::string& path, EvalInput* input) {
  std::FILE* in = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
  if (in == nullptr) {
    std::fprintf(stderr, "tarnix: cannot read %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  std::string line, error;
  while (ReadLine(in, &line)) {
    ++input->lines;
    // --every N --offset K: the lines whose index from 0 is K modulo N.
    if ((input->lines - 1) % o.every != o.offset) continue;
    if (IsBlank(line, false)) continue;
    EvalDoc doc;
    if (!ReadDoc(line, o.batch.lang, &doc, &error)) {
      ++input->skipped;
      std::fprintf(stderr, "tarnix eval: %s line %lld skipped: %s\n", path.c_str(), input->lines, error.c_str());
      continue;
    }
    doc.line = input->lines;
    if (doc.references.empty()) {
      ++input->no_reference;
      continue;
    }
    input->docs.push_back(std::move(doc));
  }
  if (in != stdin) std::fclose(in);
  if (input->docs.empty()) {
    std::fprintf(stderr, "tarnix: %s has no article with reference keywords\n", path.c_str());
    return false;
  }
  return true;
}

// Tarnix's keyword lists (or the predictions file's) and each peer's, in
// the order of the articles; a row for each, scored.
bool ScoreSystems(const Options& o, const std::string& path, const EvalInput& input,
                  std::vector<SystemRow>* rows) {
  const std::vector<EvalDoc>& docs = input.docs;
  std::string error;
  // The peers run beside Tarnix, each in its own process. They are all
  // started before Tarnix: its session moves this process into a work
  // folder that is removed afterwards, which a later child would inherit.
  std::vector<PeerCommand> peers(o.peers.size());
  std::vector<ChildProcess> children(peers.size());
  if (!peers.empty()) IgnoreBrokenPipes();
  for (size_t p = 0; p < peers.size(); ++p) {
    if (!MakePeerCommand(o.peers[p], o, &peers[p], &error)) {
      std::fprintf(stderr, "tarnix: %s\n", error.c_str());
      return false;
    }
    if (!children[p].Start(peers[p].argv, &error)) {
      std::fprintf(stderr, "tarnix: the %s peer: %s\n", peers[p].name.c_str(), error.c_str());
      return false;
    }
  }
  std::vector<std::vector<std::vector<std::string>>> peer_lists(peers.size());
  std::vector<std::string> peer_errors(peers.size());
  std::vector<char> peer_ok(peers.size(), 0);
  std::vector<std::thread> peer_threads;
  for (size_t p = 0; p < peers.size(); ++p) {
    peer_threads.emplace_back([&, p] {
      peer_ok[p] = RunPeer(peers[p], children[p], docs, &peer_lists[p], &peer_errors[p]);
    });
  }
  std::vector<std::vector<std::string>> ours;
  SystemRow tarnix_row{"tarnix", {}, 0};
  const bool ran = !o.predictions.empty()
                       ? ReadPredictions(o.predictions, path, input.lines, docs, &ours, &tarnix_row.failed, &error)
                       : RunTarnix(o, docs, &ours, &tarnix_row.failed, &error);
  for (std::thread& t : peer_threads) t.join();
  if (!ran) {
    std::fprintf(stderr, "tarnix: %s\n", error.c_str());
    return false;
  }
  for (size_t p = 0; p < peers.size(); ++p) {
    if (!peer_ok[p]) {
      std::fprintf(stderr, "tarnix: %s\n", peer_errors[p].c_str());
      return false;
    }
  }
  MatchForm form;
  std::string stem_error;
  if (std::any_of(docs.begin(), docs.end(), [](const EvalDoc& d) { return d.english; }) &&
      !form.CanStem(&stem_error)) {
    std::fprintf(stderr, "tarnix: %s\n", stem_error.c_str());
    return false;
  }
  auto score = [&](const std::vector<std::vector<std::string>>& lists, SystemRow row) {
    ScoreTotals totals;
    for (size_t i = 0; i < docs.size(); ++i) {
      totals.Add(ScoreDocument(lists[i], docs[i].references, docs[i].english, &form));
    }
    row.mean = totals.Mean();
    rows->push_back(row);
  };
  score(ours, tarnix_row);
  for (size_t p = 0; p < peers.size(); ++p) score(peer_lists[p], SystemRow{peers[p].name, {}, 0});
  return true;
}

void PrintEvalResults(const Options& o, const std::string& path, const EvalInput& input,
                      const std::vector<SystemRow>& rows) {
  long long english = 0;
  for (const EvalDoc& d : input.docs) english += d.english;
  const long long chinese = static_cast<long long>(input.docs.size()) - english;
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
    nlohmann::ordered_json doc = {{"file", name},          {"scored", input.docs.size()},
                          {"zh", chinese},         {"en", english},
                          {"no_reference", input.no_reference}, {"skipped_lines", input.skipped}};
    if (o.every > 1) doc["lines"] = {{"every", o.every}, {"offset", o.offset}};
    doc["results"] = results;
    std::printf("%s\n", doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    return;
  }
  std::printf("%s: %zu articles scored (zh %lld, en %lld); %lld without reference keywords, %lld lines skipped\n",
              name.c_str(), input.docs.size(), chinese, english, input.no_reference, input.skipped);
  int width = 12;
  for (const SystemRow& r : rows) width = std::max(width, static_cast<int>(r.name.size()));
  std::printf("%-*s %7s %7s %7s %7s %7s %7s %7s\n", width, "system", "P@5", "R@5", "F1@5", "P@10",
              "R@10", "F1@10", "failed");
  for (const SystemRow& r : rows) {
    std::printf("%-*s %7.4f %7.4f %7.4f %7.4f %7.4f %7.4f %7lld\n", width, r.name.c_str(),
                r.mean.precision[0], r.mean.recall[0], r.mean.f1[0], r.mean.precision[1],
                r.mean.recall[1], r.mean.f1[1], r.failed);
  }
}

}  // namespace

int RunEval(const Options& o) {
  const std::string& path = o.files[0];
  EvalInput input;
  std::vector<SystemRow> rows;
  if (!ReadEvalInput(o, path, &input) || !ScoreSystems(o, path, input, &rows)) return kExitFailure;
  PrintEvalResults(o, path, input, rows);
  return std::fflush(stdout) == 0 ? 0 : kExitFailure;
}

}  // namespace cli
}  // namespace tarnix
