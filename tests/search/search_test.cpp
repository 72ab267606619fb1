// The search in-process: mate distances against a brute-force solver, the
// easy-move rule and the silence of the fixed-depth search.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "board/board.h"
#include "host/host.h"
#include "search/search.h"
#include "search/search_internal.h"
#include "search/search_tree.h"
#include "legal_moves.h"

namespace {

void freshTables(int megabytes) {
  hashSizeMb = megabytes;
  releaseTables();
  prepareTables();
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
