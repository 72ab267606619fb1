// The positional evaluation through the position command.
#include <gtest/gtest.h>

#include <string>

#include "board/board.h"
#include "eval/eval.h"
#include "eval/eval_internal.h"

namespace {

int evaluationOf(const std::string& fen) {
  setupPosition(("fen " + fen).c_str());
  EXPECT_TRUE(positionValid()) << fen;
  return evaluate();
}

// A pawn on its own first rank (a position may hold one) stands behind every
// enemy pawn and never stops one from being passed: the white pawn gains as
// much by its step from e4 to e5 with that pawn beside its file as far from it.
TEST(Evaluation, APawnOnItsOwnFirstRankStopsNoEnemyPawn) {
  const auto stepGain = [](const std::string& eighthRank) {
    return evaluationOf(eighthRank + "/8/8/4P3/8/8/8/K6k w - - 0 1") -
           evaluationOf(eighthRank + "/8/8/8/4P3/8/8/K6k w - - 0 1");
  };
  EXPECT_EQ(stepGain("3p4"), stepGain("p7"));
}

// The copy for processors that count bits in one instruction and the portable
// copy score alike: kings in the ending, knights, pawns, and rooks and queens
// on the seventh rank all count squares.
TEST(Evaluation, BothCopiesScoreAlike) {
  for (const char* fen : {"r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
                          "6k1/1R3ppp/8/3N4/8/8/2q2PPP/6K1 b - - 0 1", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
                          "4k3/8/3n4/8/2N1K3/8/8/8 w - - 0 1"}) {
    const int score = evaluationOf(fen);
    EXPECT_EQ(score, evaluatePortable()) << fen;
  }
}

}  // namespace
