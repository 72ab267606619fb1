// Micro-benchmarks of the routines that run at every node: generating and
// making moves, the attack test, the tests made before a move and the
// evaluation.
#include <benchmark/benchmark.h>

#include "board/board.h"
#include "board/checks.h"
#include "eval/eval.h"
#include "search/search.h"

namespace {

const char* const middlegame = "fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

void setUp(const char* text) {
  static const bool ready = (prepareTables(1), true);
  (void)ready;
  setupPosition(text);
  position.currentMove = &position.moveStack[ROOT_RECORD];
}

int countMoves(void* arg) {
  ++*static_cast<long*>(arg);
  return 0;
}

int makeAndTakeBack(void* arg) {
  Move& m = *position.currentMove;
  makeMove(m);
  if (!isAttacked(position.xside, position.pieceList[position.side][0].square)) ++*static_cast<long*>(arg);
  unmakeMove(m);
  return 0;
}

// The squares shielding the king of the side to move, found once per
// position as the search does.
uint64_t kingShields = 0;

// Whether the move leaves the own king attacked and whether it gives check,
// answered before making it.
int testBeforeMaking(void* arg) {
  const Move& m = *position.currentMove;
  int answers = leavesKingAttacked(m, 0, kingShields) + givesCheck(m);
  benchmark::DoNotOptimize(answers);
  ++*static_cast<long*>(arg);
  return 0;
}

void generateAll(void* arg) {
  genPromotions(1, arg);
  genCaptures(arg);
  genQuiet(arg);
}

// Runs every generator on the middlegame position with the given visitor,
// which counts what it is handed.
void generateWith(benchmark::State& state, MoveVisitor visitor) {
  setUp(middlegame);
  kingShields = squaresShieldingKing(position.side);
  moveVisitor = visitor;
  long count = 0;
  for (auto _ : state) generateAll(&count);
  benchmark::DoNotOptimize(count);
  state.SetItemsProcessed(count);
}
BENCHMARK_CAPTURE(generateWith, GenerateMoves, countMoves);
BENCHMARK_CAPTURE(generateWith, MakeTestUnmake, makeAndTakeBack);
BENCHMARK_CAPTURE(generateWith, TestBeforeMaking, testBeforeMaking);

// The quiet moves of a side in check, each made and tested: all of them, or
// only those that may answer the check.
void quietMovesInCheck(benchmark::State& state, bool evasionsOnly) {
  setUp("fen rnb1kbnr/pppp1ppp/8/4p3/5P1q/8/PPPPP1PP/RNBQKBNR w KQkq - 1 3");
  moveVisitor = makeAndTakeBack;
  const uint64_t answers = evasionSquares(checkersOf(position.side));
  long legal = 0;
  for (auto _ : state) {
    if (evasionsOnly)
      genQuietEvasions(answers, &legal);
    else
      genQuiet(&legal);
  }
  benchmark::DoNotOptimize(legal);
  state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK_CAPTURE(quietMovesInCheck, AllQuietMoves, false);
BENCHMARK_CAPTURE(quietMovesInCheck, Evasions, true);

void BM_Evaluate(benchmark::State& state) {
  setUp(middlegame);
  for (auto _ : state) benchmark::DoNotOptimize(evaluate());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Evaluate);

void BM_SearchDepth6(benchmark::State& state) {
  uint64_t nodeTotal = 0;
  for (auto _ : state) {
    releaseTables();
    prepareTables(1);
    setUp(middlegame);
    nodeTotal += searchToDepth(6);
  }
  state.SetItemsProcessed(int64_t(nodeTotal));
}
BENCHMARK(BM_SearchDepth6)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
