// tarnix: keywords of journal articles from the command line.
#include <cstdio>
#include <exception>

#include "commands.h"

int main(int argc, char** argv) {
  using namespace tarnix::cli;
  try {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, &options, &error)) {
      std::fprintf(stderr, "tarnix: %s\n(tarnix --help lists the options)\n", error.c_str());
      return kExitUsage;
    }
    switch (options.command) {
      case Command::kHelp:
        std::fputs(options.help.c_str(), stdout);
        return argc < 2 ? kExitUsage : 0;
      case Command::kVersion:
        std::printf("tarnix %s\n", TARNIX_VERSION);
        return 0;
      case Command::kExtract:
        return RunExtract(options);
      case Command::kBatch:
        return RunBatchCommand(options);
      case Command::kEval:
        return RunEval(options);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tarnix: unexpected failure: %s\n", e.what());
  }
  return kExitFailure;
}
