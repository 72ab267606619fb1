// The positional score is the same for a position and its mirror image with
// the colours exchanged. (Its figures are pinned by the bench signature.)
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

TEST_F(Evaluate, MirroredPositionScoresTheSame) {
  const char* positions[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w",
      "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w",
      "6k1/1R3pp1/p6p/2p5/3b4/P5P1/5PKP/8 b",
      "4k3/R4ppp/8/8/8/8/8/4K3 b",
      "8/2k5/3p4/1p1P4/1P3K2/8/8/8 w",
      "4k3/8/8/8/8/6P1/7P/4K3 w",
      "4k3/8/8/8/P7/1P6/P7/4K3 w",
      "4k3/8/2p5/1P6/8/8/8/R3K3 b",
      "qqbb3k/8/8/8/4K3/1P6/1PP5/N7 w",
      "4k3/8/8/8/8/1n6/8/Q3K3 w",
      "4k3/8/8/q7/8/8/1b6/R3K3 w",
      "4k2P/8/8/8/8/8/8/p3K3 w",
  };
  for (const char* fen : positions) {
    std::string other = mirrored(fen);
    EXPECT_EQ(scoreOf(fen), scoreOf(other)) << fen << " against " << other;
  }
}

}  // namespace
