// The search in-process: mate distances against a brute-force solver, and
// the order rules of the root list and the killer moves.
#include <gtest/gtest.h>

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

TEST(Search, RootSortIsStableAndDescending) {
  const int scores[] = {5, 9, 5, -3, 9, 0};
  rootCount = 6;
  for (int i = 0; i < 6; ++i) {
    rootMoves[i].score = scores[i];
    rootMoves[i].move.code = uint32_t(i);
  }
  sortRootMoves(0, 5);
  const int order[] = {1, 4, 0, 2, 5, 3};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(rootMoves[i].move.code, uint32_t(order[i])) << i;
}

TEST(Search, KillersAreAMostRecentlyUsedListOfQuietMoves) {
  ply = 3;
  for (Move& slot : killers[3]) slot = sentinelMove;
  auto quiet = [](int to) { return Move{packMove(to, 0x11, KNIGHT, 0, 0), 0, int16_t(to), 0x11, KNIGHT, 0}; };

  storeKiller(quiet(0x20));
  storeKiller(quiet(0x22));
  EXPECT_EQ(killers[3][0].to, 0x22);
  EXPECT_EQ(killers[3][1].to, 0x20);
  storeKiller(quiet(0x22));  // already first: nothing moves
  EXPECT_EQ(killers[3][1].to, 0x20);
  storeKiller(quiet(0x20));  // confirmed again: back to the front
  EXPECT_EQ(killers[3][0].to, 0x20);
  EXPECT_EQ(killers[3][1].to, 0x22);

  Move capture = quiet(0x30);
  capture.code |= uint32_t(PAWN) << 17;
  storeKiller(capture);
  EXPECT_EQ(killers[3][0].to, 0x20);

  for (int i = 0; i < KILLER_SLOTS; ++i) storeKiller(quiet(0x40 + i));
  EXPECT_EQ(killers[3][0].to, 0x40 + KILLER_SLOTS - 1);
  EXPECT_EQ(killers[3][KILLER_SLOTS - 1].to, 0x40);  // the two older ones dropped out
  ply = 0;
}
