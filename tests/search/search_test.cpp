// The search in-process: mate distances against a brute-force solver, the
// easy-move rule, the silence of the fixed-depth search, the time budget of a
// go text, the clock check of countNode and the rules that end the iterations
// on the real clock.
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
#include "legal_moves.h"

namespace {

void freshTables(int megabytes) {
  releaseTables();
  prepareTables(megabytes);
}

// ---------------------------------------------------------------- brute force

void flip() {
  position.side = position.xside;
  position.xside ^= 1;
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

// Two legal moves, one taking a queen and one a pawn: a lead wide enough for
// the easy-move rule; two captures of equal worth are not.
TEST(Search, EasyMoveNeedsALeadOverTheSecondMove) {
  const std::pair<const char*, int> cases[] = {
      {"fen k7/8/8/2b5/8/6qp/6PP/7K w - - 0 1", 1},
      {"fen k7/8/8/2b5/8/6pp/6PP/7K w - - 0 1", 0},
  };
  for (const auto& [text, easy] : cases) {
    freshTables(1);
    ASSERT_EQ(legalMoveTexts(text).size(), 2u) << text;
    setupPosition(text);
    searchToDepth(3);
    EXPECT_EQ(easyMove, easy) << text;
  }
}

// The tools' fixed-depth search prints nothing.
TEST(Search, FixedDepthSearchIsSilent) {
  freshTables(1);
  setupPosition("startpos");
  ::testing::internal::CaptureStdout();
  EXPECT_GT(searchToDepth(4), 0u);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST(TimeBudget, SideToMoveClockIncrementAndMovesToGo) {
  const struct {
    const char* text;
    char side;
    int budget, untimed;
  } cases[] = {
      {"wtime 300000 btime 300000", 'w', 9900, 0},
      {"wtime 300000 winc 2000", 'w', 16750, 0},
      {"btime 60000 movestogo 1", 'b', 57000, 0},
      // Only the side to move's numbers count.
      {"wtime 300000 btime 60000 winc 5000", 'b', 57000 / 30, 0},
      // Too little or no time: one millisecond.
      {"wtime 2500", 'w', 1, 0},
      {"depth 8", 'w', 1, 0},
      // Infinite and ponder are untimed; keys are matched with their letter case.
      {"infinite", 'w', 1, 1},
      {"ponder wtime 300000 btime 300000", 'w', 9900, 1},
      {"Infinite", 'w', 1, 0},
      // Numbers beyond int saturate; the arithmetic does not overflow.
      {"wtime 99999999999999 movestogo 1", 'w', INT_MAX - 3000, 0},
      {"wtime 2147483647 winc 2147483647", 'w', 1, 0},
      {"wtime -99999999999 winc -99999999999 movestogo -5", 'w', 1, 0},
  };
  for (const auto& c : cases) {
    const GoLimits go = parseGoLimits(c.text);
    const int side = c.side == 'w' ? WHITE : BLACK;
    EXPECT_EQ(timeBudget(go, side), c.budget) << c.text;
    setSearchLimits(go, side);
    EXPECT_EQ(untimedSearch.load(), c.untimed) << c.text;
  }
  untimedSearch = 0;
}

// A search that started elapsedMs ago with the given budget.
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
  for (int i = 0; i < 3 * 4096; i++) ASSERT_EQ(countNode(), 0);
  untimedSearch = 0;  // after ponderhit the clock counts from the start of the go
  for (int i = 1; i < 4096; i++) ASSERT_EQ(countNode(), 0) << i;
  EXPECT_EQ(countNode(), 1);
  EXPECT_EQ(countNode(), 1);  // once stopped, nothing more is counted
  EXPECT_EQ(searchLimits.nodeCount, 4 * 4096u);
  started(100000, INT_MAX);
  abortSearch = 1;  // an abort from outside stops at once
  EXPECT_NE(countNode(), 0);
  EXPECT_EQ(searchLimits.nodeCount, 0u);
  abortSearch = 0;
}

// After each iteration: a mate ends the search; an untimed search goes on;
// two thirds of the budget spent end it; from the third iteration on so does a
// single move that does not lose by force, and an easy move after a tenth of
// the budget. The margins around each limit are a second wide.
TEST(StopAfterIteration, MatesTwoThirdsOfTheBudgetSingleAndEasyMoves) {
  const struct {
    int best, second, depth, easy, untimed, elapsed, stop;
  } cases[] = {
      {MATE_SCORE - 5, 0, 1, 0, 1, 0, 1},
      {-MATE_SCORE + 6, 0, 1, 0, 0, 0, 1},
      {0, 0, 9, 1, 1, 100000, 0},
      {0, 0, 1, 0, 0, 21000, 1},
      {0, -MATE_SCORE + 8, 2, 0, 0, 19000, 0},
      {0, -MATE_SCORE + 8, 3, 0, 0, 0, 1},
      {0, -50, 3, 0, 0, 19000, 0},
      {0, -50, 3, 1, 0, 4000, 1},
      {0, -50, 3, 1, 0, 2000, 0},
  };
  rootCount = 2;
  for (const auto& c : cases) {
    rootMoves[0].score = c.best;
    rootMoves[1].score = c.second;
    iterationDepth = c.depth;
    easyMove = c.easy;
    started(c.elapsed, 30000);
    untimedSearch = c.untimed;
    EXPECT_EQ(stopAfterIteration(), c.stop) << c.best << " " << c.second << " depth " << c.depth << " easy "
                                            << c.easy << " after " << c.elapsed << " ms";
  }
  untimedSearch = 0;
}
