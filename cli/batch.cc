#include "batch.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "output.h"
#include "host_platform.h"

namespace tarnix {
namespace cli {
namespace {

// Lines handed to the workers and not yet answered, per worker: enough to
// keep each one busy, few enough to bound the memory held.
constexpr long long kInFlightPerWorker = 8;

std::string ClassModeArgument(int mode) { return mode == 0 ? "0" : mode == 1 ? "1" : "none"; }

// Feeds one worker from a queue on a thread of its own, so that the main
// thread can always read the results and no pipe can fill up both ways.
class Feeder {
 public:
  explicit Feeder(ChildProcess* child) : child_(child), thread_([this] { Run(); }) {}
  ~Feeder() { Finish(); }

  void Push(std::string text) {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(text));
    ready_.notify_one();
  }
  // No more lines: the worker sees the end of its input once the queue is
  // written. With abandon set the queue is dropped.
  void Finish(bool abandon = false) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
      if (abandon) queue_.clear();
      ready_.notify_one();
    }
    if (thread_.joinable()) thread_.join();
  }

 private:
  void Run() {
    bool broken = false;
    for (;;) {
      std::string text;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return done_ || !queue_.empty(); });
        if (queue_.empty()) break;
        text = std::move(queue_.front());
        queue_.pop_front();
      }
      if (broken) continue;
      // A worker that has gone makes the write fail; the reader notices.
      if (std::fwrite(text.data(), 1, text.size(), child_->input()) != text.size() ||
          std::fflush(child_->input()) != 0) {
        broken = true;
      }
    }
    child_->CloseInput();
  }

  ChildProcess* child_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::string> queue_;
  bool done_ = false;
  std::thread thread_;
};

bool RunInProcess(const BatchSettings& settings, const std::function<bool(std::string*)>& next_line,
                  const std::function<bool(const std::string&, bool)>& deliver, std::string* error) {
  Session session;
  if (!session.Open(settings.work_dir, settings.extract, error)) return false;
  std::string line;
  for (long long number = 1; next_line(&line); ++number) {
    bool ok = false;
    const std::string record = ProcessLine(session, settings, number, line, &ok);
    if (!deliver(record, ok)) break;
  }
  return true;
}

// A worker and the lines it has been sent and not yet answered, kept so
// that a worker that dies can be replaced and its lines sent again.
struct Worker {
  std::unique_ptr<ChildProcess> process;
  std::unique_ptr<Feeder> feeder;
  std::deque<std::string> pending;  // requests, oldest first

  bool Start(const std::vector<std::string>& argv, std::string* error) {
    process = std::make_unique<ChildProcess>();
    if (!process->Start(argv, error)) return false;
    feeder = std::make_unique<Feeder>(process.get());
    for (const std::string& request : pending) feeder->Push(request);
    return true;
  }
  void Send(std::string request) {
    pending.push_back(request);
    feeder->Push(std::move(request));
  }
  // Stops feeding and waits for the process; its exit status.
  int Stop(bool abandon) {
    if (!process) return 0;
    if (abandon) process->CloseOutput();
    if (feeder) feeder->Finish(abandon);
    feeder.reset();
    const int status = process->Wait();
    return status;
  }
};

// Starts settings.jobs workers; without a --workdir each gets a folder of
// its own inside root.
bool StartWorkers(const BatchSettings& settings, const std::string& self, const TemporaryFolder& root,
                  std::vector<std::vector<std::string>>* argv, std::vector<Worker>* workers, std::string* error) {
  BatchSettings worker_settings = settings;
  for (size_t k = 0; k < workers->size(); ++k) {
    if (settings.work_dir.empty()) {
      worker_settings.work_dir = root.path() + kPathSeparator + "worker-" + std::to_string(k + 1);
    }
    (*argv)[k] = {self};
    for (const std::string& a : WorkerArguments(worker_settings)) (*argv)[k].push_back(a);
    std::string why;
    if (!(*workers)[k].Start((*argv)[k], &why)) {
      *error = "--jobs " + std::to_string(settings.jobs) + ": " + why;
      for (Worker& w : *workers) w.Stop(true);
      return false;
    }
  }
  return true;
}

// The workers' replies, taken in line order (line i went to worker
// (i - 1) % n) and handed on.
struct ReplyReader {
  std::vector<Worker>& workers;
  const std::vector<std::vector<std::string>>& argv;
  const std::function<bool(const std::string&, bool)>& deliver;
  std::string* error;
  long long received = 0;
  bool failed = false, stopped = false;

  void Next() {
    const size_t k = static_cast<size_t>(received % static_cast<long long>(workers.size()));
    Worker& w = workers[k];
    std::string reply;
    if (ReadLine(w.process->output(), &reply) && reply.size() >= 2 && reply[1] == '\t') {
      ++received;
      w.pending.pop_front();
      if (!deliver(reply.substr(2), reply[0] == 'K')) stopped = true;
      return;
    }
    // A worker that a signal ended (a crash, or killed) costs the line it
    // was on, which gets an error record; a new worker takes the rest of
    // its lines. One that exited by itself could not start.
    const int status = w.Stop(true);
    const int signal = w.process->signal();
    if (signal == 0 || w.pending.empty()) {
      *error = "worker " + std::to_string(k + 1) + " stopped before line " + std::to_string(received + 1) +
               " was done" + (status > 0 ? " (exit status " + std::to_string(status) + ")" : "");
      failed = true;
      return;
    }
    w.pending.pop_front();
    ++received;
    const nlohmann::ordered_json record = {
        {"line", received},
        {"error", "the worker process stopped on this line (signal " + std::to_string(signal) +
                      "); the line was not done"}};
    if (!deliver(record.dump(), false)) stopped = true;
    std::string why;
    if (!stopped && !w.Start(argv[k], &why)) {
      *error = "worker " + std::to_string(k + 1) + " cannot be started again: " + why;
      failed = true;
    }
  }
  bool going() const { return !failed && !stopped; }
};

bool RunWithWorkers(const BatchSettings& settings, const std::function<bool(std::string*)>& next_line,
                    const std::function<bool(const std::string&, bool)>& deliver, std::string* error) {
  const std::string self = SelfExecutablePath();
  if (self.empty()) {
    *error = "cannot find the tarnix program itself to start workers";
    return false;
  }
  // Every worker would fail on it, each with its message.
  if (!CheckWordFiles(settings.extract, error)) return false;
  // The workers' run logs go into one temporary folder of this process,
  // a folder for each, which this process removes however it ends: a
  // worker that is killed cannot remove its own.
  TemporaryFolder root;
  if (settings.work_dir.empty() && !root.Make(error)) return false;
  IgnoreBrokenPipes();
  const size_t n = static_cast<size_t>(settings.jobs);
  std::vector<std::vector<std::string>> argv(n);
  std::vector<Worker> workers(n);
  if (!StartWorkers(settings, self, root, &argv, &workers, error)) return false;
  ReplyReader replies{workers, argv, deliver, error};
  long long sent = 0;
  std::string line;
  while (replies.going() && next_line(&line)) {
    ++sent;
    const size_t k = static_cast<size_t>((sent - 1) % static_cast<long long>(n));
    workers[k].Send(std::to_string(sent) + "\t" + line + "\n");
    while (replies.going() && sent - replies.received >= kInFlightPerWorker * static_cast<long long>(n)) {
      replies.Next();
    }
  }
  if (replies.going()) {
    for (Worker& w : workers) w.feeder->Finish();
    while (replies.going() && replies.received < sent) replies.Next();
  }
  // Workers blocked on their output are released by closing it.
  const bool abandon = !replies.going();
  bool failed = replies.failed;
  for (size_t k = 0; k < n; ++k) {
    const int status = workers[k].Stop(abandon);
    if (status != 0 && !abandon) {
      *error = "worker " + std::to_string(k + 1) + " ended with status " + std::to_string(status);
      failed = true;
    }
  }
  return !failed;
}

}  // namespace

CharacterPolicy CharacterPolicyOf(const BatchSettings& settings) {
  if (settings.strict_encoding) return CharacterPolicy::kStrict;
  return settings.extract.unmappable == Unmappable::kReplace ? CharacterPolicy::kReplace
                                                             : CharacterPolicy::kNormalise;
}

bool ReadLine(std::FILE* stream, std::string* line, bool strip_cr, size_t limit) {
  // Byte by byte, so that a NUL inside a line is kept (and refused later
  // with a message) instead of cutting the line short.
  if (!ReadLineBytes(stream, line, limit)) return false;
  if (strip_cr && !line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

std::string ProcessLine(Session& session, const BatchSettings& settings, long long line_number,
                        const std::string& line, bool* ok) {
  nlohmann::ordered_json record = {{"line", line_number}};
  std::string error;
  // The keyword list, the record's last member, as its JSON text.
  std::string keywords_json;
  try {
    LibraryArticle prepared;
    std::vector<Keyword> keywords;
    if (PrepareLine(line, line_number, settings.encoding, settings.lang, CharacterPolicyOf(settings),
                    &record, &prepared, &error) &&
        session.Extract(prepared, settings.extract, &keywords, &error)) {
      keywords_json = KeywordsJsonText(keywords);
    }
  } catch (const std::exception& e) {
    error = std::string("unexpected failure: ") + e.what();
    keywords_json.clear();
  }
  *ok = error.empty();
  // Invalid UTF-8 from the input (an id, a message quoting it) is
  // replaced rather than refused, so that every line gets its record.
  constexpr auto kReplace = nlohmann::json::error_handler_t::replace;
  std::string text = record.dump(-1, ' ', false, kReplace);
  // The members after the others, as the record would have them: the
  // keywords, then the error.
  auto append = [&text](const char* name, const std::string& json) {
    text.pop_back();  // the closing brace
    text += ",\"";
    text += name;
    text += "\":";
    text += json;
    text += '}';
  };
  if (!keywords_json.empty()) append("keywords", keywords_json);
  if (!*ok) append("error", nlohmann::ordered_json(error).dump(-1, ' ', false, kReplace));
  return text;
}

bool RunBatch(const BatchSettings& settings, const std::function<bool(std::string*)>& next_line,
              const std::function<bool(const std::string&, bool)>& deliver, std::string* error) {
  if (settings.jobs <= 1) return RunInProcess(settings, next_line, deliver, error);
  return RunWithWorkers(settings, next_line, deliver, error);
}

std::vector<std::string> WorkerArguments(const BatchSettings& settings) {
  const ExtractSettings& x = settings.extract;
  std::vector<std::string> args = {"batch", "--worker",
                                   "--encoding", settings.encoding == InputEncoding::kGbk ? "gbk" : "utf8",
                                   "--class-mode", ClassModeArgument(x.class_mode),
                                   "--top", std::to_string(x.top)};
  if (x.floor_weights) args.push_back("--floor-weights");
  if (x.normalise != Normalise::kNone) {
    args.push_back("--normalise");
    args.push_back(x.normalise == Normalise::kSum ? "sum" : "ten");
  }
  if (x.unmappable == Unmappable::kReplace) args.push_back("--replace-unmappable");
  if (settings.strict_encoding) args.push_back("--strict-encoding");
  for (const auto& [option, file] : {std::make_pair("--user-dict", &x.user_dict), std::make_pair("--stop-words", &x.stop_words)}) {
    if (file->empty()) continue;
    args.push_back(option);
    args.push_back(*file);
  }
  if (settings.lang) {
    args.push_back("--lang");
    args.push_back(*settings.lang);
  }
  if (!settings.work_dir.empty()) {
    args.push_back("--workdir");
    args.push_back(settings.work_dir);
  }
  return args;
}

int RunWorker(const BatchSettings& settings) {
  SetBinaryMode(stdin);
  SetBinaryMode(stdout);
  Session session;
  std::string error;
  if (!session.Open(settings.work_dir, settings.extract, &error)) {
    std::fprintf(stderr, "tarnix worker: %s\n", error.c_str());
    return 1;
  }
  std::string request;
  // The parent has taken the CR off already; a second one is the line's own.
  while (ReadLine(stdin, &request, false)) {
    const size_t tab = request.find('\t');
    if (tab == std::string::npos) {
      std::fprintf(stderr, "tarnix worker: a request without its line number\n");
      return 1;
    }
    const long long number = std::atoll(request.substr(0, tab).c_str());
    bool ok = false;
    const std::string record = ProcessLine(session, settings, number, request.substr(tab + 1), &ok);
    if (std::fprintf(stdout, "%c\t%s\n", ok ? 'K' : 'E', record.c_str()) < 0 ||
        std::fflush(stdout) != 0) {
      return 1;
    }
  }
  return 0;
}

}  // namespace cli
}  // namespace tarnix
