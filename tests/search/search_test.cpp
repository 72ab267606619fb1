// The search in-process: mate distances against a brute-force solver, the
// easy-move rule, the silent fixed-depth search, the time budget, the clock
// check of countNode and the iteration-stop rules on the real clock.
#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

#include "board/board.h"
#include "host/host.h"
#include "platform/platform.h"
#include "search/search.h"
#include "search/search_internal.h"
#include "search/search_tree.h"
#include "search/tuning.h"
#include "legal_moves.h"

namespace {

void freshTables(int megabytes) {
  releaseTables();
  prepareTables(megabytes);
}

void flip() {
  switchSide();
}

bool sideToMoveInCheck() { return isAttacked(position.xside, position.pieceList[position.side][0].square) != 0; }

// Plays m, runs body with the opponent to move, and takes m back.
template <typename Body>
bool withMove(const Move& m, Body body) {
  *position.currentMove = m;
  makeMove(*position.currentMove);
  flip();
  ++position.currentMove;
  const bool result = body();
  --position.currentMove;
  flip();
  unmakeMove(*position.currentMove);
  return result;
}

// True when the side to move forces mate within n of its moves.
bool matesWithin(int n) {
  for (const Move& m : legalMoves()) {
    const bool mates = withMove(m, [n] {
      const std::vector<Move> replies = legalMoves();
      if (replies.empty()) return sideToMoveInCheck();
      if (n == 1) return false;
      for (const Move& r : replies)
        if (!withMove(r, [n] { return matesWithin(n - 1); })) return false;
      return true;
    });
    if (mates) return true;
  }
  return false;
}

int bruteForceMateDistance(const char* positionText, int limit) {
  setupPosition(positionText);
  position.currentMove = &position.moveStack[ROOT_RECORD];
  for (int n = 1; n <= limit; ++n)
    if (matesWithin(n)) return n;
  return 0;
}

}  // namespace

TEST(Search, MateScoresMatchABruteForceSolver) {
  struct Case {
    const char* text;
    int moves;
  } cases[] = {
      {"fen 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", 1},
      {"fen r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 1", 2},
      {"fen 1k6/8/1K6/8/8/8/8/7R w - - 0 1", 1},
      {"fen r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1", 3},
  };
  for (const Case& c : cases) {
    freshTables(1);
    const int solved = bruteForceMateDistance(c.text, 3);
    setupPosition(c.text);
    searchToDepth(8);
    const int score = bestRoot->score;
    if (solved == 0) {
      EXPECT_LT(score, MATE_THRESHOLD) << c.text;
    } else {
      EXPECT_EQ(solved, c.moves) << c.text;
      EXPECT_EQ(score, MATE_SCORE - (2 * solved - 1)) << c.text;
      // The mating move leaves the opponent mated or facing a forced mate.
      EXPECT_NE(bestRoot->pv[0].code, MOVE_SENTINEL);
    }
  }
}

// A node whose side has no legal move: a stalemate is a draw, a mate counts
// the plies from the root. A node at ply 62, the deepest, tries no move, so it
// scores like a stalemate even with a queen to take.
TEST(Search, NodeWithoutMovesIsStalemateOrMate) {
  const struct {
    const char* text;
    int nodePly;
    int score;
  } cases[] = {
      {"fen k7/P7/1K6/8/8/8/8/8 b - - 0 1", 1, 0},
      {"fen k7/1Q6/1K6/8/8/8/8/8 b - - 0 1", 1, 1 - MATE_SCORE},
      {"fen 4k3/8/8/8/8/q7/8/R5K1 w - - 0 1", 62, 0},
  };
  for (const auto& [text, nodePly, score] : cases) {
    freshTables(1);
    setupPosition(text);
    searchToDepth(1);  // the root of the search: no move to name, and the search's visitor
    switchSide();      // the node is entered with the side that has just moved
    ply = nodePly;
    position.currentMove = &position.moveStack[ROOT_RECORD + ply];
    nodes[ply].outOfCheck = false;
    Move line[LINE_LENGTH] = {};
    line[ply] = sentinelMove;
    EXPECT_EQ(search(-SCORE_INFINITE, SCORE_INFINITE, 1, 0, line), score) << text;
    ply = 0;
  }
}

// Taking a queen leads enough for an easy move; a pawn, a second way to take
// the queen, or a lead of exactly the margin, not.
TEST(Search, EasyMoveNeedsALeadOverTheSecondMove) {
  const struct {
    const char* text;
    size_t moves;
    int easy;
  } cases[] = {
      {"fen k7/8/8/2b5/8/6qp/6PP/7K w - - 0 1", 2, 1},
      {"fen 7k/8/8/8/8/8/r7/7K w - - 0 1", 1, 0},  // a single move leads no second one
      {"fen k7/8/8/2b5/8/6pp/6PP/7K w - - 0 1", 2, 0},
      {"fen k7/8/8/2b5/8/6q1/6PP/5N1K w - - 0 1", 6, 0},  // two ways to take the queen
      {"fen rnb2k2/p2q1p1p/3ppbrn/1pp1R3/1P1P2BP/2P5/P2B1P2/R2QK1N1 b Q - 4 22", 35, 0},  // a lead of just the margin
  };
  for (const auto& [text, moves, easy] : cases) {
    freshTables(1);
    ASSERT_EQ(legalMoveTexts(text).size(), moves) << text;
    setupPosition(text);
    searchToDepth(3);
    EXPECT_EQ(easyMove, easy) << text;
  }
}

// The tools' fixed-depth search prints nothing.
TEST(Search, FixedDepthSearchIsSilent) {
  static std::vector<std::string> lines;
  setEngineOutput({[](const char* line) { lines.emplace_back(line); }, [] {}});
  freshTables(1);
  setupPosition("startpos");
  EXPECT_GT(searchToDepth(4), 0u);
  EXPECT_TRUE(lines.empty()) << lines.front();
  reportBestMove(1);  // the search's own report does reach the output
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("bestmove ", 0), 0u) << lines[0];
}

TEST(TimeBudget, SideToMoveClockIncrementAndMovesToGo) {
  const struct {
    const char* text;
    char side;
    int budget, untimed, clockRules;
  } cases[] = {
      {"wtime 300000 btime 300000", 'w', 9900, 0, 1},
      {"btime 60000 movestogo 1", 'b', 57000, 0, 1},
      {"btime 60000 depth 5", 'b', 57000 / 30, 0, 1},  // a clock with another limit: the clock rules too
      {"wtime 60000 nodes 5000", 'w', 57000 / 30, 0, 1},
      {"wtime 60000 depth 5", 'b', 1, 0, 0},
      {"movetime 1", 'w', 1, 0, 0},
      {"depth 1", 'w', 1, 0, 0},
      // Only the side to move's numbers count.
      {"wtime 300000 btime 60000 winc 5000", 'b', 57000 / 30, 0, 1},
      {"wtime 300000 btime 60000 winc 5000 binc 1", 'b', 1 + 56999 / 20, 0, 1},  // any increment plans 20 moves
      // Too little or no time: one millisecond.
      {"wtime 2500", 'w', 1, 0, 1},
      // Infinite and ponder are untimed; keys are matched with their letter case.
      {"infinite", 'w', 1, 1, 0},
      {"ponder wtime 300000 btime 300000", 'w', 9900, 1, 1},
      {"Infinite", 'w', 1, 0, 1},
      // Numbers beyond int saturate; the arithmetic does not overflow.
      {"wtime 99999999999999 movestogo 1", 'w', INT_MAX - 3000, 0, 1},
      {"wtime 2147483647 winc 2147483647", 'w', 1, 0, 1},
      {"wtime -99999999999 winc -99999999999 movestogo -5", 'w', 1, 0, 1},
  };
  for (const auto& c : cases) {
    const GoLimits go = parseGoLimits(c.text);
    untimedSearch = 1 - c.untimed;
    const int side = c.side == 'w' ? WHITE : BLACK;
    EXPECT_EQ(timeBudget(go, side), c.budget) << c.text;
    setSearchLimits(go, side);
    EXPECT_EQ(untimedSearch.load(), c.untimed) << c.text;
    EXPECT_EQ(searchLimits.clockRules, c.clockRules != 0) << c.text;
  }
  // A move time is cut by a margin, down to one millisecond.
  const std::pair<const char*, int64_t> moveTimes[] = {{"movetime 1", 1}, {"movetime 1000", 1000 - MOVE_TIME_MARGIN_MS}};
  for (const auto& [text, deadline] : moveTimes) {
    setSearchLimits(parseGoLimits(text), WHITE);
    EXPECT_EQ(searchLimits.deadlineMs, deadline) << text;
  }
  untimedSearch = 0;
}

static void started(int elapsedMs, int budgetMs) {
  setSearchLimits(parseGoLimits(""), WHITE);
  searchLimits.searchStart = tickCount() - uint32_t(elapsedMs);
  searchLimits.timeBudgetMs = budgetMs;
  searchLimits.deadlineMs = budgetMs;
  searchLimits.nodeCount = 0;
  abortSearch = 0;
}

TEST(CountNode, ChecksTheClockEvery4096CountsUnlessUntimed) {
  started(100000, INT_MAX);  // budget not spent: goes on
  for (int i = 0; i < 3 * 4096; i++) ASSERT_EQ(countNode(), 0);
  started(100000, 1);
  untimedSearch = 1;
  for (int i = 0; i < 2 * 4096; i++) ASSERT_EQ(countNode(), 0);
  untimedSearch = 0;  // after ponderhit the clock counts from the start of the go
  for (int i = 1; i < 4096; i++) ASSERT_EQ(countNode(), 0) << i;
  EXPECT_EQ(countNode(), 1);
  EXPECT_EQ(countNode(), 1);  // once stopped, nothing more is counted
  EXPECT_EQ(searchLimits.nodeCount, 3 * 4096u);
  started(100000, INT_MAX);
  abortSearch = 1;  // an abort from outside stops at once
  EXPECT_NE(countNode(), 0);
  EXPECT_EQ(searchLimits.nodeCount, 0u);
  abortSearch = 0;
}

// After an iteration a mate ends the search, an untimed one goes on, two thirds
// of the budget end it, and from depth 3 so do a single playable move and an
// easy move after a tenth. With 300 s each limit has over a second of margin.
TEST(StopAfterIteration, MatesTwoThirdsOfTheBudgetSingleAndEasyMoves) {
  const struct {
    int best, second, depth, easy, untimed, elapsed, stop;
  } cases[] = {
      {MATE_SCORE - 5, 0, 1, 0, 1, 0, 1},
      {-MATE_SCORE + 6, 0, 1, 0, 0, 0, 1},
      {0, 0, 9, 1, 1, 1000000, 0},
      {0, 0, 1, 0, 0, 210000, 1},
      {0, -MATE_SCORE + 8, 2, 0, 0, 190000, 0},
      {0, -MATE_SCORE + 8, 3, 0, 0, 0, 1},
      {0, -50, 3, 0, 0, 190000, 0},
      {0, -50, 3, 1, 0, 31500, 1},
      {0, -50, 3, 1, 0, 28600, 0},
  };
  rootCount = 2;
  for (const auto& c : cases) {
    rootMoves[0].score = c.best;
    rootMoves[1].score = c.second;
    iterationDepth = c.depth;
    easyMove = c.easy;
    started(c.elapsed, 300000);
    untimedSearch = c.untimed;
    EXPECT_EQ(stopAfterIteration(), c.stop) << c.best << " " << c.second << " depth " << c.depth << " easy "
                                            << c.easy << " after " << c.elapsed << " ms";
  }
  untimedSearch = 0;
}
