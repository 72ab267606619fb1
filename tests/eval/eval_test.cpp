// The positional evaluation through the position command: it sees the board
// the same way from either side, and its pawn terms follow the pawns' paths.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "board/board.h"
#include "eval/eval.h"

namespace {

int evaluationOf(const std::string& fen) {
  setupPosition(("fen " + fen).c_str());
  EXPECT_TRUE(positionValid()) << fen;
  return evaluate();
}

// The placement read from its last rank back, colours swapped, the other side
// to move: the same position seen from the other side.
std::string mirrored(const std::string& fen) {
  std::string rank, flipped;
  for (const char c : fen.substr(0, fen.find(' ')) + '/') {
    if (c == '/') {
      flipped = rank + (flipped.empty() ? "" : "/") + flipped;
      rank.clear();
    } else {
      rank += char(std::isupper(c) ? std::tolower(c) : std::toupper(c));
    }
  }
  return flipped + (fen.find(" w") != std::string::npos ? " b - - 0 1" : " w - - 0 1");
}

TEST(Evaluation, IsTheSameForAPositionAndItsMirrorImage) {
  for (const char* fen : {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b - - 0 1",
                          "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w - - 0 1",
                          "6k1/1R3p2/8/P7/8/P6r/5p2/1K6 w - - 0 1",  // rooks behind passers and on the seventh
                          "3q2k1/2P3p1/8/8/2p5/8/1Q4PP/R5K1 b - - 0 1",
                          "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", "8/8/1p6/8/8/8/6k1/4K3 b - - 0 1"})
    EXPECT_EQ(evaluationOf(fen), evaluationOf(mirrored(fen))) << fen;
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
