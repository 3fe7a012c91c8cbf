#include "options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

namespace tarnix {
namespace cli {

namespace {

constexpr char kExitStatuses[] =
    "Exit status: 0 done, 1 the input or the library failed, 2 a bad command line";

bool ParseInt(const std::string& text, int low, int high, int* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < low || v > high) return false;
  *out = static_cast<int>(v);
  return true;
}

// The values of the options as given, checked once parsing is done so that
// each mistake has a message of its own.
struct Given {
  std::string lang, encoding, input, class_mode, normalise, top, format, jobs, every, offset;
  std::string user_dict, stop_words;
  std::vector<std::string> peers;
};

// The options each command takes.
struct Commands {
  CLI::App app{"Keywords of journal articles, Chinese and English.", "tarnix"};
  CLI::App* extract = nullptr;
  CLI::App* batch = nullptr;
  CLI::App* eval = nullptr;
  CLI::Option* version = nullptr;
};

void Build(Commands* c, Options* o, Given* g) {
  CLI::App& app = c->app;
  app.get_formatter()->column_width(34);
  app.require_subcommand(0, 1);
  app.footer(std::string("FILE is read from standard input when it is missing or \"-\"; `tarnix COMMAND --help`\n"
                         "describes each command. ") + kExitStatuses + ".");
  c->version = app.add_flag("--version", "the version");
  c->extract = app.add_subcommand("extract", "keywords of one article (a JSON object or plain text)");
  c->batch = app.add_subcommand("batch", "JSON lines in, one JSON record per input line");
  c->eval = app.add_subcommand("eval", "P, R and F1 at 5 and 10 against the reference keywords of JSON lines");
  CLI::App* x = c->extract;
  CLI::App* b = c->batch;
  CLI::App* e = c->eval;
  for (CLI::App* sub : {x, b, e}) {
    sub->add_option("FILE", o->files, sub == e ? "JSON lines with reference keywords"
                                               : "the input (default: standard input)")
        ->type_name("");
  }

  // The article and its characters.
  x->add_option("--input", g->input, "auto|json|text: JSON object or plain text (auto: JSON when it is JSON)")
      ->type_name("KIND");
  for (int f = 0; f < kFieldCount; ++f) {
    if (f == kText) continue;
    x->add_option_function<std::string>(std::string("--") + kFieldNames[f],
                                        [o, f](const std::string& v) { o->overrides.field[f] = v; },
                                        std::string("the article's ") + kFieldNames[f] +
                                            " (replaces that of a JSON input)")
        ->type_name(f == kClass ? "CODE" : "TEXT");
  }
  for (CLI::App* sub : {x, b, e}) {
    sub->add_option("--lang", g->lang, "zh|en: the language of articles that do not say (default: guessed)")
        ->type_name("LANG");
  }
  for (CLI::App* sub : {x, b}) {
    sub->add_option("--encoding", g->encoding, "utf8|gbk: the input's encoding (default utf8)")->type_name("ENC");
    sub->add_flag("--strict-encoding", o->batch.strict_encoding,
                  "refuse an article with a character GBK cannot hold");
    sub->add_flag_callback("--replace-unmappable",
                           [o] { o->batch.extract.unmappable = Unmappable::kReplace; },
                           "'?' instead of a space for a character with no GBK form");
  }
  // Extraction.
  for (CLI::App* sub : {x, b, e}) {
    sub->add_option("--class-mode", g->class_mode, "0|1|none: the class-code scheme; none prints no codes (default 1)")
        ->type_name("MODE");
    sub->add_flag("--floor-weights", o->batch.extract.floor_weights,
                  "floor the weights of the abstract keywords");
    sub->add_option("--workdir", o->batch.work_dir,
                    "where the library reads Tarnix.ini and EKVR.ini and writes its run log "
                    "(default: a temporary folder, removed afterwards)")
        ->type_name("DIR");
    sub->add_option("--user-dict", g->user_dict,
                    "UTF-8 words to keep whole and allow as keywords: WORD [FREQUENCY] [TAG] a line")
        ->type_name("FILE");
    sub->add_option("--stop-words", g->stop_words, "UTF-8 words never to give as keywords, one a line")
        ->type_name("FILE");
  }
  for (CLI::App* sub : {x, b}) {
    sub->add_option("--normalise,--normalize", g->normalise, "sum|ten: rescale the weights to sum 1 or length 10000")
        ->type_name("HOW");
    sub->add_option("--top", g->top, "at most N keywords (default 20; 0 = all)")->type_name("N");
  }
  x->add_option("--format", g->format, "table|json|tsv (default table)")->type_name("FORMAT");
  e->add_option("--format", g->format, "table|json (default table)")->type_name("FORMAT");
  // Running.
  for (CLI::App* sub : {b, e}) {
    sub->add_option("--jobs,-j", g->jobs, "N worker processes (default 1); the output is that of one")->type_name("N");
    sub->add_flag("--quiet,-q", o->quiet, "no progress bar and no summary line");
  }
  b->add_flag("--fail-on-error", o->fail_on_error, "exit with status 3 when any line got an error record");
  b->add_flag("--worker", o->worker, "")->group("");  // a worker of a batch with --jobs
  e->add_option("--peer", g->peers, "jieba-tfidf|retext-keywords|yake: also score these (NAME[,NAME...])")
      ->delimiter(',')
      ->allow_extra_args(false)  // the FILE after it is no peer
      ->type_name("NAME");
  e->add_option("--peer-dir", o->peer_dir, "the folder of the yake and retext-keywords scripts (default: bench/)")
      ->type_name("DIR");
  e->add_option("--every", g->every, "score only the lines whose index from 0 is K modulo N")->type_name("N");
  e->add_option("--offset", g->offset, "K for --every (the held-out quarter: --every 4 --offset 3)")->type_name("K");
  e->add_option("--predictions", o->predictions,
                "score the records of a `tarnix batch` run over FILE instead of running the library")
      ->type_name("RECORDS");

  x->footer(std::string("Example:\n"
                        "  tarnix extract --top 5 samples/zh-article.json\n"
                        "  tarnix extract --title 'Graph mining' --lang en paper.txt\n") +
            kExitStatuses + ".");
  b->footer(std::string("Example:\n"
                        "  tarnix batch --jobs 2 --fail-on-error articles.jsonl > keywords.jsonl\n"
                        "Each record: {\"line\",\"id\",\"replaced\",\"warning\",\"keywords\"} or "
                        "{\"line\",\"id\",\"error\"}.\n") +
            kExitStatuses + ", 3 an error record with --fail-on-error.");
  e->footer(std::string("Example:\n"
                        "  tarnix eval --jobs 2 --peer yake --every 4 --offset 3 data/en/kdd.jsonl\n") +
            kExitStatuses + ".");
}

// The commands other than `current` that take the option.
std::string OwnersOf(const Commands& c, const CLI::App* current, const std::string& name) {
  std::vector<std::string> owners;
  for (const CLI::App* sub : {c.extract, c.batch, c.eval}) {
    if (sub != current && sub->get_option_no_throw(name) != nullptr) owners.push_back(sub->get_name());
  }
  std::string text;
  for (size_t i = 0; i < owners.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == owners.size() ? " and " : ", ") + owners[i];
  }
  return text;
}

// An option the command does not take: said so, and where it belongs.
std::string ExtraText(const Commands& c, const CLI::App* current, const std::vector<std::string>& extras) {
  for (const std::string& extra : extras) {
    if (current == nullptr && (extra.empty() || extra[0] != '-')) {
      return "unknown command \"" + extra + "\" (extract, batch or eval)";
    }
    if (extra.size() < 2 || extra[0] != '-') continue;
    const std::string name = extra.substr(0, extra.find('='));
    const std::string owners = OwnersOf(c, current, name);
    if (current == nullptr) return "the option " + name + " comes after a command (extract, batch or eval)";
    if (!owners.empty()) return name + " belongs to " + owners + ", not " + current->get_name();
    return "unknown option " + name + " for " + current->get_name();
  }
  return "one input file at most";
}

bool Check(const Given& g, Options* o, std::string* error) {
  if (!g.lang.empty()) {
    if (g.lang != "zh" && g.lang != "en") return *error = "--lang must be zh or en", false;
    o->overrides.lang = g.lang;
    o->batch.lang = g.lang;
  }
  if (!g.encoding.empty()) {
    if (g.encoding == "utf8" || g.encoding == "utf-8" || g.encoding == "UTF-8") {
      o->batch.encoding = InputEncoding::kUtf8;
    } else if (g.encoding == "gbk" || g.encoding == "GBK") {
      o->batch.encoding = InputEncoding::kGbk;
    } else {
      return *error = "--encoding must be utf8 or gbk", false;
    }
  }
  if (!g.input.empty()) {
    if (g.input == "auto") o->input = InputKind::kAuto;
    else if (g.input == "json") o->input = InputKind::kJson;
    else if (g.input == "text") o->input = InputKind::kText;
    else return *error = "--input must be auto, json or text", false;
  }
  if (!g.class_mode.empty()) {
    if (g.class_mode == "0") o->batch.extract.class_mode = 0;
    else if (g.class_mode == "1") o->batch.extract.class_mode = 1;
    else if (g.class_mode == "none") o->batch.extract.class_mode = 2;
    else return *error = "--class-mode must be 0, 1 or none", false;
  }
  if (!g.normalise.empty()) {
    if (g.normalise == "sum") o->batch.extract.normalise = Normalise::kSum;
    else if (g.normalise == "ten") o->batch.extract.normalise = Normalise::kTen;
    else return *error = "--normalise must be sum or ten", false;
  }
  if (!g.top.empty() && !ParseInt(g.top, 0, 1000000, &o->batch.extract.top)) {
    return *error = "--top must be a whole number, 0 for all", false;
  }
  if (!g.format.empty()) {
    if (g.format == "table") o->format = Format::kTable;
    else if (g.format == "json") o->format = Format::kJson;
    else if (g.format == "tsv" && o->command == Command::kExtract) o->format = Format::kTsv;
    else {
      return *error = o->command == Command::kExtract ? "--format must be table, json or tsv"
                                                      : "--format must be table or json",
             false;
    }
  }
  if (!g.jobs.empty() && !ParseInt(g.jobs, 1, 256, &o->batch.jobs)) {
    return *error = "--jobs must be a whole number from 1 to 256", false;
  }
  if (!g.every.empty() && !ParseInt(g.every, 1, 1000000, &o->every)) {
    return *error = "--every must be a whole number from 1", false;
  }
  if (!g.offset.empty() && !ParseInt(g.offset, 0, 1000000, &o->offset)) {
    return *error = "--offset must be a whole number from 0", false;
  }
  for (const std::string& name : g.peers) {
    if (name != "jieba-tfidf" && name != "retext-keywords" && name != "yake") {
      return *error = "unknown peer \"" + name + "\": --peer knows jieba-tfidf, retext-keywords and yake", false;
    }
    if (std::find(o->peers.begin(), o->peers.end(), name) == o->peers.end()) o->peers.push_back(name);
  }
  // Absolute, as the engines read them from their working directory (and
  // workers are told them). Whether they can be read is the run's
  // business: a missing file is a failure, not a bad command line.
  std::error_code ec;
  if (!g.user_dict.empty()) o->batch.extract.user_dict = std::filesystem::absolute(g.user_dict, ec).string();
  if (!g.stop_words.empty()) o->batch.extract.stop_words = std::filesystem::absolute(g.stop_words, ec).string();
  if (o->batch.strict_encoding && o->batch.extract.unmappable == Unmappable::kReplace) {
    return *error = "--strict-encoding refuses what --replace-unmappable replaces: give one of them", false;
  }
  if (o->files.size() > 1) return *error = "one input file at most", false;
  if (o->offset >= o->every) return *error = "--offset must be less than --every", false;
  if (o->command == Command::kEval && o->files.empty()) return *error = "eval needs a JSON-lines file", false;
  return true;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options* o, std::string* error) {
  *o = Options();
  Commands c;
  Given g;
  Build(&c, o, &g);
  if (argc < 2 || std::strcmp(argv[1], "help") == 0) {
    o->help = c.app.help();
    return true;
  }
  try {
    c.app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    const std::vector<CLI::App*> used = c.app.get_subcommands();
    o->command = Command::kHelp;
    o->help = used.empty() ? c.app.help() : used.front()->help();
    // A command's usage line names the program too.
    if (!used.empty() && o->help.find("Usage: " + used.front()->get_name()) != std::string::npos) {
      o->help.insert(o->help.find("Usage: ") + 7, "tarnix ");
    }
    if (!o->help.empty() && o->help.back() != '\n') o->help += '\n';
    return true;
  } catch (const CLI::ExtrasError&) {
    const std::vector<CLI::App*> used = c.app.get_subcommands();
    CLI::App* current = used.empty() ? nullptr : used.front();
    *error = ExtraText(c, current, current != nullptr ? current->remaining() : c.app.remaining());
    return false;
  } catch (const CLI::ArgumentMismatch& e) {
    // "--title: 1 required TEXT missing"
    *error = e.what();
    if (error->compare(0, 2, "--") == 0) *error = "the option " + error->substr(0, error->find(':')) + " needs a value";
    return false;
  } catch (const CLI::ParseError& e) {
    *error = e.what();
    return false;
  }
  if (c.version->count() > 0) {
    o->command = Command::kVersion;
    return true;
  }
  if (c.extract->parsed()) o->command = Command::kExtract;
  else if (c.batch->parsed()) o->command = Command::kBatch;
  else if (c.eval->parsed()) o->command = Command::kEval;
  else {
    o->help = c.app.help();
    return true;
  }
  if (o->command == Command::kEval) o->batch.extract.top = 10;
  return Check(g, o, error);
}

}  // namespace cli
}  // namespace tarnix
