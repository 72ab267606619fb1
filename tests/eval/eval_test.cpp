// The positional score, position by position. Every position comes in through
// the position command; the figures are worked out term by term in the comments
// where a single term is the point of the test.
#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>

#include "board/board.h"
#include "eval/eval.h"
#include "eval/eval_internal.h"
#include "search/search_internal.h"

namespace {

class Evaluate : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fillKeyBlock(8192);
    initAttackTables();
    initEvalTables();
  }

  // Score of a FEN placement with its side field ("w" or "b").
  static int scoreOf(const std::string& placementAndSide) {
    setupPosition(("fen " + placementAndSide + " - - 0 1").c_str());
    return evaluate();
  }
};

// The same position with the colours exchanged and the board turned over.
std::string mirrored(const std::string& placementAndSide) {
  std::string result;
  std::stringstream ranks(placementAndSide.substr(0, placementAndSide.find(' ')));
  for (std::string rank; std::getline(ranks, rank, '/');) {
    for (char& c : rank) c = std::isupper(c) ? char(std::tolower(c)) : char(std::toupper(c));
    result = result.empty() ? rank : rank + "/" + result;
  }
  return result + (placementAndSide.back() == 'w' ? " b" : " w");
}

TEST_F(Evaluate, StartPositionIsMinusTwentyForEitherSide) {
  setupPosition("startpos");
  EXPECT_EQ(evaluate(), -20);
  EXPECT_EQ(scoreOf("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b"), -20);
}

TEST_F(Evaluate, BareKingsScoreTheirNeighbourhoodAndCentreDistance) {
  // White e2: 8 empty neighbours 16, centre distance 2 * 100 / 20 = 10; black e5: 16 - 0.
  EXPECT_EQ(scoreOf("8/8/8/4k3/8/8/4K3/8 w"), 6 - 36);
  EXPECT_EQ(scoreOf("8/8/8/4k3/8/8/4K3/8 b"), 16 - 26);
  // Kings in corners: 3 neighbours 6, minus 3 * 100 / 20 = 15.
  EXPECT_EQ(scoreOf("7k/8/8/8/8/8/8/K7 w"), -9 - (-9 + 20));
}

TEST_F(Evaluate, KingTermsApplyOnlyBelowPhaseHundred) {
  // A knight and a bishop on a1, each boxed in by its own pawns on b2, c2 and
  // b3, score alike; only the material differs: 7688 (phase 99) with the
  // knight, 7704 (phase 100) with the bishop. At phase 99 the white king on e4
  // counts 8 empty neighbours (16) and the black king on h8 three (6), both
  // with a centre term of 0; at phase 100 the kings score nothing.
  int withKnight = scoreOf("qqbb3k/8/8/8/4K3/1P6/1PP5/N7 w");
  int withBishop = scoreOf("qqbb3k/8/8/8/4K3/1P6/1PP5/B7 w");
  EXPECT_EQ(withKnight - withBishop, 16 - 6);
  EXPECT_EQ(withKnight, -80);
  EXPECT_EQ(withBishop, -90);
}

TEST_F(Evaluate, DoubledAndIsolatedPawnsCountFiles) {
  // Kings e1/e8 at phase 6 or 9 score -4 each (white) and -4 + 20 (black).
  // a2 + a4: placement -12 and -10, free squares +2, isolated and doubled
  // -20 - 8 - 40, passed +8 and +20: -64 for white.
  EXPECT_EQ(scoreOf("4k3/8/8/8/P7/8/P7/4K3 w"), -64 - 16);
  // Three pawns on one file are still one doubled file (-68 once).
  EXPECT_EQ(scoreOf("4k3/8/8/8/P7/P7/P7/4K3 w"), -83);
  // A neighbour on the b-file lifts the isolation: only -8 for the doubled file.
  EXPECT_EQ(scoreOf("4k3/8/8/8/P7/1P6/P7/4K3 w"), -11);
}

TEST_F(Evaluate, PassedPawns) {
  // b7: placement (6 + 2) * 1 - 12 = -4, free square +1, passed +80, isolated -20.
  EXPECT_EQ(scoreOf("4k3/1P6/8/8/8/8/8/4K3 w"), (-4 + 1 - 4 + 80 - 20) - 16);
  // An enemy pawn in front on a neighbouring file stops it; one beside or
  // behind it does not.
  EXPECT_EQ(scoreOf("4k3/2p5/8/1P6/8/8/8/4K3 w"), -16);
  EXPECT_EQ(scoreOf("4k3/8/2p5/1P6/8/8/8/4K3 w"), -18);  // the nearest rank in front counts too
  EXPECT_EQ(scoreOf("4k3/8/8/1Pp5/8/8/8/4K3 w"), -2);
  EXPECT_EQ(scoreOf("4k3/8/8/1P6/2p5/8/8/4K3 w"), -26);
}

TEST_F(Evaluate, RookBehindPassedPawn) {
  EXPECT_EQ(scoreOf("4k3/8/8/8/8/P7/8/R3K3 w"), -36);  // own rook: +8
  EXPECT_EQ(scoreOf("4k3/8/8/8/8/P7/8/r3K3 w"), -69);  // enemy rook: -8
  EXPECT_EQ(scoreOf("4k3/8/8/8/8/P7/N7/R3K3 w"), -50); // a man between: nothing
  EXPECT_EQ(scoreOf("r3k3/8/p7/8/8/8/8/4K3 w"), -4);   // black, behind towards the eighth rank
}

TEST_F(Evaluate, SeventhRank) {
  // Ra7: reach 2 + 12 + 8 and the f7 pawn 8, distance to e8 -5, seventh rank
  // (3 + 7) * 1; king -1: white 34. Black: king -3, pawns -12, passers +24, tempo.
  EXPECT_EQ(scoreOf("4k3/R4ppp/8/8/8/8/8/4K3 w"), 34 - 29);
  EXPECT_EQ(scoreOf("4k3/RR3ppp/8/8/8/8/8/4K3 w"), 23);  // two rooks: 2 * 10
  EXPECT_EQ(scoreOf("4k3/R7/5ppp/8/8/8/8/4K3 w"), -18);  // no pawn on the seventh: nothing
  EXPECT_EQ(scoreOf("4k3/8/8/8/8/8/q4PPP/4K3 w"), -55);  // a black queen on white's second rank
}

TEST_F(Evaluate, PawnNeighboursAndGuards) {
  // g2 + h2 side by side: +6 once, counted by g2. h2 with g3 diagonally in
  // front of it on the a-file side: +3. Either way white has -1.
  EXPECT_EQ(scoreOf("4k3/8/8/8/8/8/6PP/4K3 w"), -17);
  EXPECT_EQ(scoreOf("4k3/8/8/8/8/6P1/7P/4K3 w"), -17);
  EXPECT_EQ(scoreOf("4k3/8/8/8/8/8/7P/4K3 w"), -43);
  EXPECT_EQ(scoreOf("4k3/pppppppp/8/8/8/8/8/4K3 w"), -80);
}

TEST_F(Evaluate, AttacksEndTheRay) {
  // Qa1: a2, a3, a4 (6) then the black pawn on a5 (4); b1, c1, d1 (6) up to its
  // own king; the own pawn on b2 ends the diagonal at once.
  EXPECT_EQ(scoreOf("4k3/8/8/p7/8/8/1P6/Q3K3 w"), -14);
  // A black knight on b3 reaches five empty squares and attacks a queen (12)
  // or a rook (10) on a1.
  EXPECT_EQ(scoreOf("4k3/8/8/8/8/1n6/8/Q3K3 w"), -14);
  EXPECT_EQ(scoreOf("4k3/8/8/8/8/1n6/8/R3K3 w"), -26);
  // A black bishop on b2 attacks a rook (9) or a queen (10) on a1, a rook on a1
  // a queen on a5 (12).
  EXPECT_EQ(scoreOf("4k3/8/8/8/8/8/1b6/R3K3 w"), -32);
  EXPECT_EQ(scoreOf("4k3/8/8/8/8/8/1b6/Q3K3 w"), -25);
  EXPECT_EQ(scoreOf("4k3/8/8/q7/8/8/8/R3K3 w"), -53);
}

TEST_F(Evaluate, KnightInTheCorner) {
  // Na1 reaches b3 and c2 (4) and stands 11 from the black king; kings -3.
  EXPECT_EQ(scoreOf("4k3/8/8/8/8/8/8/N3K3 w"), -10 - 17);
  // An enemy pawn on a2 does not stand on a knight square: same reach.
  EXPECT_EQ(scoreOf("4k3/8/8/8/8/8/p7/N3K3 w"), -75);
}

TEST_F(Evaluate, CapturedManIsIgnored) {
  // After e4xd5 the black pawn's slot stays in the list with no type.
  setupPosition("fen 4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1 moves e4d5");
  ASSERT_EQ(position.pieceList[BLACK][1].type, NONE);
  const int afterCapture = evaluate();
  EXPECT_EQ(afterCapture, scoreOf("4k3/8/8/3P4/8/8/8/4K3 b"));
}

TEST_F(Evaluate, PawnOnItsLastRankReadsEmptySquaresBeyondTheBoard) {
  EXPECT_EQ(scoreOf("4k2P/8/8/8/8/8/8/p3K3 w"), -20);
  EXPECT_EQ(scoreOf("4k2P/8/8/8/8/8/8/p3K3 b"), -20);
}

TEST_F(Evaluate, MirroredPositionScoresTheSame) {
  const char* positions[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w",
      "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w",
      "6k1/1R3pp1/p6p/2p5/3b4/P5P1/5PKP/8 b",
      "4k3/R4ppp/8/8/8/8/8/4K3 b",
      "8/2k5/3p4/1p1P4/1P3K2/8/8/8 w",
      "4k3/8/8/8/8/6P1/7P/4K3 w",
  };
  for (const char* fen : positions) {
    std::string other = mirrored(fen);
    EXPECT_EQ(scoreOf(fen), scoreOf(other)) << fen << " against " << other;
  }
}

}  // namespace
