// The positional evaluation through the position command.
#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
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

// The kings' activity counts only up to a share of the material: with three
// rooks and sixteen pawns on the board, just above it, a king scores alike on
// h1 and on h2; with one pawn fewer, h2 gives it more room.
TEST(Evaluation, TheKingsActivityCountsOnlyInTheEnding) {
  const auto fromH1ToH2 = [](const std::string& thirdRank) {
    const std::string upper = "k7/pppppppp/8/3R4/2R1R3/" + thirdRank;
    return evaluationOf(upper + "/PPPPPPPK/8 w - - 0 1") - evaluationOf(upper + "/PPPPPPP1/7K w - - 0 1");
  };
  EXPECT_EQ(fromH1ToH2("P7"), 0);
  EXPECT_GT(fromH1ToH2("8"), 0);
}

// Between them these count squares for kings in the ending, knights, pawns,
// and rooks and queens on the seventh rank, and measure the pieces'
// distances to a king in a corner.
constexpr const char* SAMPLES[] = {
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
    "6k1/1R3ppp/8/3N4/8/8/2q2PPP/6K1 b - - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "4k3/8/3n4/8/2N1K3/8/8/8 w - - 0 1",
    "7r/8/8/8/8/8/6k1/K7 w - - 0 1",
    "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq c6 0 2",
    "2q1rr1k/3bbnnp/p2p1pp1/2pPp3/PpP1P1P1/1P2BNNP/2BQ1PRK/7R b - - 0 1",
    "4k2P/8/8/8/8/8/8/4K3 w - - 0 1",  // a pawn on its last rank: the board takes it
};

// The copy for processors that count bits in one instruction and the portable
// copy score alike.
TEST(Evaluation, BothCopiesScoreAlike) {
  for (const char* fen : SAMPLES) {
    const int score = evaluationOf(fen);
    EXPECT_EQ(score, evaluatePortable()) << fen;
  }
}

// The colours exchanged: the board upside down, every man of the other
// colour, the other side to move (castling rights and en passant swap too).
std::string mirrored(const std::string& fen) {
  std::istringstream fields(fen);
  std::string placement, side, castling, passant, rest;
  fields >> placement >> side >> castling >> passant;
  std::getline(fields, rest);
  std::istringstream rows(placement);
  std::string text;  // the ranks in reverse order
  for (std::string rank; std::getline(rows, rank, '/');) text = text.empty() ? rank : rank + '/' + text;
  const auto swapCase = [](std::string letters) {
    for (char& c : letters) {
      const unsigned char u = static_cast<unsigned char>(c);
      c = char(std::isupper(u) ? std::tolower(u) : std::toupper(u));
    }
    return letters;
  };
  if (passant != "-") passant[1] = passant[1] == '3' ? '6' : '3';
  std::ostringstream out;
  out << swapCase(text) << (side == "w" ? " b " : " w ") << swapCase(castling) << ' ' << passant << rest;
  return out.str();
}

// Neither colour is favoured: a position and its mirror image score alike
// for the side to move, whatever stands where.
TEST(Evaluation, TheColoursScoreAlike) {
  for (const char* fen : SAMPLES)
    EXPECT_EQ(evaluationOf(fen), evaluationOf(mirrored(fen))) << fen << " against " << mirrored(fen);
}

}  // namespace
