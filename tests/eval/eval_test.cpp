// The positional evaluation through the position command.
#include <gtest/gtest.h>

#include <string>

#include "board/board.h"
#include "eval/eval.h"

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

}  // namespace
