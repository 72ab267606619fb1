// Endings of king and queen or rook against king, played through the real
// binary with the endgame file that the build places beside it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "legal_moves.h"
#include "support/engine_process.h"

namespace {

std::string lastInfo(const std::vector<std::string>& lines) {
  for (auto it = lines.rbegin(); it != lines.rend(); ++it)
    if (it->rfind("info depth", 0) == 0) return *it;
  return "";
}

// Plays the position out with the engine on both sides. The attacker's mate
// distance must count down by one with every move it makes, from
// firstDistance to a mate on the board.
void playOutMate(const std::string& fen, int firstDistance) {
  EngineProcess engine;
  std::string moves;
  int distance = firstDistance;
  for (int plyNumber = 0; plyNumber < 2 * firstDistance + 2; ++plyNumber) {
    std::string positionText = "fen " + fen;
    if (!moves.empty()) positionText += " moves" + moves;
    const auto legal = legalMoveTexts(positionText);
    if (legal.empty()) break;
    engine.sendLine("position " + positionText);
    engine.sendLine("go wtime 10000 btime 10000");
    std::vector<std::string> seen;
    const auto reply = engine.waitFor("bestmove", 20000, &seen);
    ASSERT_TRUE(reply) << positionText;
    const std::string info = lastInfo(seen);
    if (plyNumber % 2 == 0) {
      ASSERT_NE(info.find(std::string(" score mate ") + std::to_string(distance) + " "), std::string::npos)
          << positionText << "\n" << info;
      --distance;
    } else {
      ASSERT_NE(info.find(" score mate -"), std::string::npos) << positionText << "\n" << info;
    }
    moves += ' ';
    moves += reply->substr(9, reply->find(' ', 9) - 9);
  }
  EXPECT_EQ(distance, 0) << "the attacker mated after " << (firstDistance - distance) << " moves";
  const auto finalMoves = legalMoveTexts("fen " + fen + " moves" + moves);
  EXPECT_TRUE(finalMoves.empty()) << "no mate on the board after" << moves;
}

}  // namespace

TEST(EndgamePlay, QueenEndingCountsDownToMate) { playOutMate("8/8/8/3k4/8/8/8/KQ6 w - - 0 1", 9); }

TEST(EndgamePlay, QueenEndingWithBlackAttacking) { playOutMate("kq6/8/8/8/3K4/8/8/8 b - - 0 1", 9); }

TEST(EndgamePlay, RookEndingPlayedOutNeverExceedsTheTableDistance) {
  playOutMate("8/8/8/8/4k3/8/8/R2K4 w - - 0 1", 13);
}

TEST(EndgamePlay, RookEndingWithBlackAttacking) { playOutMate("r2k4/8/8/4K3/8/8/8/8 b - - 0 1", 13); }
