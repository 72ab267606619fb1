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

// The placement turned upside down with the colours and the side to move
// swapped: the same position seen from the other side.
std::string mirrored(const std::string& fen) {
  const std::string placement = fen.substr(0, fen.find(' '));
  std::string flipped;
  for (size_t end = placement.size(); end != std::string::npos;) {
    const size_t slash = placement.rfind('/', end - 1);
    const size_t begin = slash == std::string::npos ? 0 : slash + 1;
    if (!flipped.empty()) flipped += '/';
    flipped += placement.substr(begin, end - begin);
    end = slash;
  }
  for (char& c : flipped) c = std::isupper(static_cast<unsigned char>(c)) ? char(std::tolower(c)) : char(std::toupper(c));
  const bool whiteToMove = fen.find(" w") != std::string::npos;
  return flipped + (whiteToMove ? " b - - 0 1" : " w - - 0 1");
}

TEST(Evaluation, IsTheSameForAPositionAndItsMirrorImage) {
  const char* const positions[] = {
      "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b - - 0 1",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w - - 0 1",
      "2q1rr1k/3bbnnp/p2p1pp1/2pPp3/PpP1P1P1/1P2BNNP/2BQ1PRK/7R b - - 0 1",
      // Rooks behind passed pawns and on the seventh, queens and rooks far from
      // the kings, doubled and isolated pawns.
      "6k1/1R3p2/8/P7/8/P6r/5p2/1K6 w - - 0 1",
      "3q2k1/2P3p1/8/8/2p5/8/1Q4PP/R5K1 b - - 0 1",
      // Kings alone with pawns: the endgame terms of the king.
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
      "8/8/1p6/8/8/8/6k1/4K3 b - - 0 1",
  };
  for (const char* fen : positions) EXPECT_EQ(evaluationOf(fen), evaluationOf(mirrored(fen))) << fen;
}

// A pawn on its own first rank (a position may hold one) stands behind every
// enemy pawn, so it never stops one from being passed: the white pawn gains
// the same by its step from e4 to e5 whether that pawn stands beside its file
// or far from it.
TEST(Evaluation, APawnOnItsOwnFirstRankStopsNoEnemyPawn) {
  const auto stepGain = [](const std::string& eighthRank) {
    return evaluationOf(eighthRank + "/8/8/4P3/8/8/8/K6k w - - 0 1") -
           evaluationOf(eighthRank + "/8/8/8/4P3/8/8/K6k w - - 0 1");
  };
  EXPECT_EQ(stepGain("3p4"), stepGain("p7"));
}

}  // namespace
