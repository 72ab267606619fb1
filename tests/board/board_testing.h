// Helpers shared by the board tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
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

// Plays tokens as the search's line from the root record on, one ply each
// (nullptr: a null move); currentMove is left on the last move made.
inline void playLine(std::initializer_list<const char*> tokens) {
  Position& p = position;
  p.currentMove = &p.moveStack[ROOT_RECORD - 1];
  for (const char* token : tokens) {
    ++p.currentMove;
    if (token == nullptr) {
      *p.currentMove = nullMoveTemplate;
    } else {
      EXPECT_TRUE(decodeMoveText(token, *p.currentMove)) << token;
    }
    makeMove(*p.currentMove);
    p.side ^= 1;
    p.xside ^= 1;
  }
}
