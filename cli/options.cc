#include "options.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tarnix {
namespace cli {

const char kUsage[] =
    "Usage:\n"
    "  tarnix extract [options] [FILE]   keywords of one article (JSON object or plain text)\n"
    "  tarnix batch [options] [FILE]     JSON lines in, one JSON result line per input line\n"
    "  tarnix eval [options] FILE        precision, recall and F1 at 5 and 10 against the\n"
    "                                    reference keywords of a JSON-lines file\n"
    "FILE is read from standard input when it is missing or \"-\".\n"
    "\n"
    "Article input (extract):\n"
    "  --input auto|json|text   JSON object or plain text (auto: JSON when it starts with '{')\n"
    "  --title TEXT  --abstract TEXT  --keywords TEXT  --journal TEXT  --class CODE\n"
    "                           fields of the article; they replace those of a JSON input,\n"
    "                           and plain text is the article's full text\n"
    "  --lang zh|en             the article's language (default: the input's \"lang\", or zh\n"
    "                           when the text has Chinese characters)\n"
    "  --encoding utf8|gbk      input encoding (default utf8; gbk is passed through untouched)\n"
    "  --strict-encoding        refuse an article with a character GBK cannot hold (by\n"
    "                           default it takes its nearest GBK form: see the README)\n"
    "  --replace-unmappable     '?' instead of a space for characters with no GBK form\n"
    "Extraction:\n"
    "  --class-mode 0|1|none    class-code scheme (default 1)\n"
    "  --floor-weights          floor the weights of the abstract keywords\n"
    "  --normalise sum|ten      rescale the printed weights: sum to 1, or a vector of length 10000\n"
    "  --top N                  print at most N keywords (default 20; 0 = all)\n"
    "Output:\n"
    "  --format table|json|tsv  extract: table (default), json or tsv; eval: table or json\n"
    "  --quiet                  batch and eval: no progress bar and no summary line\n"
    "Running:\n"
    "  --jobs N                 batch and eval: N worker processes (default 1); the output\n"
    "                           is the same as with one\n"
    "  --workdir DIR            where the library reads Tarnix.ini and EKVR.ini and writes\n"
    "                           Tarnix_Log.log (default: a temporary directory, removed after)\n"
    "  --peer NAME[,NAME...]    eval: also score peer extractors on the same input:\n"
    "                           jieba-tfidf, retext-keywords, yake (repeatable)\n"
    "  --peer-dir DIR           eval: the folder of the yake and retext-keywords scripts\n"
    "                           (default: the bench/ folder of the source tree built from)\n"
    "  --every N --offset K     eval: score only the lines whose index from 0 is K modulo N\n"
    "                           (the held-out quarter of a set: --every 4 --offset 3)\n"
    "  --predictions FILE       eval: score the records of a tarnix batch run over FILE's lines\n"
    "                           (matched by \"line\") instead of running the library\n"
    "  -h, --help               this text\n"
    "  --version                the version\n";

namespace {

bool ParseInt(const std::string& text, int low, int high, int* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < low || v > high) return false;
  *out = static_cast<int>(v);
  return true;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options* o, std::string* error) {
  *o = Options();
  if (argc < 2) return true;
  const std::string command = argv[1];
  if (command == "extract") {
    o->command = Command::kExtract;
  } else if (command == "batch") {
    o->command = Command::kBatch;
  } else if (command == "eval") {
    o->command = Command::kEval;
    o->batch.extract.top = 10;
  } else if (command == "-h" || command == "--help" || command == "help") {
    o->command = Command::kHelp;
    return true;
  } else if (command == "--version") {
    o->command = Command::kVersion;
    return true;
  } else {
    *error = "unknown command \"" + command + "\" (extract, batch or eval)";
    return false;
  }
  bool format_given = false;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) {
        *error = "the option " + arg + " needs a value";
        return false;
      }
      *out = argv[++i];
      return true;
    };
    std::string v;
    bool field_option = false;
    for (int f = 0; f < kFieldCount; ++f) {
      if (f == kText) continue;
      if (arg == std::string("--") + kFieldNames[f]) {
        if (o->command != Command::kExtract) {
          *error = "the option " + arg + " belongs to extract";
          return false;
        }
        if (!value(&v)) return false;
        o->overrides.field[f] = v;
        field_option = true;
      }
    }
    if (field_option) continue;
    if (arg == "-h" || arg == "--help") {
      o->command = Command::kHelp;
      return true;
    } else if (arg == "--lang") {
      if (!value(&v)) return false;
      if (v != "zh" && v != "en") {
        *error = "--lang must be zh or en";
        return false;
      }
      o->overrides.lang = v;
      o->batch.lang = v;
    } else if (arg == "--encoding") {
      if (!value(&v)) return false;
      if (v == "utf8" || v == "utf-8" || v == "UTF-8") {
        o->batch.encoding = InputEncoding::kUtf8;
      } else if (v == "gbk" || v == "GBK") {
        o->batch.encoding = InputEncoding::kGbk;
      } else {
        *error = "--encoding must be utf8 or gbk";
        return false;
      }
    } else if (arg == "--input") {
      if (!value(&v)) return false;
      if (v == "auto") o->input = InputKind::kAuto;
      else if (v == "json") o->input = InputKind::kJson;
      else if (v == "text") o->input = InputKind::kText;
      else {
        *error = "--input must be auto, json or text";
        return false;
      }
    } else if (arg == "--replace-unmappable") {
      o->batch.extract.unmappable = Unmappable::kReplace;
    } else if (arg == "--strict-encoding") {
      o->batch.strict_encoding = true;
    } else if (arg == "--class-mode") {
      if (!value(&v)) return false;
      if (v == "0") o->batch.extract.class_mode = 0;
      else if (v == "1") o->batch.extract.class_mode = 1;
      else if (v == "none") o->batch.extract.class_mode = 2;
      else {
        *error = "--class-mode must be 0, 1 or none";
        return false;
      }
    } else if (arg == "--floor-weights") {
      o->batch.extract.floor_weights = true;
    } else if (arg == "--normalise" || arg == "--normalize") {
      if (!value(&v)) return false;
      if (v == "sum") o->batch.extract.normalise = Normalise::kSum;
      else if (v == "ten") o->batch.extract.normalise = Normalise::kTen;
      else {
        *error = arg + " must be sum or ten";
        return false;
      }
    } else if (arg == "--top") {
      if (!value(&v)) return false;
      if (!ParseInt(v, 0, 1000000, &o->batch.extract.top)) {
        *error = "--top must be a whole number, 0 for all";
        return false;
      }
    } else if (arg == "--format") {
      if (!value(&v)) return false;
      format_given = true;
      if (v == "table") o->format = Format::kTable;
      else if (v == "json") o->format = Format::kJson;
      else if (v == "tsv" && o->command == Command::kExtract) o->format = Format::kTsv;
      else {
        *error = o->command == Command::kExtract ? "--format must be table, json or tsv"
                                                 : "--format must be table or json";
        return false;
      }
    } else if (arg == "--jobs" || arg == "-j") {
      if (!value(&v)) return false;
      if (!ParseInt(v, 1, 256, &o->batch.jobs)) {
        *error = "--jobs must be a whole number from 1 to 256";
        return false;
      }
    } else if (arg == "--workdir") {
      if (!value(&v)) return false;
      o->batch.work_dir = v;
    } else if (arg == "--peer") {
      if (!value(&v)) return false;
      if (o->command != Command::kEval) {
        *error = "--peer belongs to eval";
        return false;
      }
      size_t start = 0;
      while (start <= v.size()) {
        size_t end = v.find(',', start);
        if (end == std::string::npos) end = v.size();
        const std::string name = v.substr(start, end - start);
        if (name != "jieba-tfidf" && name != "retext-keywords" && name != "yake") {
          *error = "unknown peer \"" + name + "\": --peer knows jieba-tfidf, retext-keywords and yake";
          return false;
        }
        if (std::find(o->peers.begin(), o->peers.end(), name) == o->peers.end()) {
          o->peers.push_back(name);
        }
        start = end + 1;
      }
    } else if (arg == "--peer-dir" || arg == "--every" || arg == "--offset") {
      if (!value(&v)) return false;
      if (o->command != Command::kEval) {
        *error = arg + " belongs to eval";
        return false;
      }
      const bool every = arg == "--every";
      if (arg == "--peer-dir") {
        o->peer_dir = v;
      } else if (!ParseInt(v, every ? 1 : 0, 1000000, every ? &o->every : &o->offset)) {
        *error = arg + " must be a whole number from " + (every ? "1" : "0");
        return false;
      }
    } else if (arg == "--predictions") {
      if (!value(&v)) return false;
      if (o->command != Command::kEval) {
        *error = "--predictions belongs to eval";
        return false;
      }
      o->predictions = v;
    } else if (arg == "--quiet" || arg == "-q") {
      o->quiet = true;
    } else if (arg == "--worker") {
      o->worker = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      *error = "unknown option " + arg;
      return false;
    } else {
      o->files.push_back(arg);
    }
  }
  if (format_given && o->command == Command::kBatch) {
    *error = "batch writes JSON lines; --format belongs to extract and eval";
    return false;
  }
  if (o->batch.strict_encoding && o->batch.extract.unmappable == Unmappable::kReplace) {
    *error = "--strict-encoding refuses what --replace-unmappable replaces: give one of them";
    return false;
  }
  if (o->files.size() > 1) {
    *error = "one input file at most";
    return false;
  }
  if (o->offset >= o->every) {
    *error = "--offset must be less than --every";
    return false;
  }
  if (o->command == Command::kEval && o->files.empty()) {
    *error = "eval needs a JSON-lines file";
    return false;
  }
  return true;
}

}  // namespace cli
}  // namespace tarnix
