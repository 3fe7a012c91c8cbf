// The command line of the tarnix command.
#ifndef TARNIX_CLI_OPTIONS_H_
#define TARNIX_CLI_OPTIONS_H_

#include <string>
#include <vector>

#include "article.h"
#include "batch.h"
#include "output.h"

namespace tarnix {
namespace cli {

enum class Command { kHelp, kVersion, kExtract, kBatch, kEval };
enum class InputKind { kAuto, kJson, kText };

struct Options {
  Command command = Command::kHelp;
  BatchSettings batch;  // extraction settings, encoding, --lang, --jobs, --workdir
  FieldOverrides overrides;
  InputKind input = InputKind::kAuto;
  Format format = Format::kTable;
  std::vector<std::string> files;
  std::vector<std::string> peers;  // eval: peer extractors, each once, in the order given
  std::string peer_dir;            // eval: the folder of the peer scripts (default: bench/)
  int every = 1;                   // eval: score the lines whose index from 0 is offset modulo every
  int offset = 0;
  std::string predictions;  // eval: score these batch results instead of running Tarnix
  bool worker = false;
  bool quiet = false;
  bool fail_on_error = false;  // batch: exit 3 when a line got an error record
  std::string help;            // kHelp: the help of the command asked about
};

// False with a message for an unknown or malformed option, or one that
// belongs to another command. -h or --help anywhere gives Command::kHelp
// with the help of the command it follows.
bool ParseOptions(int argc, char** argv, Options* options, std::string* error);

}  // namespace cli
}  // namespace tarnix

#endif  // TARNIX_CLI_OPTIONS_H_
