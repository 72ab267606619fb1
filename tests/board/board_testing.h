// Helpers shared by the board tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "board/board.h"
#include "search/search_internal.h"

// The key block and attack tables exist before any position is set up.
class BoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fillKeyBlock(8192);
    initAttackTables();
  }

  static void setUp(const char* args) {
    setupPosition(args);
    ASSERT_TRUE(positionValid()) << args;
  }
};

// The moves a generator hands to the visitor, in order, without playing them.
inline std::vector<Move>& collectedMoves() {
  static std::vector<Move> moves;
  return moves;
}

inline int collectVisitor(void*) {
  collectedMoves().push_back(*position.currentMove);
  return 0;
}

template <typename Generate>
std::vector<Move> collect(Generate generate) {
  collectedMoves().clear();
  position.currentMove = &position.moveStack[ROOT_RECORD];
  moveVisitor = collectVisitor;
  generate();
  return collectedMoves();
}

inline std::vector<std::string> texts(const std::vector<Move>& moves) {
  std::vector<std::string> out;
  for (const Move& m : moves) out.emplace_back(moveToText(m));
  return out;
}

// All pseudo-legal moves in the root's stage order.
inline std::vector<Move> allMoves() {
  return collect([] {
    genPromotions(1, nullptr);
    genCaptures(nullptr);
    genQuiet(nullptr);
  });
}

// Decodes a token into the root record and makes it there, as the search's
// first ply would.
inline Move& makeRootMove(const char* token) {
  Move& m = position.moveStack[ROOT_RECORD];
  position.currentMove = &m;
  EXPECT_TRUE(decodeMoveText(token, m)) << token;
  makeMove(m);
  return m;
}
