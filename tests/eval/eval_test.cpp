// The positional score is the same for a position and its mirror image with
// the colours exchanged. (Its figures are pinned by the bench signature.)
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <sstream>
#include <string>

#include "board/board.h"
#include "eval/eval.h"

TEST(Evaluate, MirroredPositionScoresTheSame) {
  auto scoreOf = [](const std::string& placementAndSide) {
    setupPosition(("fen " + placementAndSide + " - - 0 1").c_str());
    return evaluate();
  };
  for (const char* fen : {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w",
                          "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w",
                          "6k1/1R3pp1/p6p/2p5/3b4/P5P1/5PKP/8 b", "4k3/R4ppp/8/8/8/8/8/4K3 b",
                          "8/2k5/3p4/1p1P4/1P3K2/8/8/8 w", "4k3/8/8/8/8/6P1/7P/4K3 w", "4k3/8/8/8/P7/1P6/P7/4K3 w",
                          "4k3/8/2p5/1P6/8/8/8/R3K3 b", "qqbb3k/8/8/8/4K3/1P6/1PP5/N7 w", "4k3/8/8/8/8/1n6/8/Q3K3 w",
                          "4k3/8/8/q7/8/8/1b6/R3K3 w", "4k2P/8/8/8/8/8/8/p3K3 w"}) {
    // Ranks in reverse order, colours exchanged, the other side to move.
    std::string placement(fen, std::strchr(fen, ' ')), mirrored;
    std::stringstream ranks(placement);
    for (std::string rank; std::getline(ranks, rank, '/');) {
      for (char& c : rank) c = std::isupper(c) ? char(std::tolower(c)) : char(std::toupper(c));
      mirrored = mirrored.empty() ? rank : rank + "/" + mirrored;
    }
    mirrored += std::strchr(fen, ' ')[1] == 'w' ? " b" : " w";
    EXPECT_EQ(scoreOf(fen), scoreOf(mirrored)) << fen << " against " << mirrored;
  }
}
