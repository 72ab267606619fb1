// Games of the engine against itself through the real binary. (The other
// conversations are transcripts: tests/transcripts.)
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "legal_moves.h"
#include "support/engine_process.h"

// Short games of the engine against itself with real clocks: every reply is
// legal, every go gets one bestmove, and no side runs out of time.
TEST(Play, SelfPlayGamesWithClocks) {
  EngineProcess engine;
  const auto firstMoves = legalMoveTexts("startpos");
  for (int game = 0; game < 10; ++game) {
    // Each game opens with another white first move, so the games differ.
    std::string moves = " " + firstMoves[size_t(game)];
    long long clock[2] = {2000, 2000};
    const long long increment = 20;
    for (int plyNumber = 1; plyNumber < 80; ++plyNumber) {
      const std::string positionText = "startpos" + (moves.empty() ? std::string() : " moves" + moves);
      const auto legal = legalMoveTexts(positionText);
      if (legal.empty()) break;
      const int mover = plyNumber % 2;
      engine.sendLine("position " + positionText);
      const auto start = std::chrono::steady_clock::now();
      engine.sendLine("go wtime " + std::to_string(clock[0]) + " btime " + std::to_string(clock[1]) + " winc " +
                      std::to_string(increment) + " binc " + std::to_string(increment));
      std::vector<std::string> seen;
      const auto reply = engine.waitFor("bestmove", 10000, &seen);
      ASSERT_TRUE(reply) << "game " << game << " ply " << plyNumber;
      const long long used =
          std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
      clock[mover] += increment - used;
      ASSERT_GT(clock[mover], 0) << "game " << game << " ply " << plyNumber << " lost on time";
      EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [](auto& l) { return l.rfind("bestmove", 0) == 0; }), 1);
      const std::string best = reply->substr(9, reply->find(' ', 9) - 9);
      ASSERT_NE(std::find(legal.begin(), legal.end(), best), legal.end())
          << "game " << game << " illegal " << best << " after" << moves;
      moves += " " + best;
    }
  }
  engine.sendLine("quit");
  EXPECT_EQ(engine.waitExit(2000), 0);
}
