// The engine's entry. With no argument it speaks UCI on standard input and
// output; its command line also answers "bench [DEPTH]", "--version" and
// "--help".
#include <cstdio>
#include <string_view>

#include "bench/bench.h"
#include "common/common.h"
#include "host/host.h"
#include "search/search.h"

namespace {

constexpr const char* USAGE =
    "usage: tavrolin                 speak UCI on standard input and output (what a GUI starts)\n"
    "       tavrolin bench [DEPTH]   search the bench positions to DEPTH (1 to 62, default 9)\n"
    "       tavrolin --version       print the engine's name and version\n"
    "       tavrolin --help          print this text\n";

// Wires the UCI host to the engine's routines and lends the engine the
// host's output.
int speakUci() {
  setEngineOutput({sendLine, searchStarted});
  // The table exists from the start, so that a "go" before the first
  // "isready" is safe.
  prepareTables(1);
  EngineHooks hooks{};
  hooks.uciHook = uciHook;
  hooks.isReadyHook = prepareTables;
  hooks.positionHook = setPosition;
  hooks.setOptionHook = setOptionHook;
  hooks.goHook = think;
  hooks.bestMoveHook = reportBestMove;
  hooks.quitHook = releaseTables;
  hooks.stopHook = stopSearch;
  hooks.ponderhitHook = ponderHit;
  return runHost(hooks);
}

// Does what the command line asks for and returns the exit status: 2, with
// the usage on standard error, for anything it does not know.
int runCommandLine(int argc, char** argv) {
  if (argc == 1) return speakUci();
  const std::string_view command = argv[1];
  if (argc == 2 && command == "--version") {
    std::puts("Tavrolin " TAVROLIN_VERSION);
    return 0;
  }
  if (argc == 2 && command == "--help") {
    std::fputs(USAGE, stdout);
    return 0;
  }
  long depth = BENCH_DEFAULT_DEPTH;
  if (command == "bench" && (argc == 2 || (argc == 3 && readNumberArgument(argv[2], 1, BENCH_MAX_DEPTH, depth)))) {
    runBench(int(depth));
    return 0;
  }
  return refuseArgument("tavrolin", argv[argc - 1], USAGE);
}

}  // namespace

int main(int argc, char** argv) { return runCommandLine(argc, argv); }
