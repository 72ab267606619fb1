// tavrolin-bench [DEPTH]: the bench (see src/bench/bench.h) as a program of
// its own; the engine's "tavrolin bench [DEPTH]" prints the very same lines.
#include <cstdio>
#include <cstring>

#include "bench/bench.h"
#include "common/common.h"

namespace {

constexpr const char* USAGE =
    "usage: tavrolin-bench [DEPTH]\n"
    "Searches the fixed bench positions to DEPTH (1 to 62, default 9) and ends with\n"
    "\"bench NODES nodes NPS nps MS ms\"; NODES is the search's signature.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(USAGE, stdout);
    return 0;
  }
  long depth = BENCH_DEFAULT_DEPTH;
  if (argc > 2 || (argc == 2 && !readNumberArgument(argv[1], 1, BENCH_MAX_DEPTH, depth)))
    return refuseArgument("tavrolin-bench", argv[argc - 1], USAGE);
  runBench(int(depth));
  return 0;
}
