// The engine playing through the real binary: info and bestmove lines, mates,
// stop, ponder, commands during a search, and games against itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "legal_moves.h"
#include "support/engine_process.h"

namespace {

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

int countPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
  return int(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return startsWith(l, prefix); }));
}

// The value after "key " in an info line, or -1.
long long field(const std::string& line, const std::string& key) {
  const size_t at = line.find(" " + key + " ");
  return at == std::string::npos ? -1 : std::stoll(line.substr(at + key.size() + 2));
}

std::string lastInfoBefore(const std::vector<std::string>& lines) {
  for (auto it = lines.rbegin(); it != lines.rend(); ++it)
    if (startsWith(*it, "info depth")) return *it;
  return "";
}

// Runs "go" with the given parameters and returns every line up to the bestmove line.
std::vector<std::string> goAndWait(EngineProcess& engine, const std::string& position, const std::string& go,
                                   int timeoutMs = 30000) {
  engine.sendLine("position " + position);
  engine.sendLine("go " + go);
  std::vector<std::string> seen;
  EXPECT_TRUE(engine.waitFor("bestmove", timeoutMs, &seen)) << position;
  return seen;
}

}  // namespace

TEST(Play, FirstLinesAndIterationNodeCountsFromTheStartPosition) {
  EngineProcess engine;
  engine.sendLine("position startpos");
  engine.sendLine("go infinite");
  std::vector<std::string> seen;
  ASSERT_TRUE(engine.waitFor("info depth 9 ", 60000, &seen));
  engine.sendLine("stop");
  std::vector<std::string> rest;
  ASSERT_TRUE(engine.waitFor("bestmove", 5000, &rest));

  ASSERT_GE(seen.size(), 4u);
  EXPECT_TRUE(startsWith(seen[0], "info depth 1 seldepth 1 score cp 0 time ")) << seen[0];
  EXPECT_EQ(field(seen[0], "nodes"), 0);
  EXPECT_EQ(seen[0].find(" pv"), std::string::npos);
  EXPECT_EQ(seen[1], "info currmove b1c3 currmovenumber 1");
  EXPECT_TRUE(startsWith(seen[2], "info depth 1 seldepth 1 score cp -3 time ")) << seen[2];
  EXPECT_EQ(field(seen[2], "nodes"), 1);
  EXPECT_TRUE(seen[2].size() > 8 && seen[2].substr(seen[2].size() - 8) == " pv b1c3") << seen[2];
  EXPECT_EQ(seen[3], "info currmove b1a3 currmovenumber 2");

  const long long expected[] = {0, 20, 82, 1025, 2833, 14925, 60742, 230125, 678453};
  for (int d = 1; d <= 9; ++d) {
    const std::string prefix = "info depth " + std::to_string(d) + " ";
    auto opening = std::find_if(seen.begin(), seen.end(), [&](const std::string& l) { return startsWith(l, prefix); });
    ASSERT_NE(opening, seen.end()) << d;
    EXPECT_EQ(field(*opening, "nodes"), expected[d - 1]) << *opening;
  }
  EXPECT_EQ(countPrefix(rest, "bestmove"), 1);
}

TEST(Play, MatesAreFoundAndReported) {
  EngineProcess engine;
  struct Case {
    const char* position;
    const char* score;
    const char* move;
  } cases[] = {
      {"fen 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "score mate 1 ", "bestmove d1d8"},
      {"fen r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 1", "score mate 2 ", "bestmove d5f6"},
      {"fen r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1", "score mate 3 ", "bestmove f6a6"},
  };
  for (const Case& c : cases) {
    const auto lines = goAndWait(engine, c.position, "wtime 60000 btime 60000");
    const std::string info = lastInfoBefore(lines);
    EXPECT_NE(info.find(c.score), std::string::npos) << info;
    EXPECT_TRUE(startsWith(lines.back(), c.move)) << lines.back();
  }
  // A side that is mated, and one that is stalemated, have no move to name.
  for (const char* position : {"fen 3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", "fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"}) {
    const auto lines = goAndWait(engine, position, "wtime 60000 btime 60000");
    EXPECT_EQ(lines.back(), "bestmove 0000") << position;
  }
}

TEST(Play, ASingleLegalMoveEndsTheTimedSearchByTheThirdIteration) {
  EngineProcess engine;
  const auto lines = goAndWait(engine, "fen R6k/6p1/8/8/8/8/8/6K1 b - - 0 1", "wtime 600000 btime 600000");
  const std::string info = lastInfoBefore(lines);
  EXPECT_LE(field(info, "depth"), 3) << info;
  EXPECT_TRUE(startsWith(lines.back(), "bestmove h8h7")) << lines.back();
}

TEST(Play, StopDuringAnInfiniteSearchGivesOneBestmove) {
  EngineProcess engine;
  ASSERT_TRUE(engine.startSearch("startpos", "infinite", 4));
  engine.sendLine("stop");
  std::vector<std::string> seen;
  ASSERT_TRUE(engine.waitFor("bestmove", 2000, &seen));
  const auto after = engine.readFor(300);
  EXPECT_EQ(countPrefix(after, "bestmove"), 0);
  EXPECT_EQ(seen.back().find(" ponder "), std::string::npos) << seen.back();
  const auto legal = legalMoveTexts("startpos");
  EXPECT_NE(std::find(legal.begin(), legal.end(), seen.back().substr(9)), legal.end()) << seen.back();
}

TEST(Play, IsreadyDuringASearchIsAnsweredAndTheSearchGoesOn) {
  EngineProcess engine;
  ASSERT_TRUE(engine.startSearch("startpos", "infinite", 3));
  engine.sendLine("isready");
  std::vector<std::string> seen;
  ASSERT_TRUE(engine.waitFor("readyok", 2000, &seen));
  EXPECT_EQ(countPrefix(seen, "bestmove"), 0);
  // The search is still running: it reports deeper iterations.
  ASSERT_TRUE(engine.waitFor("info depth 6 ", 30000, &seen));
  EXPECT_EQ(countPrefix(seen, "bestmove"), 0);
  engine.sendLine("stop");
  ASSERT_TRUE(engine.waitFor("bestmove", 2000));
}

TEST(Play, PonderhitAndStopEndAPonderingSearch) {
  EngineProcess engine;
  ASSERT_TRUE(engine.startSearch("startpos moves e2e4", "ponder wtime 2000 btime 2000", 5));
  engine.sendLine("ponderhit");
  std::vector<std::string> seen;
  ASSERT_TRUE(engine.waitFor("bestmove", 5000, &seen));
  EXPECT_NE(seen.back().find(" ponder "), std::string::npos) << seen.back();
  EXPECT_EQ(countPrefix(engine.readFor(300), "bestmove"), 0);

  engine.sendLine("go ponder wtime 2000 btime 2000");
  ASSERT_TRUE(engine.waitFor("info depth 5 ", 20000));
  engine.sendLine("stop");
  seen.clear();
  ASSERT_TRUE(engine.waitFor("bestmove", 2000, &seen));
  EXPECT_EQ(seen.back().find(" ponder "), std::string::npos) << seen.back();
  EXPECT_EQ(countPrefix(engine.readFor(300), "bestmove"), 0);
}

TEST(Play, APositionDuringASearchStopsItAndIsExecutedAfterItsBestmove) {
  EngineProcess engine;
  ASSERT_TRUE(engine.startSearch("startpos", "wtime 600000 btime 600000", 3));
  engine.sendLine("position startpos moves e2e4");
  ASSERT_TRUE(engine.waitFor("bestmove", 2000));
  engine.sendLine("go wtime 1000 btime 1000");
  const auto reply = engine.waitFor("bestmove", 5000);
  ASSERT_TRUE(reply);
  const auto legal = legalMoveTexts("startpos moves e2e4");
  EXPECT_NE(std::find(legal.begin(), legal.end(), reply->substr(9, reply->find(' ', 9) - 9)), legal.end()) << *reply;
}

TEST(Play, QuitDuringATimedSearchPrintsItsBestmoveAndExits) {
  EngineProcess engine;
  ASSERT_TRUE(engine.startSearch("startpos", "wtime 600000 btime 600000", 3));
  engine.sendLine("quit");
  ASSERT_TRUE(engine.waitFor("bestmove", 2000));
  EXPECT_EQ(engine.waitExit(2000), 0);
}

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
      EXPECT_EQ(countPrefix(seen, "bestmove"), 1);
      const std::string best = reply->substr(9, reply->find(' ', 9) - 9);
      ASSERT_NE(std::find(legal.begin(), legal.end(), best), legal.end())
          << "game " << game << " illegal " << best << " after" << moves;
      moves += " " + best;
    }
  }
  engine.sendLine("quit");
  EXPECT_EQ(engine.waitExit(2000), 0);
}
