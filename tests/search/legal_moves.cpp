#include "legal_moves.h"

#include "search/search.h"

std::vector<Move> legalMoves() {
  Move list[MAX_LEGAL_MOVES];
  return std::vector<Move>(list, list + legalMoves(list, MAX_LEGAL_MOVES));
}

std::vector<std::string> legalMoveTexts(const std::string& positionText) {
  static const bool tablesReady = (prepareTables(), true);
  (void)tablesReady;
  setupPosition(positionText.c_str());
  position.currentMove = &position.moveStack[ROOT_RECORD];
  std::vector<std::string> texts;
  for (const Move& m : legalMoves()) texts.emplace_back(moveToText(m));
  return texts;
}
