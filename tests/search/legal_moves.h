// Test helpers over the engine's own board: the legal moves of a position.
#pragma once

#include <string>
#include <vector>

#include "board/board.h"

// The legal moves of the side to move, generated at the current record.
inline std::vector<Move> legalMoves() {
  Move list[MAX_LEGAL_MOVES];
  return std::vector<Move>(list, list + legalMoves(list, MAX_LEGAL_MOVES));
}

// The texts of the legal moves after "position <positionText>".
inline std::vector<std::string> legalMoveTexts(const std::string& positionText) {
  setupPosition(positionText.c_str());
  position.currentMove = &position.moveStack[ROOT_RECORD];
  std::vector<std::string> texts;
  for (const Move& m : legalMoves()) texts.emplace_back(moveToText(m));
  return texts;
}
