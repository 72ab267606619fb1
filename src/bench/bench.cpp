// The endgame file is left out of the bench, so that the signature does not
// depend on whether "Endgame.bin" lies beside the program.
#include "bench/bench.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>

#include "bench/bench_positions.h"
#include "board/board.h"
#include "eval/endgame_file.h"
#include "search/search.h"

namespace {

constexpr int BENCH_HASH_MB = 16;

}  // namespace

void runBench(int depth) {
  ignoreEndgameFile();

  uint64_t totalNodes = 0;
  const auto start = std::chrono::steady_clock::now();
  int index = 0;
  for (const char* text : benchPositions) {
    releaseTables();  // fresh tables, as after start-up
    prepareTables(BENCH_HASH_MB);
    setupPosition(text);
    const uint64_t nodeTotal = searchToDepth(depth);
    totalNodes += nodeTotal;
    std::printf("%2d %12" PRIu64 " nodes  bestmove %-5s  %s\n", ++index, nodeTotal, bestMoveText(), text);
  }
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  const uint64_t nps = ms > 0 ? totalNodes * 1000 / uint64_t(ms) : 0;
  std::printf("bench %" PRIu64 " nodes %" PRIu64 " nps %lld ms\n", totalNodes, nps, static_cast<long long>(ms));
  std::fflush(stdout);
  releaseTables();
}
